#pragma once

// Identifiers of the host's menus and ribbon that the module looks for or creates.
const char kFileMenuId[] = "ID_MnFile";
const char kPopupEntryId[] = "ID_AUREX";
const char kPlatformItemElementId[] = "ID_AUREX_PLATFORM";
const char kSignInOutItemElementId[] = "ID_AUREX_LOGINOUT";
const char kCollaborationTabId[] = "RSM";
const char kRibbonPanelId[] = "_LX_AurexPlatformRibbonID";
const char kSignInOutButtonId[] = "_LX_AurexLoginInOutRibbonID";
const char kWorkOfflineItemElementId[] = "ID_AUREX_WORKOFFLINE";

// Positions in the File menu: the popup follows the fourth entry; its fourth entry signs in/out
// and its fifth switches working offline.
constexpr int kPopupIndexInFileMenu = 4;
constexpr int kSignInOutIndexInPopup = 3;
constexpr int kWorkOfflineIndexInPopup = 4;

// The online help. The help site's host is ours to name: a reserved documentation domain until
// the product has a public help site; the page and its parameters are fixed by the site.
const char kHelpSiteHost[] = "http://help.aurex.example";
const char kTaskPaneHelpPath[] = "/Help.aspx?F=c_collaborative_sharing_overview.htm&P=12&L=%1&V=%2";
const char kSaveDialogHelpPath[] = "/Help.aspx?F=c_collaborative_sharing_overview.htm&P=12&L=%1 &V=%2";
const char kHelpVersion[] = "2015";

// The module's translation catalogues, compiled in as Qt resources: aurex_de.qm for German.
const char kCatalogueFolder[] = ":/aurex/translations";
const char kCatalogueFilePrefix[] = "aurex_";
