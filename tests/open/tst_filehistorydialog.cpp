// A file's history against the platform double, as alice sees it: the rows of its versions
// with her copy marked, an earlier version of a drawing opened beside the working copy with
// what it referenced at the time, a restore under the platform's rules, a copy of a version
// saved elsewhere, and what the dialog says when the platform cannot help.

#include "open/filehistorydialog.h"
#include "open/filehistorymodel.h"
#include "save/savetocsdialog.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/filedatabase.h"

#include "opentestsupport.h"

#include <hostdocument.h>
#include <hostdocumentmanager.h>
#include <hostenvironment.h>
#include <platformdouble.h>
#include <testhome.h>

#include <fzfileinfo.h>

#include <QtTest>
#include <QtWidgets>

class TestFileHistoryDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QStandardPaths::setTestModeEnabled(true);
        m_host = std::make_unique<HostEnvironment>();
    }

    // deck.dwg references rebar.dxf; both came from alice first (10:00 and 10:01), and the
    // double stamps each later change a minute on. Each test has a tenant, a working-copy
    // folder and a platform of its own.
    void init()
    {
        m_tenant = QStringLiteral("history-%1").arg(++m_run);
        m_folder = m_home.filePath(m_tenant);
        m_platform = std::make_unique<PlatformDouble>();
        m_deck = m_platform->addObject("deck.dwg", OpenTest::demoBytes("deck.dwg"));
        m_platform->addObject("rebar.dxf", OpenTest::demoBytes("rebar.dxf"));
        m_session = std::make_unique<ShowAurexTaskPane>(m_platform.get());
        m_session->startSession(m_tenant);
        m_session->setCurrentUser(PlatformDouble::kUser);
    }

    void cleanup()
    {
        delete m_dialog;
        m_host->documents()->closeAll();
        m_session.reset();
        m_platform.reset();
    }

    void rowsShowEveryVersionAndYourCopy_data()
    {
        QTest::addColumn<bool>("changedHere");
        QTest::newRow("copy as it came") << false;
        QTest::newRow("copy changed since") << true;
    }

    // Every version's row as approved: sizes, times, who saved it, the comment's first line
    // with direction and control characters shown rather than obeyed, and alice's copy marked.
    void rowsShowEveryVersionAndYourCopy()
    {
        QFETCH(bool, changedHere);
        m_platform->saveNewVersion("deck.dwg", OpenTest::demoBytes("deck.dwg") + "999\nEOF\n",
                                   "bob", "Moved the east pier\n\nand more");
        keepWorkingCopy({"deck.dwg"});
        if (changedHere)
            QVERIFY(DxfTest::writeBytes(localPath("deck.dwg"), "changed by alice"));
        m_platform->saveNewVersion("deck.dwg", "third", "alice",
                                   QString::fromUtf8("Fixed \u202Eevil\u202C\ttabs\x07"));
        openHistory();
        QCOMPARE(m_dialog->message(), QString());
        // Figures line up on the right, as in any table of them; words on the left.
        const FileHistoryModel &model = *m_dialog->model();
        QStringList rightAligned;
        for (int column = 0; column < model.columnCount(); ++column) {
            if (model.index(0, column).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight)
                rightAligned << model.headerData(column, Qt::Horizontal).toString();
        }
        QCOMPARE(rightAligned, QStringList({"Version", "Size"}));
        const QString differences = OpenTest::approvedDifferences(
            m_dialog, QStringLiteral("history-") + QTest::currentDataTag(), m_home.path());
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

    // bob changed rebar.dxf and deck.dwg after version 1; alice's copies are the newest.
    void openingAnEarlierVersionLeavesTheWorkingCopyAlone()
    {
        const QByteArray rebar = OpenTest::demoBytes("rebar.dxf");
        m_platform->saveNewVersion("rebar.dxf", OpenTest::demoBytes("piers.dxf"), "bob");
        m_platform->saveNewVersion("deck.dwg", OpenTest::demoBytes("deck.dwg") + "999\nEOF\n",
                                   "bob");
        keepWorkingCopy({"deck.dwg", "rebar.dxf"});
        const QMap<QString, QByteArray> copyBefore = DxfTest::folderContents(m_folder);
        const QByteArray databaseBefore =
            DxfTest::readBytes(FileDatabase::locationFor(m_tenant));

        openHistory();
        choose(1);
        click("OpenVersionButton");
        auto *documents = m_host->documents();
        QTRY_VERIFY(documents->currentDocument()
                    && documents->currentDocument()->title() == "deck.dwg (version 1)");

        // The version's folder holds deck.dwg as it was, re-pointed at rebar.dxf as it was.
        const QString version = m_folder + "/Earlier versions/deck.dwg (version 1)";
        QCOMPARE(documents->currentDocument()->path(), version + "/deck.dwg");
        QMap<QString, QByteArray> arrived = DxfTest::folderContents(version);
        QVERIFY(arrived.take("deck.dwg").contains((version + "/rebar.dxf").toUtf8()));
        QCOMPARE(arrived.keys(), (QStringList{".aurex-earlier-version", "rebar.dxf"}));
        QCOMPARE(arrived.value("rebar.dxf"), rebar);
        // Nothing else: the working copy and the file database are as they were.
        QMap<QString, QByteArray> copyAfter = DxfTest::folderContents(m_folder);
        for (const QString &path : copyAfter.keys()) {
            if (path.startsWith("Earlier versions/"))
                copyAfter.remove(path);
        }
        QCOMPARE(copyAfter, copyBefore);
        QCOMPARE(DxfTest::readBytes(FileDatabase::locationFor(m_tenant)), databaseBefore);

        // It is for looking at: the save refuses it and says why.
        QCOMPARE(SaveToCSDialog::showForActiveDrawing(m_session.get()), nullptr);
        const auto refused = [] {
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (widget->objectName() == "SaveRefusedBox" && widget->isVisible())
                    return qobject_cast<QMessageBox *>(widget);
            return static_cast<QMessageBox *>(nullptr);
        };
        QTRY_VERIFY(refused());
        QVERIFY2(refused()->text().contains("earlier version opened for viewing"),
                 qPrintable(refused()->text()));
        delete refused();
    }

    // Version 1's transfer stops after a few of deck.dwg's bytes, or the platform no longer
    // keeps it: nothing is left behind and nothing opens.
    void anOpenThatDoesNotCompleteLeavesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message"); // how it starts; none after a cancel
        QTest::newRow("the connection drops")
            << "drop" << "deck.dwg (version 1) could not be downloaded; nothing was left behind";
        QTest::newRow("cancelled") << "hang" << "";
        QTest::newRow("the platform let the version go")
            << "prune" << "Version 1 of deck.dwg is no longer kept on the platform:";
    }

    void anOpenThatDoesNotCompleteLeavesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        m_platform->saveNewVersion("deck.dwg", "second", "bob");
        keepWorkingCopy({"deck.dwg"});
        const QMap<QString, QByteArray> before = DxfTest::folderContents(m_home.path());
        openHistory();
        choose(1);
        if (fault == "prune")
            m_platform->pruneVersion("deck.dwg", 1);
        else if (fault == "hang")
            m_platform->hangAtByte(3000);
        else
            m_platform->failAtByte(3000);
        click("OpenVersionButton");
        if (fault == "hang") {
            QTRY_VERIFY(m_platform->isHanging());
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            box->findChild<QPushButton *>("CancelTransferButton")->click();
        } else {
            QTRY_VERIFY(!m_dialog->isBusy() && !m_dialog->message().isEmpty());
            QVERIFY2(m_dialog->message().startsWith(message), qPrintable(m_dialog->message()));
        }
        QTRY_COMPARE(DxfTest::folderContents(m_home.path()), before);
        QTRY_VERIFY(!QFileInfo::exists(m_folder + "/Earlier versions"));
        QCOMPARE(m_host->documents()->GetDocumentCount(), 0);
    }

    // A restore waits while bob holds the lock or saved a version alice's list does not show;
    // once he is done and the list is fresh, it goes through, and alice's copy is brought up
    // to it, her unsaved changes kept aside.
    void restoreWaitsForWhatAColleagueDid_data()
    {
        QTest::addColumn<QString>("colleague"); // what bob does while alice looks at the list
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QByteArray>("unsaved"); // alice's, in her copy
        QTest::newRow("saves a newer version")
            << "save"
            << "bob saved a newer version of deck.dwg (version 3, " + OpenTest::savedAt(3) + ")"
            << QByteArray();
        QTest::newRow("holds the lock") << "lock" << "deck.dwg is locked by bob" << QByteArray();
        QTest::newRow("nothing, alice changed her copy") << "" << "" << QByteArray("alice's work");
    }

    void restoreWaitsForWhatAColleagueDid()
    {
        QFETCH(QString, colleague);
        QFETCH(QString, refusal);
        QFETCH(QByteArray, unsaved);
        const QByteArray first = OpenTest::demoBytes("deck.dwg");
        m_platform->saveNewVersion("deck.dwg", "second", "bob", "bob's");
        keepWorkingCopy({"deck.dwg"});
        QVERIFY(unsaved.isEmpty() || DxfTest::writeBytes(localPath("deck.dwg"), unsaved));
        openHistory();
        if (!colleague.isEmpty()) {
            if (colleague == "save")
                m_platform->saveNewVersion("deck.dwg", "third", "bob", "late");
            else
                m_platform->setLockedBy("deck.dwg", "bob");
            choose(1);
            restore();
            QTRY_VERIFY(!m_dialog->isBusy() && !m_dialog->message().isEmpty());
            QVERIFY2(m_dialog->message().startsWith(refusal), qPrintable(m_dialog->message()));
            QVERIFY(m_platform->content("deck.dwg") != first);
            m_platform->setLockedBy("deck.dwg", QString());
            click("RefreshButton");
            QTRY_VERIFY(!m_dialog->isBusy());
        }
        choose(1);
        restore();
        QTRY_VERIFY(!m_dialog->isBusy() && m_platform->content("deck.dwg") == first);
        const int restored = colleague == "save" ? 4 : 3;
        const auto newest = [this] {
            QStringList cells;
            for (int column = 0; column < m_dialog->model()->columnCount(); ++column)
                cells << m_dialog->model()->index(0, column).data().toString();
            return cells.join('|');
        };
        QTRY_COMPARE(newest(), QString("%1|Your copy|%2|alice|%3|Restored version 1")
                                   .arg(restored)
                                   .arg(OpenTest::savedAt(restored),
                                        QLocale::system().formattedDataSize(
                                            first.size(), 1, QLocale::DataSizeTraditionalFormat)));
        const QString done =
            QString("Restored version 1 of deck.dwg: it is version %1 now.").arg(restored);
        const QStringList kept = QDir(m_folder).entryList({"deck (local changes*"}, QDir::Files);
        QCOMPARE(kept.size(), unsaved.isEmpty() ? 0 : 1);
        if (unsaved.isEmpty()) {
            QCOMPARE(m_dialog->message(), done);
        } else {
            QVERIFY2(m_dialog->message().startsWith(done)
                         && m_dialog->message().contains("Your changes"),
                     qPrintable(m_dialog->message()));
            QCOMPARE(DxfTest::readBytes(m_folder + "/" + kept.first()), unsaved);
        }
        QCOMPARE(DxfTest::readBytes(localPath("deck.dwg")), first);
    }

    void copyOfAVersionLandsWhole_data()
    {
        QTest::addColumn<qint64>("failAtByte");
        QTest::addColumn<QStringList>("files"); // in the chosen folder afterwards
        QTest::newRow("whole") << qint64(-1) << QStringList{"deck-v1.dwg"};
        QTest::newRow("the connection drops") << qint64(2048) << QStringList();
    }

    void copyOfAVersionLandsWhole()
    {
        QFETCH(qint64, failAtByte);
        QFETCH(QStringList, files);
        m_platform->saveNewVersion("deck.dwg", "second", "bob");
        keepWorkingCopy({"deck.dwg"});
        openHistory();
        choose(1);
        m_platform->failAtByte(failAtByte);
        click("SaveCopyButton");
        QFileDialog *chooser = nullptr;
        QTRY_VERIFY((chooser = m_dialog->findChild<QFileDialog *>("SaveCopyChooser")));
        QCOMPARE(chooser->selectedFiles().value(0),
                 m_folder + "/deck (version 1).dwg");
        const QString target = m_home.filePath(m_tenant + "-copies");
        QVERIFY(QDir().mkpath(target));
        chooser->selectFile(target + "/deck-v1.dwg");
        QMetaObject::invokeMethod(chooser, "accept");
        QTRY_VERIFY(!m_dialog->isBusy() && !m_dialog->message().isEmpty());
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden), files);
        if (!files.isEmpty())
            QCOMPARE(DxfTest::readBytes(target + "/deck-v1.dwg"), OpenTest::demoBytes("deck.dwg"));
        else
            QVERIFY2(m_dialog->message().contains("could not be saved"),
                     qPrintable(m_dialog->message()));
    }

    // Offline: no rows, nothing to press, and the message says to go online (as approved).
    void withoutThePlatformTheHistoryIsNotAsked()
    {
        keepWorkingCopy({"deck.dwg"});
        m_session->setOffline(true);
        m_platform->setBehaviour(PlatformDouble::Hang);
        openHistory();
        const QString differences =
            OpenTest::approvedDifferences(m_dialog, "history-offline", m_home.path());
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
        QVERIFY(!m_platform->isHanging());
        m_platform->release();
    }

private:
    QString localPath(const QString &title) const { return m_folder + '/' + title; }

    // alice's copies of the files as the platform has them now, recorded in her file database.
    void keepWorkingCopy(const QStringList &titles)
    {
        FileDatabase database(m_tenant);
        for (const QString &title : titles) {
            QVERIFY(DxfTest::writeBytes(localPath(title), m_platform->content(title)));
            const std::unique_ptr<FzFileInfo> record = m_platform->recordOf(title);
            database.recordExchange(localPath(title), recordProperty(*record, kKeyPhid),
                                    recordProperty(*record, kKeyName),
                                    recordProperty(*record, kKeyFileModified),
                                    recordProperty(*record, kKeyType));
        }
        QVERIFY(database.save());
    }

    void openHistory()
    {
        m_dialog = FileHistoryDialog::showNew(m_session.get(), m_deck, "deck.dwg");
        QTRY_VERIFY(m_dialog->isVisible() && !m_dialog->isBusy());
    }

    void choose(int revision)
    {
        auto *view = m_dialog->findChild<QTableView *>("VersionsView");
        for (int row = 0; row < m_dialog->model()->rowCount(); ++row) {
            if (m_dialog->model()->version(row).revision == revision)
                view->selectRow(row);
        }
    }

    void click(const char *button)
    {
        auto *pushButton = m_dialog->findChild<QPushButton *>(button);
        QVERIFY(pushButton->isEnabled());
        pushButton->click();
    }

    void restore()
    {
        click("RestoreVersionButton");
        QMessageBox *confirm = nullptr;
        QTRY_VERIFY((confirm = m_dialog->findChild<QMessageBox *>("RestoreConfirmation")));
        confirm->button(QMessageBox::Yes)->click();
    }

    TestHome m_home;
    std::unique_ptr<HostEnvironment> m_host;
    std::unique_ptr<PlatformDouble> m_platform;
    std::unique_ptr<ShowAurexTaskPane> m_session;
    QPointer<FileHistoryDialog> m_dialog;
    QString m_tenant;
    QString m_folder;
    QString m_deck; // the platform name of deck.dwg
    int m_run = 0;
};

QTEST_MAIN(TestFileHistoryDialog)
#include "tst_filehistorydialog.moc"
