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

namespace {

bool boundTo(const CFxUiMenuEntry *entry, const char *elementId)
{
    return entry && entry->GetCommandItem()
        && entry->GetCommandItem()->GetElementId().toQString() == QLatin1String(elementId);
}

// The caption update relies on the popup standing fifth in the File menu and the sign-in entry
// fourth in the popup, where the menu builder put them.
void setSignInEntryCaption(CFxUiMenu *fileMenu, const QString &caption)
{
    if (!fileMenu)
        return;
    CFxUiMenuEntry *popup = fileMenu->GetEntries()->At(kPopupIndexInFileMenu);
    if (!boundTo(popup, kPlatformItemElementId))
        return;
    CFxUiMenuEntry *signIn = popup->GetEntries()->At(kSignInOutIndexInPopup);
    if (boundTo(signIn, kSignInOutItemElementId))
        signIn->SetCaption(caption);
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
    CFxUiCustomizationManager *manager = HostAccess::ui();
    if (!manager)
        return;
    setSignInEntryCaption(HostUiLookup::fileMenuOfWorkspaces(manager), caption);
    setSignInEntryCaption(HostUiLookup::fileMenu(manager->GetMainMenuGroup()), caption);
}

void SignInCaption::updateRibbon(const QString &caption)
{
    const CFxUiRibbonElement *tab =
        HostUiLookup::collaborationTab(HostUiLookup::currentWorkspace(HostAccess::ui()));
    const CFxUiRibbonElement *panel = tab ? tab->Find(kRibbonPanelId) : nullptr;
    if (CFxUiRibbonElement *button = panel ? panel->Find(kSignInOutButtonId) : nullptr)
        button->SetCaption(caption);
}
