// The module's popup, command items and ribbon panel in the host's customization model.

#include "hostenvironment.h"

#include "session/loggingcontroller.h"
#include "module/menubuilder.h"
#include "support/signincaption.h"

#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>

#include <QtTest>

namespace {

CFxUiMenu *fileMenu(const CFxUiMenuGroup *group)
{
    return group->FindMenu("ID_MnFile");
}

int popupCount(const CFxUiMenu *menu)
{
    int count = 0;
    for (int i = 0; i < menu->GetEntries()->Count(); ++i)
        count += menu->GetEntries()->At(i)->GetId() == CFxString("ID_AUREX") ? 1 : 0;
    return count;
}

int moduleItemCount(const CFxUiMenuGroup *group)
{
    int count = 0;
    for (int i = 0; i < group->GetCommandItems()->Count(); ++i)
        count += group->GetCommandItems()->At(i)->GetIdentifier().toQString().startsWith("_LX_") ? 1 : 0;
    return count;
}

CFxUiRibbonElement *tab(const CFxUiWorkspace *workspace, const char *id)
{
    return workspace->GetRibbonTabs()->Find(
        [id](const CFxUiRibbonElement *t) { return t->GetIdentifier() == CFxString(id); });
}

QStringList captions(const CFxUiMenuEntryList *entries)
{
    QStringList result;
    for (int i = 0; i < entries->Count(); ++i)
        result << entries->At(i)->GetCaption().toQString();
    return result;
}

} // namespace

class TestMenuBuilder : public QObject
{
    Q_OBJECT

private slots:
    void popupStandsFifthInBothFileMenus()
    {
        HostEnvironment host;
        MenuBuilder::buildAtViewCreation();
        CFxUiWorkspace *drafting = host.ui()->GetWorkspaceAt(0);
        struct { CFxUiMenuGroup *group; bool accelerator; } cases[] = {
            { host.ui()->GetMainMenuGroup(), true }, { drafting, false } };
        for (const auto &c : cases) {
            const CFxUiMenuEntryList *entries = fileMenu(c.group)->GetEntries();
            QCOMPARE(entries->Count(), 7);
            const CFxUiMenuEntry *popup = entries->At(4);
            QCOMPARE(popup->GetId(), CFxString("ID_AUREX"));
            QCOMPARE(popup->GetCaption(), CFxString("AUREX Platform"));
            QCOMPARE(popup->GetCommandItem()->GetElementId(), CFxString("ID_AUREX_PLATFORM"));
            QCOMPARE(captions(popup->GetEntries()),
                     QStringList({ "Open from Collaborative Space...", "Save to Collaborative Space...",
                                   "Launch Hubdeck", "Sign Out of AUREX Platform",
                                   "Work Offline" }));
            QCOMPARE(popup->GetEntries()->At(1)->GetCommandItem()->GetMacro(), CFxString("^C^C_AurexSave"));
            QCOMPARE(popup->GetEntries()->At(1)->IsAcceleratorEnabled(), c.accelerator);
            QCOMPARE(popup->GetEntries()->At(3)->GetCommandItem()->GetElementId(),
                     CFxString("ID_AUREX_LOGINOUT"));
            const CFxUiMenuEntry *offline = popup->GetEntries()->At(4);
            QCOMPARE(offline->GetCommandItem()->GetMacro(), CFxString("^C^C_AurexWorkOffline"));
            QCOMPARE(offline->GetCheckState(), CFxUiMenuEntry::Unchecked);
            QCOMPARE(moduleItemCount(c.group), 7);
        }
        // Working offline checks the entry in both File menus, online unchecks it.
        for (const bool offline : {true, false}) {
            SignInCaption::updateWorkOffline(offline);
            for (const auto &c : cases) {
                QCOMPARE(fileMenu(c.group)->GetEntries()->At(4)->GetEntries()->At(4)
                             ->GetCheckState(),
                         offline ? CFxUiMenuEntry::Checked : CFxUiMenuEntry::Unchecked);
            }
        }
        // Only the first workspace's File menu gets the popup.
        QCOMPARE(popupCount(fileMenu(host.ui()->GetWorkspaceAt(1))), 0);

        const CFxUiRibbonElement *panel = tab(drafting, "RSM")->Find("_LX_AurexPlatformRibbonID");
        QVERIFY(panel);
        QCOMPARE(panel->GetCaption(), CFxString("AUREX Platform"));
        QCOMPARE(panel->GetChildren()->Count(), 4);
        const CFxUiRibbonElement *signIn = panel->Find("_LX_AurexLoginInOutRibbonID");
        QCOMPARE(panel->GetChildren()->IndexOf(signIn), 3);
        QCOMPARE(signIn->GetCommandItem()->GetMacro(), CFxString("^C^C_AurexLogOut"));
    }

    void buildingTwiceAddsItemsButNoSecondPopupOrPanel()
    {
        HostEnvironment host;
        MenuBuilder::buildAtViewCreation();
        MenuBuilder::buildAtViewCreation();
        CFxUiWorkspace *drafting = host.ui()->GetWorkspaceAt(0);
        QCOMPARE(popupCount(fileMenu(host.ui()->GetMainMenuGroup())), 1);
        QCOMPARE(popupCount(fileMenu(drafting)), 1);
        QCOMPARE(tab(drafting, "RSM")->GetChildren()->Count(), 2); // the host's panel and ours
        QCOMPARE(moduleItemCount(drafting), 14);
    }

    void workspaceWithoutCollaborationTabGetsThePanelOnItsLastTab()
    {
        HostEnvironment host;
        CFxUiWorkspace *classic = host.ui()->GetWorkspaceAt(1);
        host.ui()->SetCurrentWorkspace(classic);
        MenuBuilder::buildAtViewCreation();
        QVERIFY(tab(classic, "OUTPUT")->Find("_LX_AurexPlatformRibbonID"));
        QVERIFY(!tab(classic, "HOME")->Find("_LX_AurexPlatformRibbonID"));
        QVERIFY(!tab(host.ui()->GetWorkspaceAt(0), "RSM")->Find("_LX_AurexPlatformRibbonID"));
    }

    void captionsFollowTheSignInState()
    {
        HostEnvironment host;
        MenuBuilder::buildAtViewCreation();
        const auto signInEntry = [](const CFxUiMenuGroup *group) {
            return fileMenu(group)->GetEntries()->At(4)->GetEntries()->At(3)->GetCaption().toQString();
        };
        CFxUiWorkspace *drafting = host.ui()->GetWorkspaceAt(0);
        const CFxUiRibbonElement *button =
            tab(drafting, "RSM")->Find("_LX_AurexPlatformRibbonID")->Find("_LX_AurexLoginInOutRibbonID");

        LoggingController::instance()->setMainMenuText(false);
        QCOMPARE(signInEntry(host.ui()->GetMainMenuGroup()), QString("Sign In to AUREX Platform"));
        QCOMPARE(signInEntry(drafting), QString("Sign In to AUREX Platform"));
        QCOMPARE(button->GetCaption(), CFxString("Sign Out of AUREX Platform")); // menus only

        SignInCaption::updateRibbon(SignInCaption::signInText());
        QCOMPARE(button->GetCaption(), CFxString("Sign In to AUREX Platform"));
        LoggingController::instance()->setMainMenuText(true);
        QCOMPARE(signInEntry(drafting), QString("Sign Out of AUREX Platform"));
    }

    void captionUpdateLeavesAMenuWithoutThePopupAlone()
    {
        HostEnvironment host;
        CFxUiMenu *menu = fileMenu(host.ui()->GetMainMenuGroup());
        const QStringList before = captions(menu->GetEntries());
        SignInCaption::updateMenu("changed");
        QCOMPARE(captions(menu->GetEntries()), before);
    }

    void withdrawalTakesBackPopupItemAndPanel()
    {
        HostEnvironment host;
        MenuBuilder::buildAtViewCreation();
        CFxUiWorkspace *drafting = host.ui()->GetWorkspaceAt(0);
        CFxUiCommandItem *platformItem = fileMenu(drafting)->GetEntries()->At(4)->GetCommandItem();
        MenuBuilder::withdraw();
        QCOMPARE(popupCount(fileMenu(drafting)), 0);
        QCOMPARE(fileMenu(drafting)->GetEntries()->Count(), 6);
        QVERIFY(!host.ui()->HasCommandItem(platformItem));
        QVERIFY(!tab(drafting, "RSM")->Find("_LX_AurexPlatformRibbonID"));
        MenuBuilder::withdraw(); // nothing left to take: harmless
    }
};

QTEST_MAIN(TestMenuBuilder)
#include "tst_menubuilder.moc"
