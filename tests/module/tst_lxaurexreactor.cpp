// The module object in the host: its commands run through the host's command stack, the host's
// own commands and documents drive it, and what it changes is read back from the file
// database, the session, the host's menus and its command line.

#include "hostenvironment.h"
#include "testhome.h"

#include "module/lxaurexreactor.h"
#include "module/menubuilder.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/filedatabase.h"

#include <commandprocessor.h>
#include <filecommands.h>
#include <hostdocument.h>
#include <hostdocumentmanager.h>
#include <referencecommands.h>

#include <cfxeditorreactor.h>
#include <cfxsystemservices.h>
#include <odedcommand.h>
#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odeditor.h>
#include <odrxwin32module.h>

#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QTimer>
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

// Receives what the module hands to the desktop's web browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void openUrl(const QUrl &url) { urls << url; }
};

// The host's services, with what is written on the command line kept for the test.
class CommandLineRecorder : public CFxSystemServices
{
public:
    CommandLineRecorder() : m_host(GetFxSystemServices()) { SetFxSystemServices(this); }
    ~CommandLineRecorder() override { SetFxSystemServices(m_host); }
    CFxDocumentManager *GetDocumentManager() override { return m_host->GetDocumentManager(); }
    CFxDockingPaneManager *GetDockingPaneManager() override
    {
        return m_host->GetDockingPaneManager();
    }
    CFxUiCustomizationManager *GetUiCustomizationManager() override
    {
        return m_host->GetUiCustomizationManager();
    }
    OdDbHostAppServices *GetHostAppServices() override { return m_host->GetHostAppServices(); }
    int GetUILanguage() const override { return m_host->GetUILanguage(); }
    QWidget *GetMainWindow() override { return m_host->GetMainWindow(); }
    void WriteMessage(const CFxString &text) override { lines << text.toQString(); }

    QStringList lines;

private:
    CFxSystemServices *m_host;
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
        QDir::setCurrent(m_home.path());
        m_host = std::make_unique<HostEnvironment>();
        m_files = std::make_unique<FileCommands>(m_host->documents());
        m_references =
            std::make_unique<ReferenceCommands>(m_host->documents(), m_host->appServices());
        m_module = new TestModule(nullptr);
        m_module->initApp();
        MenuBuilder::buildAtViewCreation();
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
        unload();
    }

    void cleanup()
    {
        QTest::qWait(0); // closes the module asked for
        m_host->documents()->closeAll();
        ShowAurexTaskPane::instance()->setLauncherOpenPending(false);
        ShowAurexTaskPane::instance()->endSession();
    }

    // Signed out, a gated command asks first: the welcome box without a server, else the
    // sign-in dialog; closing either opens nothing. Signed in, save shows its dialog at once.
    void commandsAskToSignInFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("save without a server")
            << "_AurexSave" << QByteArray() << false << QStringList { "LaunchMessageBox" };
        QTest::newRow("open, sign-in cancelled") << "_AurexOpen"
            << QByteArray("http://127.0.0.1:1/vaultis") << false << QStringList { "CSLoginDialog" };
        // A single drawing's save has nothing to apply to all.
        QTest::newRow("save, signed in") << "_AurexSave" << QByteArray() << true
                                         << QStringList { "SaveToCSDialog", "one drawing" };
    }

    void commandsAskToSignInFirst()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, server);
        QFETCH(bool, signedIn);
        QFETCH(QStringList, shown);
        QVERIFY(m_home.writeLauncherParams("<r><Params ServerUrl=\"" + server + "\"/></r>"));
        if (signedIn)
            ShowAurexTaskPane::instance()->startSession(QString());
        QStringList seen;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&seen] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            seen << QString::fromLatin1(modal->metaObject()->className());
            if (auto *applyToAll = modal->findChild<QWidget *>("ApplyToAllPushButton"))
                seen << (applyToAll->isHidden() ? "one drawing" : "apply to all");
            modal->close();
        });
        closer.start(20);
        QCOMPARE(run(command), RTNORM);
        QTRY_VERIFY(!seen.isEmpty() && !QApplication::activeModalWidget());
        QCOMPARE(seen, shown);
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(!window->isVisible() || window->objectName() != "OpenFromCSDialogClass");
    }

    void dashboardOpensWhileSignedOut()
    {
        QVERIFY(m_home.writeAppsInfo("<apps><app><id>XHUBDECK_AP</id><launchInfos>"
                                     "http://127.0.0.1:8/dashboard</launchInfos></app></apps>"));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("http", &catcher, "openUrl");
        QCOMPARE(run("_LaunchHubdeck"), RTNORM);
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(catcher.urls, QList<QUrl>({ QUrl("http://127.0.0.1:8/dashboard") }));
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
        QTest::newRow("file without an entry")
            << QStringList { "_SAVEAS new.dwg" } << 1 << QStringList();
        QTest::newRow("_ATTACHIMAGE") << QStringList { "save a", "_ATTACHIMAGE logo.png 2" } << 1
                                      << QStringList();
        QTest::newRow("_ATTACHDRAWING, _DETACHDRAWING")
            << QStringList { "_ATTACHDRAWING b.dwg pier", "_DETACHDRAWING pier" } << 2
            << QStringList();
        QTest::newRow("_OPEN is not watched")
            << QStringList { "_OPEN a.dwg" } << 0 << QStringList();
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
        QSignalSpy refreshed(ShowAurexTaskPane::instance(),
                             &ShowAurexTaskPane::DocumentActivatedSignal);

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
        const QString newKey = FileDatabase::keyForPath(m_home.filePath("new.dwg"));
        QCOMPARE(database.updateStamp(newKey), QString("-1"));
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
        const int popups = uiText().count("\"ID_AUREX\"");
        QVERIFY(popups > 0);
        QVERIFY(uiText().contains("_LX_AurexPlatformRibbonID"));
        CFxEditorReactor::fireMainFrameToBeClosed(m_host->mainWindow());
        QCOMPARE(uiText().count("\"ID_AUREX\""), popups - 1);
        QVERIFY(!uiText().contains("_LX_AurexPlatformRibbonID"));
    }

    // Runs last: the module unloads. A file database found unreadable is told on the command
    // line while the module is loaded; once it is gone, nothing of it is called any more.
    void fileDatabaseNoticesEndWhenTheModuleUnloads()
    {
        CommandLineRecorder commandLine;
        readUnreadableDatabase();
        QTRY_COMPARE(commandLine.lines.size(), 1);
        QVERIFY2(commandLine.lines.first().startsWith("The file database "),
                 qPrintable(commandLine.lines.first()));
        unload();
        readUnreadableDatabase();
        QTest::qWait(50);
        QCOMPARE(commandLine.lines.size(), 1);
    }

private:
    // Runs a command as the host does when it is typed alone.
    static int run(const QString &name)
    {
        OdEdCommandContext context;
        return odedRegCmds()->executeCommand(OdString(name.toStdWString()), &context);
    }

    void unload()
    {
        if (!m_module)
            return;
        m_module->uninitApp();
        m_module->deleteModuleObject();
        m_module = nullptr;
    }

    // Reads a tenant's file database that is not one: it is put aside and the user told.
    static void readUnreadableDatabase()
    {
        QFile file(FileDatabase::locationFor("unreadable"));
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("<filedb><file") > 0);
        file.close();
        QVERIFY(!FileDatabase("unreadable").errorString().isEmpty());
    }

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
