#include "signincaption.h"

#include "hostaccess.h"
#include "hostuilookup.h"
#include "supportconstants.h"

#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>

#include <QCoreApplication>

#include <functional>

namespace {

bool boundTo(const CFxUiMenuEntry *entry, const char *elementId)
{
    return entry && entry->GetCommandItem()
        && entry->GetCommandItem()->GetElementId().toQString() == QLatin1String(elementId);
}

// The popup's entry at index bound to elementId, in both File menus. Relies on the popup
// standing fifth in the File menu, where the menu builder put it.
void forPopupEntry(int index, const char *elementId,
                   const std::function<void(CFxUiMenuEntry *)> &change)
{
    CFxUiCustomizationManager *manager = HostAccess::ui();
    if (!manager)
        return;
    for (CFxUiMenu *fileMenu : {HostUiLookup::fileMenuOfWorkspaces(manager),
                                HostUiLookup::fileMenu(manager->GetMainMenuGroup())}) {
        CFxUiMenuEntry *popup = fileMenu ? fileMenu->GetEntries()->At(kPopupIndexInFileMenu)
                                         : nullptr;
        if (!boundTo(popup, kPlatformItemElementId))
            continue;
        CFxUiMenuEntry *entry = popup->GetEntries()->At(index);
        if (boundTo(entry, elementId))
            change(entry);
    }
}

} // namespace

QString SignInCaption::signInText()
{
    return QCoreApplication::translate("QObject", "Sign In to AUREX Platform");
}

QString SignInCaption::signOutText()
{
    return QCoreApplication::translate("QObject", "Sign Out of AUREX Platform");
}

void SignInCaption::updateMenu(const QString &caption)
{
    forPopupEntry(kSignInOutIndexInPopup, kSignInOutItemElementId,
                  [&caption](CFxUiMenuEntry *entry) { entry->SetCaption(caption); });
}

void SignInCaption::updateWorkOffline(bool offline)
{
    forPopupEntry(kWorkOfflineIndexInPopup, kWorkOfflineItemElementId,
                  [offline](CFxUiMenuEntry *entry) {
        entry->SetCheckState(offline ? CFxUiMenuEntry::Checked : CFxUiMenuEntry::Unchecked);
    });
}

void SignInCaption::updateRibbon(const QString &caption)
{
    const CFxUiRibbonElement *tab =
        HostUiLookup::collaborationTab(HostUiLookup::currentWorkspace(HostAccess::ui()));
    const CFxUiRibbonElement *panel = tab ? tab->Find(kRibbonPanelId) : nullptr;
    if (CFxUiRibbonElement *button = panel ? panel->Find(kSignInOutButtonId) : nullptr)
        button->SetCaption(caption);
}
