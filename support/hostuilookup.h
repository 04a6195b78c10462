#pragma once

class CFxUiCustomizationManager;
class CFxUiMenu;
class CFxUiMenuGroup;
class CFxUiRibbonElement;
class CFxUiWorkspace;

// Finds the host's menus and ribbon tab that the module works with. Every function copes with a
// missing manager, workspace, menu or tab by returning null.
class HostUiLookup
{
public:
    // The first workspace that says it is current.
    static CFxUiWorkspace *currentWorkspace(const CFxUiCustomizationManager *manager);
    // The File menu of a group ("ID_MnFile", exact).
    static CFxUiMenu *fileMenu(const CFxUiMenuGroup *group);
    // The first File menu among the workspaces, walking them in order.
    static CFxUiMenu *fileMenuOfWorkspaces(const CFxUiCustomizationManager *manager);
    // The workspace's tab with id "RSM" (any letter case), or else its last tab.
    static CFxUiRibbonElement *collaborationTab(const CFxUiWorkspace *workspace);
};
