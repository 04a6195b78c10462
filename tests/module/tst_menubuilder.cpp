// The module's popup, command items and ribbon panel in the host's customization model.

#include "hostenvironment.h"

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

class TestMenuBuilder : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(TestMenuBuilder)
#include "tst_menubuilder.moc"
