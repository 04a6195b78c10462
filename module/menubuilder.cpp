#include "menubuilder.h"

#include "modulelogging.h"

#include "support/hostaccess.h"
#include "support/hostuilookup.h"
#include "support/supportconstants.h"

#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>

#include <QCoreApplication>
#include <QPointer>

#include <array>
#include <vector>

namespace {

// The File-menu entry list in which the popup was last created, for the withdrawal, and the
// manager that owns it: the list is valid only while that manager exists.
CFxUiMenuEntryList *g_popupMenuEntries = nullptr;
QPointer<CFxUiCustomizationManager> g_popupManager;
// Every command item the module made in the manager that owns them, withdrawn with it from
// wherever the host lists them.
std::vector<CFxUiCommandItem *> g_createdItems;
QPointer<CFxUiCustomizationManager> g_itemsManager;

const char kCompass[] = ":/embedded/UI/Resources/AurexLoginCompass.png";
const char kGetFromSpace[] = ":/embedded/UI/Resources/FzxUiGetFromCollabSpace.png";
const char kSaveToSpace[] = ":/embedded/UI/Resources/FzxUiSavetoCollabSapce.png";
const char kDashboard[] = ":/embedded/UI/Resources/LaunchHubdeck.png";

struct ItemDef
{
    const char *identifier;
    const char *caption;
    const char *macro;
    const char *help;
    const char *elementId;
    const char *smallImage;
    const char *largeImage;
};

enum Item {
    PlatformItem,
    OpenItem,
    SaveItem,
    DashboardItem,
    SignInOutItem,
    AcceleratorItem,
    WorkOfflineItem,
    ItemCount
};

// The accelerator item has an identifier of its own ("_LX_AurexSaveAccelerator"): sharing the
// sign-out item's identifier would let a host hand back that item and overwrite its caption,
// macro and help text.
const std::array<ItemDef, ItemCount> kItems = { {
    { "_LX_AurexPlatform", QT_TRANSLATE_NOOP("QObject", "AUREX Platform"), "^C^C_Aurex",
      QT_TRANSLATE_NOOP("QObject", "Aurex Platform."), kPlatformItemElementId, kCompass,
      nullptr },
    { "_LX_AurexOPenPlatform", QT_TRANSLATE_NOOP("QObject", "Open Aurex Platform"),
      "^C^C_AurexOpen", QT_TRANSLATE_NOOP("QObject", "Open Aurex Platform."), nullptr,
      kGetFromSpace, kGetFromSpace },
    { "_LX_AurexSavePlatform", QT_TRANSLATE_NOOP("QObject", "Save Aurex Platform"),
      "^C^C_AurexSave", QT_TRANSLATE_NOOP("QObject", "Save Aurex Platform."), nullptr, nullptr,
      kSaveToSpace },
    { "_LX_AurexHubdeckPlatform", QT_TRANSLATE_NOOP("QObject", "Launch Hubdeck"),
      "^C^C_LaunchHubdeck", QT_TRANSLATE_NOOP("QObject", "Launch Hubdeck."), nullptr, kDashboard,
      kDashboard },
    { "_LX_AurexLogOutPlatform", QT_TRANSLATE_NOOP("QObject", "Sign Out of AUREX Platform"),
      "^C^C_AurexLogOut", QT_TRANSLATE_NOOP("QObject", "Sign Out of AUREX Platform."),
      kSignInOutItemElementId, nullptr, kCompass },
    { "_LX_AurexSaveAccelerator", QT_TRANSLATE_NOOP("QObject", "Aurex Save Accelerator"),
      "^C^C_SaveAccelerator", QT_TRANSLATE_NOOP("QObject", "Aurex Save Accelerator Platform."),
      nullptr, nullptr, nullptr },
    { "_LX_AurexWorkOffline", QT_TRANSLATE_NOOP("QObject", "Work Offline"),
      "^C^C_AurexWorkOffline",
      QT_TRANSLATE_NOOP("QObject",
                        "Work without the AUREX Platform: saves wait until you go online again."),
      kWorkOfflineItemElementId, nullptr, nullptr },
} };

std::array<CFxUiCommandItem *, ItemCount> createItems(CFxUiCustomizationManager *manager)
{
    std::array<CFxUiCommandItem *, ItemCount> items {};
    for (int i = 0; i < ItemCount; ++i) {
        const ItemDef &def = kItems[static_cast<std::size_t>(i)];
        CFxUiCommandItem *item = manager->CreateCommandItem(def.identifier);
        item->SetCaption(QObject::tr(def.caption));
        item->SetMacro(def.macro);
        item->SetHelpText(QObject::tr(def.help));
        if (def.elementId)
            item->SetElementId(def.elementId);
        if (def.smallImage)
            item->SetSmallImage(def.smallImage, CFxString());
        if (def.largeImage)
            item->SetLargeImage(def.largeImage, CFxString());
        items[static_cast<std::size_t>(i)] = item;
    }
    return items;
}

bool hasPopup(const CFxUiMenu *fileMenu)
{
    const CFxUiMenuEntryList *entries = fileMenu->GetEntries();
    for (int i = 0; i < entries->Count(); ++i) {
        const CFxUiMenuEntry *entry = entries->At(i);
        qCDebug(lcModule) << "File menu entry" << entry->GetCaption().toQString() << entry->GetId().toQString();
        if (entry->GetId().toQString().compare(QLatin1String(kPopupEntryId), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void createPopup(CFxUiCustomizationManager *manager, CFxUiMenu *fileMenu,
                 const std::array<CFxUiCommandItem *, ItemCount> &items, bool saveEntryFlag)
{
    CFxUiMenuEntry *popup = manager->CreateMenuEntry(kPopupEntryId);
    popup->SetCommandItem(items[PlatformItem]);
    popup->SetCaption(QObject::tr("AUREX Platform"));
    g_popupMenuEntries = fileMenu->GetEntries();
    g_popupManager = manager;
    g_popupMenuEntries->InsertAfter(g_popupMenuEntries->At(kPopupIndexInFileMenu - 1), popup);

    // Each sub-entry goes to the front, so they are created bottom to top.
    const struct
    {
        const char *caption;
        Item item;
    } subEntries[] = {
        { QT_TRANSLATE_NOOP("QObject", "Work Offline"), WorkOfflineItem },
        { QT_TRANSLATE_NOOP("QObject", "Sign Out of AUREX Platform"), SignInOutItem },
        { QT_TRANSLATE_NOOP("QObject", "Launch Hubdeck"), DashboardItem },
        { QT_TRANSLATE_NOOP("QObject", "Save to Collaborative Space..."), SaveItem },
        { QT_TRANSLATE_NOOP("QObject", "Open from Collaborative Space..."), OpenItem },
    };
    for (const auto &sub : subEntries) {
        CFxUiMenuEntry *entry = manager->CreateMenuEntry();
        entry->SetCommandItem(items[sub.item]);
        entry->SetCaption(QObject::tr(sub.caption));
        popup->GetEntries()->InsertAfter(nullptr, entry);
        if (sub.item == SaveItem)
            entry->SetAcceleratorEnabled(saveEntryFlag);
        if (sub.item == WorkOfflineItem)
            entry->SetCheckState(CFxUiMenuEntry::Unchecked);
    }
}

void createRibbonPanel(CFxUiCustomizationManager *manager,
                       const std::array<CFxUiCommandItem *, ItemCount> &items)
{
    CFxUiRibbonElement *tab =
        HostUiLookup::collaborationTab(HostUiLookup::currentWorkspace(manager));
    if (!tab || tab->Find(kRibbonPanelId))
        return;
    CFxUiRibbonElement *panel = manager->CreateRibbonElement(kRibbonPanelId, CFxUiRibbonElement::Panel);
    panel->SetCaption(QObject::tr("AUREX Platform"));
    tab->GetChildren()->Append(panel);
    const struct
    {
        const char *caption;
        Item item;
        const char *identifier;
    } buttons[] = {
        { QT_TRANSLATE_NOOP("QObject", "Open Aurex Platform"), OpenItem, "" },
        { QT_TRANSLATE_NOOP("QObject", "Save Aurex Platform"), SaveItem, "" },
        { QT_TRANSLATE_NOOP("QObject", "Launch Hubdeck"), DashboardItem, "" },
        { QT_TRANSLATE_NOOP("QObject", "Sign Out of AUREX Platform"), SignInOutItem,
          kSignInOutButtonId },
    };
    for (const auto &def : buttons) {
        CFxUiRibbonElement *button = manager->CreateRibbonElement(def.identifier, CFxUiRibbonElement::Button);
        button->SetCaption(QObject::tr(def.caption));
        button->SetCommandItem(items[def.item]);
        panel->GetChildren()->Append(button);
    }
}

} // namespace

void MenuBuilder::build(CFxUiMenu *fileMenu, CFxUiMenuGroup *group, bool saveEntryFlag)
{
    CFxUiCustomizationManager *manager = HostAccess::ui();
    if (!manager || !fileMenu || !group)
        return;
    const std::array<CFxUiCommandItem *, ItemCount> items = createItems(manager);
    for (CFxUiCommandItem *item : items)
        group->GetCommandItems()->Append(item);
    if (g_itemsManager != manager)
        g_createdItems.clear(); // those of a manager that went with its host
    g_itemsManager = manager;
    g_createdItems.insert(g_createdItems.end(), items.begin(), items.end());
    if (!hasPopup(fileMenu))
        createPopup(manager, fileMenu, items, saveEntryFlag);
    createRibbonPanel(manager, items);
}

void MenuBuilder::buildAtViewCreation()
{
    CFxUiCustomizationManager *manager = HostAccess::ui();
    CFxUiMenuGroup *mainGroup = manager ? manager->GetMainMenuGroup() : nullptr;
    if (!mainGroup)
        return;
    if (CFxUiMenu *fileMenu = HostUiLookup::fileMenu(mainGroup))
        build(fileMenu, mainGroup, true);
    CFxUiWorkspace *workspace = HostUiLookup::currentWorkspace(manager);
    if (!workspace)
        return;
    if (CFxUiMenu *fileMenu = HostUiLookup::fileMenuOfWorkspaces(manager))
        build(fileMenu, workspace, false);
    manager->RefreshMenus(0);
}

void MenuBuilder::withdraw()
{
    CFxUiCustomizationManager *manager = HostAccess::ui();
    if (!manager)
        return;
    if (g_popupMenuEntries && g_popupManager == manager) {
        for (int i = 0; i < g_popupMenuEntries->Count();) {
            CFxUiMenuEntry *entry = g_popupMenuEntries->At(i);
            if (entry->GetId().toQString() != QLatin1String(kPopupEntryId)) {
                ++i;
                continue;
            }
            g_popupMenuEntries->Remove(entry);
        }
    }
    if (g_itemsManager == manager) {
        for (CFxUiCommandItem *item : g_createdItems)
            manager->RemoveCommandItem(item);
    }
    g_createdItems.clear();
    CFxUiRibbonElement *tab = HostUiLookup::collaborationTab(HostUiLookup::currentWorkspace(manager));
    if (CFxUiRibbonElement *panel = tab ? tab->Find(kRibbonPanelId) : nullptr)
        tab->GetChildren()->Remove(panel);
}
