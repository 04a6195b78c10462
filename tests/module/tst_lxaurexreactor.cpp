// The module object in the host: its commands run through the host's command stack, the host's
// own commands and documents drive it, and what it changes is read back from the file
// database, the session, the host's menus and its command line. Then the module's popup,
// command items and ribbon panel in the customization model of hosts of their own.

#include "commandlinerecorder.h"
#include "hostenvironment.h"
#include "testhome.h"

#include "module/lxaurexreactor.h"
#include "module/menubuilder.h"
#include "session/showaurextaskpane.h"
#include "support/signincaption.h"
#include "workingcopy/filedatabase.h"

#include <commandprocessor.h>
#include <filecommands.h>
#include <hostdocument.h>
#include <hostdocumentmanager.h>
#include <referencecommands.h>

#include <cfxeditorreactor.h>
#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>
#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odrxwin32module.h>

#include <QtTest>

using TestModule = OdRxWin32Module<LxAurexReactor>;

namespace {

// Each popup of the module in the group's File menu: its place and caption, then one line per
// entry with its caption, macro, accelerator and check mark.
QString popupText(const CFxUiMenuGroup *group)
{
    const CFxUiMenuEntryList *entries = group->FindMenu("ID_MnFile")->GetEntries();
    QStringList lines;
    for (int i = 0; i < entries->Count(); ++i) {
        const CFxUiMenuEntry *popup = entries->At(i);
        if (popup->GetId() != CFxString("ID_AUREX"))
            continue;
        lines << QString("%1 %2").arg(i).arg(popup->GetCaption().toQString());
        for (int j = 0; j < popup->GetEntries()->Count(); ++j) {
            const CFxUiMenuEntry *entry = popup->GetEntries()->At(j);
            QString line = "  " + entry->GetCaption().toQString() + " "
                + entry->GetCommandItem()->GetMacro().toQString();
            if (entry->IsAcceleratorEnabled())
                line += " accelerator";
            const CFxUiMenuEntry::CheckState check = entry->GetCheckState();
            if (check != CFxUiMenuEntry::NotCheckable)
                line += check == CFxUiMenuEntry::Checked ? " checked" : " unchecked";
            lines << line;
        }
    }
    return lines.join('\n');
}

// The macros of a group's command items, in their order.
QStringList macrosOf(CFxUiMenuGroup *group)
{
    QStringList macros;
    for (int i = 0; i < group->GetCommandItems()->Count(); ++i)
        macros << group->GetCommandItems()->At(i)->GetMacro().toQString();
    return macros;
}

const QString kPopup = "4 AUREX Platform\n"
                       "  Open from Collaborative Space... ^C^C_AurexOpen\n"
                       "  Save to Collaborative Space... ^C^C_AurexSave%1\n"
                       "  Launch Hubdeck ^C^C_LaunchHubdeck\n"
                       "  Sign Out of AUREX Platform ^C^C_AurexLogOut\n"
                       "  Work Offline ^C^C_AurexWorkOffline %2";

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
        m_module = new TestModule(nullptr);
        m_module->initApp();
        MenuBuilder::buildAtViewCreation();
        QFile blank(":/host/templates/newdrawing.dxf");
        QVERIFY(blank.open(QIODevice::ReadOnly));
        const QByteArray drawing = blank.readAll();
        for (const char *name : { "a.dwg", "b.dwg" })
            QVERIFY(m_home.write(name, drawing));
    }

    void cleanupTestCase()
    {
        m_host.documents()->closeAll();
        unload();
    }

    void cleanup()
    {
        QTest::qWait(0); // closes the module asked for
        m_host.documents()->closeAll();
        ShowAurexTaskPane::instance()->setLauncherOpenPending(false);
        ShowAurexTaskPane::instance()->endSession();
    }

    // Signed out, a gated command asks to sign in first; closing the dialog opens nothing.
    // Signed in, save shows its dialog at once.
    void commandsAskToSignInFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("signedIn"); // else the launcher names a platform out of reach
        QTest::addColumn<QString>("shown");
        QTest::newRow("open, sign-in cancelled") << "_AurexOpen" << false << "CSLoginDialog";
        QTest::newRow("sign in or out, signed out") << "_AurexLogOut" << false << "CSLoginDialog";
        QTest::newRow("save, signed in") << "_AurexSave" << true << "SaveToCSDialog";
    }

    void commandsAskToSignInFirst()
    {
        QFETCH(QString, command);
        QFETCH(bool, signedIn);
        QFETCH(QString, shown);
        QVERIFY(m_home.writeLauncherParams(
            signedIn ? "<r><Params ServerUrl=\"\"/></r>"
                     : "<r><Params ServerUrl=\"http://127.0.0.1:1/vaultis\"/></r>"));
        if (signedIn)
            ShowAurexTaskPane::instance()->startSession(QString());
        QStringList seen;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&seen] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                seen << QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        closer.start(20);
        OdEdCommandContext context; // as the host runs a command typed alone
        QCOMPARE(odedRegCmds()->executeCommand(OdString(command.toStdWString()), &context), RTNORM);
        QTRY_VERIFY(!seen.isEmpty() && !QApplication::activeModalWidget());
        QCOMPARE(seen, QStringList { shown });
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(!window->isVisible() || window->objectName() != "OpenFromCSDialogClass");
    }

    // Each row opens a.dwg, then runs its host command lines.
    void commandWatch_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QStringList>("markedChanged");

        QTest::newRow("_SAVE") << QStringList { "_SAVE" } << 1 << QStringList { "a.dwg" };
        const QString b = m_home.filePath("b.dwg");
        QTest::newRow("_SAVEAS, typed in lower case")
            << QStringList { "_saveas " + b } << 1 << QStringList { "b.dwg" };
        QTest::newRow("_ATTACHDRAWING, _DETACHDRAWING")
            << QStringList { "_ATTACHDRAWING " + b + " pier", "_DETACHDRAWING pier" } << 2
            << QStringList();
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
        QVERIFY(m_host.documents()->OpenDocument(m_home.filePath("a.dwg")));
        QSignalSpy refreshed(ShowAurexTaskPane::instance(),
                             &ShowAurexTaskPane::DocumentActivatedSignal);

        CommandProcessor processor;
        for (const QString &step : steps)
            QCOMPARE(processor.runLine(step, false), 5100);

        // A save is recorded in the file database on a job; the pane is refreshed after it.
        QTRY_COMPARE(refreshed.count(), refreshes);
        FileDatabase database(tenant);
        for (const char *name : { "a.dwg", "b.dwg" }) {
            const QString key = FileDatabase::keyForPath(m_home.filePath(name));
            const bool marked = markedChanged.contains(name);
            QCOMPARE(database.isLocallyModified(key), QString(marked ? "true" : "false"));
            QCOMPARE(database.updateStamp(key), QString(marked ? "" : "2026/01/02@03:04:05:GMT"));
        }
    }

    // Started by the launcher, the host opens a drawing of its own besides the launcher's model:
    // the first other drawing opened while signed in is closed, and only that one.
    void launcherOpenClosesTheOtherDrawingOnce()
    {
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        session->startSession(QString());
        // As the launcher start-up leaves it, with the other separator.
        session->setLauncherModelPath(QString(m_home.filePath("a.dwg")).replace('/', '\\'));
        session->setLauncherOpenPending(true);
        HostDocumentManager *documents = m_host.documents();
        for (const char *name : { "a.dwg", "b.dwg", "b.dwg" }) {
            QVERIFY(documents->OpenDocument(m_home.filePath(name)));
            QTest::qWait(0);
        }
        QStringList open;
        for (int i = 0; i < documents->GetDocumentCount(); ++i)
            open << QFileInfo(documents->GetDocumentAt(i)->GetPathName().toQString()).fileName();
        open.sort();
        QCOMPARE(open, QStringList({ "a.dwg", "b.dwg" }));
        QVERIFY(!session->isLauncherOpenPending());
    }

    void closingTheMainWindowWithdrawsTheMenus()
    {
        QVERIFY(uiText().contains("_LX_AurexPlatformRibbonID"));
        CFxEditorReactor::fireMainFrameToBeClosed(m_host.mainWindow());
        QVERIFY(!uiText().contains("_LX_AurexPlatformRibbonID"));
    }

    // The last with the module: it unloads. A file database found unreadable is told on the
    // command line while the module is loaded; once it is gone, nothing of it is called any more.
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

    // The tests below make hosts of their own, each the current one while it lives: they run
    // after the module has gone.
    // The popup stands fifth in the main group's File menu (with the save accelerator) and in
    // the first workspace's; the panel ends the collaboration tab. Each view built adds them
    // once; withdrawing takes them all back.
    void popupInBothFileMenusAndPanelOnTheTab()
    {
        HostEnvironment host;
        const QStringList hostMacros = macrosOf(host.ui()->GetWorkspaceAt(0));
        MenuBuilder::buildAtViewCreation();
        MenuBuilder::buildAtViewCreation();
        const CFxUiMenuGroup *main = host.ui()->GetMainMenuGroup();
        CFxUiWorkspace *drafting = host.ui()->GetWorkspaceAt(0);
        QCOMPARE(popupText(main), kPopup.arg(" accelerator", "unchecked"));
        QCOMPARE(popupText(drafting), kPopup.arg("", "unchecked"));
        QCOMPARE(popupText(host.ui()->GetWorkspaceAt(1)), QString());
        SignInCaption::updateWorkOffline(true);
        QCOMPARE(popupText(main), kPopup.arg(" accelerator", "checked"));
        QCOMPARE(popupText(drafting), kPopup.arg("", "checked"));

        const CFxUiRibbonElement *tab = drafting->GetRibbonTabs()->Find(
            [](const CFxUiRibbonElement *t) { return t->GetIdentifier() == CFxString("RSM"); });
        const CFxUiRibbonElement *panel = tab->Find("_LX_AurexPlatformRibbonID");
        QVERIFY(panel);
        QCOMPARE(panel->GetCaption(), CFxString("AUREX Platform"));
        const CFxUiRibbonElement *signIn = panel->Find("_LX_AurexLoginInOutRibbonID");
        QCOMPARE(signIn->GetCommandItem()->GetMacro(), CFxString("^C^C_AurexLogOut"));
        QCOMPARE(tab->GetChildren()->Count(), 2); // the host's panel and ours
        // The module's commands join the group's, where the host lists what a user can bind:
        // once for each view built.
        const QStringList macros{"^C^C_Aurex",        "^C^C_AurexOpen",       "^C^C_AurexSave",
                                 "^C^C_LaunchHubdeck", "^C^C_AurexLogOut",     "^C^C_SaveAccelerator",
                                 "^C^C_AurexWorkOffline"};
        QCOMPARE(macrosOf(drafting), hostMacros + macros + macros);

        const CFxUiMenuEntryList *fileEntries = drafting->FindMenu("ID_MnFile")->GetEntries();
        CFxUiCommandItem *platformItem = fileEntries->At(4)->GetCommandItem();
        MenuBuilder::withdraw();
        QCOMPARE(popupText(drafting), QString());
        QCOMPARE(fileEntries->Count(), 6);
        QVERIFY(!host.ui()->HasCommandItem(platformItem));
        QCOMPARE(macrosOf(drafting), hostMacros);
        QVERIFY(!tab->Find("_LX_AurexPlatformRibbonID"));
    }

    // Withdrawn while another host's customization is the current one, the popup stays in
    // the menus of the host it was built in: those are not the current host's to change.
    void withdrawLeavesAnotherHostsMenusAlone()
    {
        HostEnvironment first;
        MenuBuilder::buildAtViewCreation();
        {
            HostEnvironment second;
            MenuBuilder::withdraw();
            QCOMPARE(popupText(second.ui()->GetMainMenuGroup()), QString());
        }
        QCOMPARE(popupText(first.ui()->GetMainMenuGroup()), kPopup.arg(" accelerator", "unchecked"));
        QCOMPARE(popupText(first.ui()->GetWorkspaceAt(0)), kPopup.arg("", "unchecked"));
    }
private:
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

    QString uiText() const { return QString::fromUtf8(QJsonDocument(m_host.uiJson()).toJson()); }

    // One host for the whole test; the commands are released before the host they were made
    // for.
    TestHome m_home;
    HostEnvironment m_host;
    FileCommands m_files { m_host.documents() };
    ReferenceCommands m_references { m_host.documents(), m_host.appServices() };
    TestModule *m_module = nullptr;
};

QTEST_MAIN(TestLxAurexReactor)
#include "tst_lxaurexreactor.moc"
