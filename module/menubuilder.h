#pragma once

class CFxUiMenu;
class CFxUiMenuGroup;

// The module's place in the host's menus and ribbon: the "AUREX Platform" popup in the File
// menus, the "AUREX Platform" panel on the collaboration tab, and the command items they use.
// Main thread only.
class MenuBuilder
{
public:
    // Builds into the main menu group's File menu and the workspaces' File menu, then asks the
    // host to redraw. Parts the host lacks (group, workspace, File menu, tab) are skipped.
    static void buildAtViewCreation();
    // Creates the seven command items in the group, the popup in the File menu when it has none,
    // and the ribbon panel when the current workspace's tab has none. saveEntryFlag goes to the
    // popup's Save entry.
    static void build(CFxUiMenu *fileMenu, CFxUiMenuGroup *group, bool saveEntryFlag);
    // Takes the popup (and its command item) out of the File menu where it was last created,
    // and the panel out of its tab.
    static void withdraw();
};
