// A file's history against the platform double, as alice sees it: the rows of its versions
// with her copy marked, an earlier version of a drawing opened beside the working copy with
// what it referenced at the time, a restore under the platform's rules, a copy of a version
// saved elsewhere, and what the dialog says when the platform cannot help.

#include "open/earlierversionfolder.h"
#include "open/filehistorydialog.h"
#include "open/filehistorymodel.h"
#include "save/savetocsdialog.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/filedatabase.h"

#include "opentestsupport.h"

#include <dxftesthelpers.h>
#include <hostdocument.h>
#include <hostdocumentmanager.h>
#include <hostenvironment.h>
#include <platformdouble.h>
#include <testhome.h>

#include <fzfileinfo.h>

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

// The double's stamps: 2026-12-01 from 10:00 UTC, a minute apart in the order of the changes.
QString sizeText(const QByteArray &bytes)
{
    return QLocale::system().formattedDataSize(bytes.size(), 1,
                                               QLocale::DataSizeTraditionalFormat);
}

QByteArray sha(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// Every row as the dialog shows it, cells joined by "|".
QStringList rows(const FileHistoryModel &model)
{
    QStringList lines;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model.columnCount(); ++column)
            cells << model.index(row, column).data().toString();
        lines << cells.join('|');
    }
    return lines;
}

} // namespace

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

    // deck.dwg references rebar.dxf; both came from alice first (10:00 and 10:01). Each test
    // has a tenant, a working-copy folder and a platform of its own.
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
        QTest::addColumn<QString>("yourCopy");
        QTest::newRow("copy as it came") << false << "Your copy";
        QTest::newRow("copy changed since") << true << "Your copy, changed since";
    }

    void rowsShowEveryVersionAndYourCopy()
    {
        QFETCH(bool, changedHere);
        QFETCH(QString, yourCopy);
        const QByteArray second = OpenTest::demoBytes("deck.dwg") + "999\nEOF\n";
        m_platform->saveNewVersion("deck.dwg", second, "bob", "Moved the east pier\n\nand more");
        keepWorkingCopy({"deck.dwg"});
        if (changedHere)
            QVERIFY(DxfTest::writeBytes(localPath("deck.dwg"), "changed by alice"));
        // Direction and control characters in a comment are shown, not obeyed.
        m_platform->saveNewVersion("deck.dwg", "third", "alice",
                                   QString::fromUtf8("Fixed \u202Eevil\u202C\ttabs\x07"));
        openHistory();
        QCOMPARE(rows(*m_dialog->model()),
                 (QStringList{
                     "3||" + OpenTest::savedAt(3) + "|alice|" + sizeText("third")
                         + "|Fixed \\u202eevil\\u202c tabs\\u0007",
                     "2|" + yourCopy + "|" + OpenTest::savedAt(2) + "|bob|" + sizeText(second)
                         + "|Moved the east pier and more",
                     "1||" + OpenTest::savedAt(0) + "|alice|" + sizeText(OpenTest::demoBytes("deck.dwg"))
                         + "|"}));
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
        QMessageBox *refused = nullptr;
        QTRY_VERIFY((refused = findTopLevel<QMessageBox>("SaveRefusedBox")));
        QVERIFY2(refused->text().contains("earlier version opened for viewing"),
                 qPrintable(refused->text()));
        delete refused;
    }

    void anOpenThatDoesNotCompleteLeavesNothing_data()
    {
        QTest::addColumn<bool>("cancelled"); // else the connection drops
        QTest::newRow("the connection drops") << false;
        QTest::newRow("cancelled") << true;
    }

    void anOpenThatDoesNotCompleteLeavesNothing()
    {
        QFETCH(bool, cancelled);
        m_platform->saveNewVersion("deck.dwg", "second", "bob");
        keepWorkingCopy({"deck.dwg"});
        const QMap<QString, QByteArray> before = DxfTest::folderContents(m_home.path());
        openHistory();
        choose(1);
        // The transfer of deck.dwg, the first file, stops after a few of its bytes.
        const qint64 stop = 3000;
        if (cancelled)
            m_platform->hangAtByte(stop);
        else
            m_platform->failAtByte(stop);
        click("OpenVersionButton");
        if (cancelled) {
            QTRY_VERIFY(m_platform->isHanging());
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            box->findChild<QPushButton *>("CancelTransferButton")->click();
        } else {
            QTRY_VERIFY(!m_dialog->isBusy() && !m_dialog->message().isEmpty());
            QVERIFY2(m_dialog->message().startsWith(
                         "deck.dwg (version 1) could not be downloaded; nothing was left behind"),
                     qPrintable(m_dialog->message()));
        }
        QTRY_COMPARE(DxfTest::folderContents(m_home.path()), before);
        QTRY_VERIFY(!QFileInfo::exists(m_folder + "/Earlier versions"));
        QCOMPARE(m_host->documents()->GetDocumentCount(), 0);
    }

    void versionThePlatformLetGoSaysSo()
    {
        m_platform->saveNewVersion("deck.dwg", "second", "bob");
        keepWorkingCopy({"deck.dwg"});
        openHistory();
        choose(1);
        m_platform->pruneVersion("deck.dwg", 1);
        click("OpenVersionButton");
        QTRY_VERIFY(!m_dialog->isBusy() && !m_dialog->message().isEmpty());
        QCOMPARE(m_dialog->message().section(':', 0, 0),
                 QString("Version 1 of deck.dwg is no longer kept on the platform"));
        QVERIFY(!QFileInfo::exists(m_folder + "/Earlier versions"));
    }

    void restoreWaitsForWhatAColleagueDid_data()
    {
        QTest::addColumn<QString>("colleague"); // what bob does while alice looks at the list
        QTest::addColumn<QString>("refusal");
        QTest::newRow("saves a newer version")
            << "save" << "bob saved a newer version of deck.dwg (version 3, " + OpenTest::savedAt(3) + ")";
        QTest::newRow("holds the lock") << "lock" << "deck.dwg is locked by bob";
    }

    void restoreWaitsForWhatAColleagueDid()
    {
        QFETCH(QString, colleague);
        QFETCH(QString, refusal);
        const QByteArray first = OpenTest::demoBytes("deck.dwg");
        m_platform->saveNewVersion("deck.dwg", "second", "bob", "bob's");
        keepWorkingCopy({"deck.dwg"});
        openHistory();
        if (colleague == "save")
            m_platform->saveNewVersion("deck.dwg", "third", "bob", "late");
        else
            m_platform->setLockedBy("deck.dwg", "bob");

        choose(1);
        restore();
        QTRY_VERIFY(!m_dialog->isBusy() && !m_dialog->message().isEmpty());
        QVERIFY2(m_dialog->message().startsWith(refusal), qPrintable(m_dialog->message()));
        const QByteArray before = m_platform->content("deck.dwg");

        // Once bob is done and the list is fresh, the restore goes through.
        m_platform->setLockedBy("deck.dwg", QString());
        click("RefreshButton");
        QTRY_VERIFY(!m_dialog->isBusy());
        choose(1);
        restore();
        QTRY_VERIFY(!m_dialog->isBusy() && sha(m_platform->content("deck.dwg")) == sha(first));
        const int restored = colleague == "save" ? 4 : 3;
        QTRY_COMPARE(rows(*m_dialog->model()).first(),
                     QString("%1|Your copy|%2|alice|%3|Restored version 1")
                         .arg(restored)
                         .arg(OpenTest::savedAt(restored), sizeText(first)));
        QVERIFY(before != first);
        QCOMPARE(m_dialog->message(),
                 QString("Restored version 1 of deck.dwg: it is version %1 now.").arg(restored));
        // The working copy was brought up to it.
        QCOMPARE(DxfTest::readBytes(localPath("deck.dwg")), first);
    }

    void localChangesAreKeptAsideByARestore()
    {
        m_platform->saveNewVersion("deck.dwg", "second", "bob");
        keepWorkingCopy({"deck.dwg"});
        QVERIFY(DxfTest::writeBytes(localPath("deck.dwg"), "alice's unsaved work"));
        openHistory();
        choose(1);
        restore();
        QTRY_VERIFY(!m_dialog->isBusy() && m_dialog->message().contains("Your changes"));
        QCOMPARE(DxfTest::readBytes(localPath("deck.dwg")), OpenTest::demoBytes("deck.dwg"));
        const QStringList kept = QDir(m_folder).entryList({"deck (local changes*"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(DxfTest::readBytes(m_folder + "/" + kept.first()),
                 QByteArray("alice's unsaved work"));
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

    void withoutThePlatformTheHistoryIsNotAsked()
    {
        keepWorkingCopy({"deck.dwg"});
        m_session->setOffline(true);
        m_platform->setBehaviour(PlatformDouble::Hang);
        openHistory();
        QCOMPARE(m_dialog->model()->rowCount(), 0);
        QVERIFY(m_dialog->message().contains("go online"));
        for (const char *button : {"OpenVersionButton", "RestoreVersionButton", "SaveCopyButton",
                                   "RefreshButton"})
            QVERIFY(!m_dialog->findChild<QPushButton *>(button)->isEnabled());
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

    template <typename Widget>
    static Widget *findTopLevel(const QString &name)
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == name && widget->isVisible())
                return qobject_cast<Widget *>(widget);
        }
        return nullptr;
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
