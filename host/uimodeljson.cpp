#include "uimodeljson.h"

#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>

#include <QJsonArray>

namespace {

QJsonValue commandItemToJson(const CFxUiCommandItem *item)
{
    if (!item)
        return QJsonValue();
    return QJsonObject { { QStringLiteral("identifier"), item->GetIdentifier().toQString() },
                         { QStringLiteral("caption"), item->GetCaption().toQString() },
                         { QStringLiteral("macro"), item->GetMacro().toQString() },
                         { QStringLiteral("helpText"), item->GetHelpText().toQString() },
                         { QStringLiteral("elementId"), item->GetElementId().toQString() },
                         { QStringLiteral("smallImage"), item->GetSmallImage().toQString() },
                         { QStringLiteral("largeImage"), item->GetLargeImage().toQString() } };
}

QJsonArray entriesToJson(const CFxUiMenuEntryList *entries)
{
    QJsonArray result;
    for (int i = 0; i < entries->Count(); ++i) {
        const CFxUiMenuEntry *entry = entries->At(i);
        QJsonObject json { { QStringLiteral("id"), entry->GetId().toQString() },
                           { QStringLiteral("caption"), entry->GetCaption().toQString() },
                           { QStringLiteral("commandItem"), commandItemToJson(entry->GetCommandItem()) },
                           { QStringLiteral("accelerator"), entry->IsAcceleratorEnabled() } };
        if (entry->GetCheckState() != CFxUiMenuEntry::NotCheckable)
            json.insert(QStringLiteral("checked"),
                        entry->GetCheckState() == CFxUiMenuEntry::Checked);
        if (entry->GetEntries()->Count() > 0)
            json.insert(QStringLiteral("entries"), entriesToJson(entry->GetEntries()));
        result.append(json);
    }
    return result;
}

QJsonObject groupToJson(const CFxUiMenuGroup *group)
{
    QJsonArray menus;
    for (int i = 0; i < group->GetMenus()->Count(); ++i) {
        const CFxUiMenu *menu = group->GetMenus()->At(i);
        menus.append(QJsonObject { { QStringLiteral("id"), menu->GetId().toQString() },
                                   { QStringLiteral("caption"), menu->GetCaption().toQString() },
                                   { QStringLiteral("entries"), entriesToJson(menu->GetEntries()) } });
    }
    QJsonArray items;
    for (int i = 0; i < group->GetCommandItems()->Count(); ++i)
        items.append(commandItemToJson(group->GetCommandItems()->At(i)));
    return QJsonObject { { QStringLiteral("name"), group->GetName().toQString() },
                         { QStringLiteral("menus"), menus },
                         { QStringLiteral("commandItems"), items } };
}

QJsonArray ribbonChildrenToJson(const CFxUiRibbonElement *element)
{
    QJsonArray result;
    for (int i = 0; i < element->GetChildren()->Count(); ++i) {
        const CFxUiRibbonElement *child = element->GetChildren()->At(i);
        QJsonObject json { { QStringLiteral("id"), child->GetIdentifier().toQString() },
                           { QStringLiteral("caption"), child->GetCaption().toQString() } };
        if (child->GetType() == CFxUiRibbonElement::Button)
            json.insert(QStringLiteral("commandItem"), commandItemToJson(child->GetCommandItem()));
        else
            json.insert(child->GetType() == CFxUiRibbonElement::Tab ? QStringLiteral("panels")
                                                                    : QStringLiteral("buttons"),
                        ribbonChildrenToJson(child));
        result.append(json);
    }
    return result;
}

} // namespace

QJsonObject uiModelToJson(const CFxUiCustomizationManager &manager)
{
    QJsonObject root;
    if (const CFxUiMenuGroup *main = manager.GetMainMenuGroup())
        root.insert(QStringLiteral("mainMenuGroup"), groupToJson(main));
    QJsonArray workspaces;
    for (int i = 0; i < manager.GetWorkspaceCount(); ++i) {
        const CFxUiWorkspace *workspace = manager.GetWorkspaceAt(i);
        QJsonObject json = groupToJson(workspace);
        json.insert(QStringLiteral("current"), workspace->IsCurrent());
        QJsonArray tabs;
        const auto *tabList = workspace->GetRibbonTabs();
        for (int t = 0; t < tabList->Count(); ++t) {
            const CFxUiRibbonElement *tab = tabList->At(t);
            tabs.append(QJsonObject { { QStringLiteral("id"), tab->GetIdentifier().toQString() },
                                      { QStringLiteral("caption"), tab->GetCaption().toQString() },
                                      { QStringLiteral("panels"), ribbonChildrenToJson(tab) } });
        }
        json.insert(QStringLiteral("ribbonTabs"), tabs);
        workspaces.append(json);
    }
    root.insert(QStringLiteral("workspaces"), workspaces);
    return root;
}
