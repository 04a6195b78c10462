// The module object listening to the host: the host's own commands and documents drive it, and
// what it changes is read back from the file database, the session and the host.

#include "hostenvironment.h"
#include "testhome.h"

#include "module/lxaurexreactor.h"
#include "module/menubuilder.h"
#include "session/showaurextaskpane.h"
#include "session/signedin.h"
#include "workingcopy/filedatabase.h"

#include <commandprocessor.h>
#include <filecommands.h>
#include <hostdocument.h>
#include <hostdocumentmanager.h>
#include <referencecommands.h>

#include <cfxeditorreactor.h>
#include <odedcommand.h>
#include <odeditor.h>
#include <odrxwin32module.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QtTest>

namespace {

using TestModule = OdRxWin32Module<LxAurexReactor>;

// A command of another module whose name differs from the host's save only in letter case.
class LowerCaseSave : public OdEdCommand
{
public:
    void addRef() override { }
    void release() override { }
    const OdString groupName() const override { return OdString(L"OTHER"); }
    const OdString globalName() const override { return OdString(L"_save"); }
    int execute(OdEdCommandContext *) override { return 5100; }
};

} // namespace

class TestLxAurexReactor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        m_host = std::make_unique<HostEnvironment>();
        m_files = std::make_unique<FileCommands>(m_host->documents());
        m_references = std::make_unique<ReferenceCommands>(m_host->documents(), m_host->appServices());
        m_module = new TestModule(nullptr);
        m_module->initApp();
        QFile blank(":/host/templates/newdrawing.dxf");
        QVERIFY(blank.open(QIODevice::ReadOnly));
        const QByteArray drawing = blank.readAll();
        for (const char *name : { "a.dwg", "b.dwg" })
            QVERIFY(m_home.write(name, drawing));
        QImage logo(8, 8, QImage::Format_RGB32);
        logo.fill(Qt::red);
        QVERIFY(logo.save(m_home.filePath("logo.png")));
    }

    void cleanupTestCase()
    {
        m_host->documents()->closeAll();
        m_module->uninitApp();
        m_module->deleteModuleObject();
    }

    void cleanup()
    {
        QTest::qWait(0); // closes the module asked for
        m_host->documents()->closeAll();
        ShowAurexTaskPane::instance()->setLauncherOpenPending(false);
        ShowAurexTaskPane::instance()->endSession();
    }

    // Each row opens a.dwg, then runs its steps: host command lines, "save a" (a save that is
    // no command, as the save dialog makes) and "ended _save" (another module's command).
    void commandWatch_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QStringList>("markedChanged");

        QTest::newRow("_SAVE") << QStringList { "_SAVE" } << 1 << QStringList { "a.dwg" };
        QTest::newRow("_SAVEAS, typed in lower case")
            << QStringList { "_saveas b.dwg" } << 1 << QStringList { "b.dwg" };
        QTest::newRow("the latest save names the file")
            << QStringList { "save a", "_SAVEAS b.dwg" } << 1 << QStringList { "b.dwg" };
        QTest::newRow("_save of another module is not watched")
            << QStringList { "save a", "ended _save" } << 0 << QStringList();
        QTest::newRow("file without an entry") << QStringList { "_SAVEAS new.dwg" } << 1 << QStringList();
        QTest::newRow("_ATTACHIMAGE") << QStringList { "save a", "_ATTACHIMAGE logo.png 2" } << 1
                                      << QStringList();
        QTest::newRow("_ATTACHDRAWING, _DETACHDRAWING")
            << QStringList { "_ATTACHDRAWING b.dwg part", "_DETACHDRAWING part" } << 2 << QStringList();
        QTest::newRow("_OPEN is not watched") << QStringList { "_OPEN a.dwg" } << 0 << QStringList();
    }

    void commandWatch()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, refreshes);
        QFETCH(QStringList, markedChanged);
        const QString tenant = ShowAurexTaskPane::instance()->tenant();
        QFile::remove(FileDatabase::locationFor(tenant));
        {
            FileDatabase database(tenant);
            for (const char *name : { "a.dwg", "b.dwg" })
                database.addFile(FileDatabase::keyForPath(m_home.filePath(name)), "id", name,
                                 "2026/01/02@03:04:05:GMT", "", "drawing", "false");
        }
        QFile databaseFile(FileDatabase::locationFor(tenant));
        QVERIFY(databaseFile.open(QIODevice::ReadOnly));
        const QByteArray before = databaseFile.readAll();
        databaseFile.close();
        QVERIFY(m_host->documents()->OpenDocument(m_home.filePath("a.dwg")));
        QSignalSpy refreshed(ShowAurexTaskPane::instance(), &ShowAurexTaskPane::DocumentActivatedSignal);

        CommandProcessor processor;
        LowerCaseSave lowerCaseSave;
        for (const QString &step : steps) {
            if (step == "save a")
                QVERIFY(m_host->documents()->GetCurrentDocument()->Save());
            else if (step == "ended _save")
                odedEditor()->commandEnded(&lowerCaseSave, nullptr);
            else
                QCOMPARE(processor.runLine(inHome(step), false), 5100);
        }

        QCOMPARE(refreshed.count(), refreshes);
        FileDatabase database(tenant);
        for (const char *name : { "a.dwg", "b.dwg" }) {
            const QString key = FileDatabase::keyForPath(m_home.filePath(name));
            const bool marked = markedChanged.contains(name);
            QCOMPARE(database.isLocallyModified(key), QString(marked ? "true" : "false"));
            QCOMPARE(database.updateStamp(key), QString(marked ? "" : "2026/01/02@03:04:05:GMT"));
        }
        QCOMPARE(database.updateStamp(FileDatabase::keyForPath(m_home.filePath("new.dwg"))), QString("-1"));
        if (markedChanged.isEmpty()) {
            QVERIFY(databaseFile.open(QIODevice::ReadOnly));
            QCOMPARE(databaseFile.readAll(), before);
        }
    }

    void launcherOpenPending_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<bool>("stillPending");

        QTest::newRow("the launcher's model keeps the flag")
            << true << QStringList { "a.dwg" } << QStringList { "a.dwg" } << true;
        QTest::newRow("the next other drawing closes, once")
            << true << QStringList { "a.dwg", "b.dwg", "b.dwg" } << QStringList { "a.dwg", "b.dwg" }
            << false;
        QTest::newRow("another drawing first closes, once")
            << true << QStringList { "b.dwg", "a.dwg", "b.dwg" } << QStringList { "a.dwg", "b.dwg" }
            << false;
        QTest::newRow("signed out, nothing closes")
            << false << QStringList { "b.dwg" } << QStringList { "b.dwg" } << true;
    }

    void launcherOpenPending()
    {
        QFETCH(bool, signedIn);
        QFETCH(QStringList, opened);
        QFETCH(QStringList, remaining);
        QFETCH(bool, stillPending);
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        if (signedIn)
            session->startSession(QString());
        else
            session->endSession();
        // As the launcher start-up leaves it, with the other separator.
        session->setLauncherModelPath(QString(m_home.filePath("a.dwg")).replace('/', '\\'));
        session->setLauncherOpenPending(true);
        QSignalSpy refreshed(session, &ShowAurexTaskPane::DocumentActivatedSignal);

        HostDocumentManager *documents = m_host->documents();
        for (const QString &name : opened) {
            QVERIFY(documents->OpenDocument(m_home.filePath(name)));
            QTest::qWait(0);
        }
        QStringList open;
        for (int i = 0; i < documents->GetDocumentCount(); ++i)
            open << QFileInfo(documents->GetDocumentAt(i)->GetPathName().toQString()).fileName();
        open.sort();
        QCOMPARE(open, remaining);
        QCOMPARE(session->isLauncherOpenPending(), stillPending);
        QVERIFY(refreshed.count() > 0);
    }

    void closingTheMainWindowWithdrawsTheMenus()
    {
        MenuBuilder::buildAtViewCreation();
        const int popups = uiText().count("\"ID_AUREX\"");
        QVERIFY(popups > 0);
        QVERIFY(uiText().contains("_LX_AurexPlatformRibbonID"));
        CFxEditorReactor::fireMainFrameToBeClosed(m_host->mainWindow());
        QCOMPARE(uiText().count("\"ID_AUREX\""), popups - 1);
        QVERIFY(!uiText().contains("_LX_AurexPlatformRibbonID"));
    }

private:
    // The command line with its first argument, a file name, in the test's home.
    QString inHome(const QString &line) const
    {
        const int space = line.indexOf(' ');
        return space < 0 ? line : line.left(space + 1) + m_home.path() + '/' + line.mid(space + 1);
    }

    QString uiText() const { return QString::fromUtf8(QJsonDocument(m_host->uiJson()).toJson()); }

    TestHome m_home;
    std::unique_ptr<HostEnvironment> m_host;
    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<ReferenceCommands> m_references;
    TestModule *m_module = nullptr;
};

QTEST_MAIN(TestLxAurexReactor)
#include "tst_lxaurexreactor.moc"
