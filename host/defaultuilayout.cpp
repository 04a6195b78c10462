#include "defaultuilayout.h"

#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>

#include <QCoreApplication>

#include <vector>

namespace {

struct EntryDef
{
    const char *elementId;
    const char *caption;
    const char *command; // global command name; the macro runs it
    const char *help;
};

struct MenuDef
{
    const char *id;
    const char *caption;
    std::vector<EntryDef> entries;
};

const std::vector<MenuDef> &menuDefinitions()
{
    static const std::vector<MenuDef> menus = {
        { "ID_MnFile", QT_TRANSLATE_NOOP("DefaultUiLayout", "&File"),
          { { "ID_New", QT_TRANSLATE_NOOP("DefaultUiLayout", "New"), "_NEW", "Creates a new drawing." },
            { "ID_Open", QT_TRANSLATE_NOOP("DefaultUiLayout", "Open..."), "_OPEN", "Opens a drawing." },
            { "ID_Save", QT_TRANSLATE_NOOP("DefaultUiLayout", "Save"), "_SAVE", "Saves the drawing." },
            { "ID_SaveAs", QT_TRANSLATE_NOOP("DefaultUiLayout", "Save As..."), "_SAVEAS",
              "Saves the drawing under a new name." },
            { "ID_Close", QT_TRANSLATE_NOOP("DefaultUiLayout", "Close"), "_CLOSE", "Closes the drawing." },
            { "ID_Exit", QT_TRANSLATE_NOOP("DefaultUiLayout", "Exit"), "_QUIT", "Quits the application." } } },
        { "ID_MnInsert", QT_TRANSLATE_NOOP("DefaultUiLayout", "&Insert"),
          { { "ID_AttachDrawing", QT_TRANSLATE_NOOP("DefaultUiLayout", "Attach Drawing..."), "_ATTACHDRAWING",
              "Attaches a drawing as an external reference." },
            { "ID_AttachImage", QT_TRANSLATE_NOOP("DefaultUiLayout", "Attach Image..."), "_ATTACHIMAGE",
              "Attaches a raster image." },
            { "ID_AttachPdf", QT_TRANSLATE_NOOP("DefaultUiLayout", "Attach PDF..."), "_ATTACHPDF",
              "Attaches a PDF underlay." },
            { "ID_DetachDrawing", QT_TRANSLATE_NOOP("DefaultUiLayout", "Detach Drawing..."), "_DETACHDRAWING",
              "Detaches an external reference." },
            { "ID_DetachImage", QT_TRANSLATE_NOOP("DefaultUiLayout", "Detach Image..."), "_DETACHIMAGE",
              "Detaches a raster image." },
            { "ID_DetachPdf", QT_TRANSLATE_NOOP("DefaultUiLayout", "Detach PDF..."), "_DETACHPDF",
              "Detaches a PDF underlay." } } },
        { "ID_MnView", QT_TRANSLATE_NOOP("DefaultUiLayout", "&View"),
          { { "ID_ModuleViews", QT_TRANSLATE_NOOP("DefaultUiLayout", "Module Panes"), "_MODULEVIEWS",
              "Shows the panes of the loaded modules again." } } },
    };
    return menus;
}

struct RibbonDef
{
    const char *tabId;
    const char *tabCaption;
    const char *panelCaption;
    std::vector<const char *> commands; // command items of the tab's one panel, by command
};

QString tr(const char *text)
{
    return QCoreApplication::translate("DefaultUiLayout", text);
}

// Builds the group's menus and the command items their entries are bound to.
void buildMenus(CFxUiCustomizationManager *manager, CFxUiMenuGroup *group)
{
    for (const MenuDef &menuDef : menuDefinitions()) {
        CFxUiMenu *menu = manager->CreateMenu(menuDef.id, tr(menuDef.caption));
        for (const EntryDef &entryDef : menuDef.entries) {
            CFxUiCommandItem *item = manager->CreateCommandItem(
                QStringLiteral("ID_Cmd") + QString::fromLatin1(entryDef.command));
            item->SetCaption(tr(entryDef.caption));
            item->SetMacro(QStringLiteral("^C^C") + QString::fromLatin1(entryDef.command));
            item->SetHelpText(entryDef.help);
            item->SetElementId(entryDef.elementId);
            group->GetCommandItems()->Append(item);
            CFxUiMenuEntry *entry = manager->CreateMenuEntry(entryDef.elementId);
            entry->SetCommandItem(item);
            entry->SetCaption(tr(entryDef.caption));
            menu->GetEntries()->Append(entry);
        }
        group->GetMenus()->Append(menu);
    }
}

CFxUiCommandItem *findItem(const CFxUiMenuGroup *group, const char *command)
{
    const QString macro = QStringLiteral("^C^C") + QString::fromLatin1(command);
    return group->GetCommandItems()->Find(
        [&macro](const CFxUiCommandItem *item) { return item->GetMacro().toQString() == macro; });
}

void buildRibbon(CFxUiCustomizationManager *manager, CFxUiWorkspace *workspace,
                 const std::vector<RibbonDef> &tabs)
{
    for (const RibbonDef &tabDef : tabs) {
        CFxUiRibbonElement *tab = manager->CreateRibbonElement(tabDef.tabId, CFxUiRibbonElement::Tab);
        tab->SetCaption(tr(tabDef.tabCaption));
        CFxUiRibbonElement *panel = manager->CreateRibbonElement(
            QString::fromLatin1(tabDef.tabId) + QStringLiteral("_Panel"), CFxUiRibbonElement::Panel);
        panel->SetCaption(tr(tabDef.panelCaption));
        for (const char *command : tabDef.commands) {
            CFxUiCommandItem *item = findItem(workspace, command);
            CFxUiRibbonElement *button = manager->CreateRibbonElement(
                QStringLiteral("ID_Btn") + QString::fromLatin1(command), CFxUiRibbonElement::Button);
            button->SetCommandItem(item);
            button->SetCaption(item ? item->GetCaption() : CFxString(command));
            panel->GetChildren()->Append(button);
        }
        tab->GetChildren()->Append(panel);
        workspace->GetRibbonTabs()->Append(tab);
    }
}

} // namespace

void buildDefaultUiLayout(CFxUiCustomizationManager *manager)
{
    buildMenus(manager, manager->CreateMainMenuGroup(QStringLiteral("LINTRA")));

    CFxUiWorkspace *drafting = manager->CreateWorkspace(tr(QT_TRANSLATE_NOOP("DefaultUiLayout", "Drafting")));
    buildMenus(manager, drafting);
    buildRibbon(manager, drafting,
                { { "HOME", QT_TRANSLATE_NOOP("DefaultUiLayout", "Home"),
                    QT_TRANSLATE_NOOP("DefaultUiLayout", "Drawing"), { "_NEW", "_OPEN", "_SAVE", "_SAVEAS" } },
                  { "INSERT", QT_TRANSLATE_NOOP("DefaultUiLayout", "Insert"),
                    QT_TRANSLATE_NOOP("DefaultUiLayout", "Reference"),
                    { "_ATTACHDRAWING", "_ATTACHIMAGE", "_ATTACHPDF" } },
                  { "RSM", QT_TRANSLATE_NOOP("DefaultUiLayout", "Collaborate"),
                    QT_TRANSLATE_NOOP("DefaultUiLayout", "Local"), { "_SAVE" } } });

    CFxUiWorkspace *classic = manager->CreateWorkspace(tr(QT_TRANSLATE_NOOP("DefaultUiLayout", "Classic")));
    buildMenus(manager, classic);
    buildRibbon(manager, classic,
                { { "HOME", QT_TRANSLATE_NOOP("DefaultUiLayout", "Home"),
                    QT_TRANSLATE_NOOP("DefaultUiLayout", "Drawing"), { "_NEW", "_OPEN", "_SAVE" } },
                  { "OUTPUT", QT_TRANSLATE_NOOP("DefaultUiLayout", "Output"),
                    QT_TRANSLATE_NOOP("DefaultUiLayout", "Export"), { "_SAVEAS" } } });

    manager->SetCurrentWorkspace(drafting);
}
