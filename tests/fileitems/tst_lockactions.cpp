#include "connector/connectorplatform.h"
#include "fileitems/filestatus.h"
#include "fileitems/imageviewdialog.h"
#include "fileitems/listviewactionmenu.h"
#include "fileitems/lxtreewidgetitem.h"
#include "fileitems/viewwidget.h"
#include "session/loggingcontroller.h"
#include "session/showaurextaskpane.h"
#include "session/signedin.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include "docpicture.h"
#include "platformdouble.h"
#include "platformprobe.h"
#include "savetestsupport.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

// Lock and unlock from a file's action menu against a real platform, checked by a second
// client of the platform.
class TestLockActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_fixture.start("alice", &error), qPrintable(error));
        m_probe = std::make_unique<PlatformProbe>(*m_fixture.platform, "carol", "carol-demo-pw");
        QVERIFY(m_probe->isSignedIn());
        const ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        m_context = {ConnectorPlatform::shared(), session->tenant(), session->currentUser()};
    }

    // Lock and unlock from the menu of a task pane row or of a tile.
    void lockChangesPlatformAndIcon_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("tile");
        QTest::addColumn<int>("shownState");
        QTest::addColumn<QString>("lockedAfter");
        QTest::addColumn<int>("stateAfter");
        QTest::newRow("lock a drawing") << "piers.dxf" << false << 3 << "alice" << 1;
        QTest::newRow("lock from a tile") << "logo.png" << true << 3 << "alice" << 1;
        QTest::newRow("unlock from a tile") << "logo.png" << true << 1 << "" << 3;
        // Shown as mine, but bob holds it: the platform refuses, the user is told and nothing
        // changes.
        QTest::newRow("unlock another user's lock") << "deck.dwg" << false << 1 << "bob" << 1;
    }

    void lockChangesPlatformAndIcon()
    {
        QFETCH(QString, title);
        QFETCH(bool, tile);
        QFETCH(int, shownState);
        QFETCH(QString, lockedAfter);
        QFETCH(int, stateAfter);

        const QString localPath = m_fixture.home.filePath("work/" + title);
        recordDownload(title);
        QTreeWidget tree;
        ImageViewDialog row(localPath, new LxTreeWidgetItem(&tree), m_context);
        ViewWidget tileWidget(localPath, m_context);
        FileItemView *item = tile ? static_cast<FileItemView *>(&tileWidget) : &row;
        item->setLockState(shownState);
        item->setKnown(true);
        ListViewActionMenu *menu = tile ? tileWidget.actionMenu() : row.actionMenu();

        // Any message box is answered and counted.
        bool warned = false;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&warned] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                warned = true;
                box->close();
            }
        });
        answer.start(20);
        menu->lockAction()->trigger();
        QTRY_VERIFY(!menu->isBusy());

        QCOMPARE(warned, lockedAfter == "bob");
        QCOMPARE(m_probe->lockedBy(title), lockedAfter);
        QCOMPARE(tile ? tileWidget.lockState() : row.lockState(), stateAfter);
        QCOMPARE(menu->lockState(), stateAfter);
        QCOMPARE(menu->lockAction()->text(), stateAfter == 3 ? QString("Lock") : QString("Unlock"));
    }

    // A platform that cannot be reached: the box names the file and why; one that does not
    // answer: Escape on the "Please wait" box ends the wait, and the lock stays as it was.
    void lockWithoutAnAnswerSaysWhyOrIsCancelled()
    {
        PlatformDouble platform;
        const QString name = platform.addObject("quay.dxf", "0\nEOF\n");
        FzFileInfo record;
        record.SetTitle("quay.dxf");
        record.SetProperty("name", name.toStdString());
        QPushButton button;
        button.show();
        ListViewActionMenu menu(&button, {&platform, m_context.tenant, "alice"}, QString(),
                                &record);
        QString warned;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&warned] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                warned = box->text();
                box->close();
            } else if (modal && modal->objectName() == "ProgressDialog") {
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });
        answer.start(20);

        platform.setBehaviour(PlatformDouble::Refuse);
        menu.lockAction()->trigger();
        QTRY_VERIFY(!warned.isEmpty());
        QCOMPARE(warned, QString("quay.dxf could not be locked on the collaborative space.\n"
                                 "The AUREX Platform cannot be reached: Connection refused."));

        warned.clear();
        platform.setBehaviour(PlatformDouble::Hang);
        menu.lockAction()->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!menu.isBusy(), 5000);
        answer.stop();
        platform.release();
        // Nothing was said and the menu stays as it was; the lock is the platform's to give or
        // not, should the call still reach it.
        QVERIFY(warned.isEmpty());
        QCOMPARE(menu.lockState(), int(NotLocked));
    }

    // Runs last: alice signs out.
    void signingOutWithLocksOffersToReleaseThem()
    {
        // alice holds piers.dxf, a file of this computer, through another session of hers.
        recordDownload("piers.dxf");
        PlatformProbe alice(*m_fixture.platform, "alice", "alice-demo-pw");
        QVERIFY(alice.setLocked("piers.dxf", true));

        QString listed;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&listed] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box->objectName() != "SignOutLocksBox")
                return;
            listed = box->informativeText();
            saveDocPicture(box, "signout-locks.png");
            box->findChild<QPushButton *>("ReleaseLocksButton")->click();
        });
        answer.start(20);
        LoggingController::instance()->signOutAsked();
        // The platform is asked, the question answered and the lock released in turn.
        QTRY_VERIFY(!signedIn());
        QVERIFY2(listed.contains("piers.dxf"), qPrintable(listed));
        QCOMPARE(m_probe->lockedBy("piers.dxf"), QString());
    }

private:
    // Records work/title in the file database as a download does: its platform name and stamp.
    void recordDownload(const QString &title)
    {
        const QJsonObject object = m_probe->objectTitled(title);
        FileDatabase database(m_context.tenant);
        database.recordExchange(FileDatabase::keyForPath(m_fixture.home.filePath("work/" + title)),
                                QString(), object.value("name").toString(),
                                object.value("_filemodified").toString(),
                                object.value("type").toString());
    }

    savetest::Fixture m_fixture;
    std::unique_ptr<PlatformProbe> m_probe;
    FileItemContext m_context;
};

QTEST_MAIN(TestLockActions)
#include "tst_lockactions.moc"
