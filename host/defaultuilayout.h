#pragma once

class CFxUiCustomizationManager;

// Fills an empty customization model with the host's own menus and ribbon: the main menu group
// and two workspaces ("Drafting", current, and "Classic"), each with its File menu "ID_MnFile".
void buildDefaultUiLayout(CFxUiCustomizationManager *manager);
