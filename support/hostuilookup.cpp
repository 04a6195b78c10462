#include "hostuilookup.h"

#include "supportconstants.h"

#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>

CFxUiWorkspace *HostUiLookup::currentWorkspace(const CFxUiCustomizationManager *manager)
{
    if (!manager)
        return nullptr;
    for (int i = 0; i < manager->GetWorkspaceCount(); ++i) {
        if (manager->GetWorkspaceAt(i)->IsCurrent())
            return manager->GetWorkspaceAt(i);
    }
    return nullptr;
}

CFxUiMenu *HostUiLookup::fileMenu(const CFxUiMenuGroup *group)
{
    return group ? group->FindMenu(kFileMenuId) : nullptr;
}

CFxUiMenu *HostUiLookup::fileMenuOfWorkspaces(const CFxUiCustomizationManager *manager)
{
    if (!manager)
        return nullptr;
    for (int i = 0; i < manager->GetWorkspaceCount(); ++i) {
        if (CFxUiMenu *menu = fileMenu(manager->GetWorkspaceAt(i)))
            return menu;
    }
    return nullptr;
}

CFxUiRibbonElement *HostUiLookup::collaborationTab(const CFxUiWorkspace *workspace)
{
    if (!workspace)
        return nullptr;
    const auto *tabs = workspace->GetRibbonTabs();
    for (int i = 0; i < tabs->Count(); ++i) {
        if (tabs->At(i)->GetIdentifier().toQString().compare(QLatin1String(kCollaborationTabId),
                                                             Qt::CaseInsensitive)
            == 0)
            return tabs->At(i);
    }
    return tabs->At(tabs->Count() - 1);
}
