#include "menubarbuilder.h"

#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuiworkspace.h>

#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

QString entryCaption(const CFxUiMenuEntry *entry)
{
    if (!entry->GetCaption().isEmpty())
        return entry->GetCaption().toQString();
    return entry->GetCommandItem() ? entry->GetCommandItem()->GetCaption().toQString() : QString();
}

// The name scripts find an entry by: its own id, else the element id or the identifier of the
// command item it runs.
QString entryName(const CFxUiMenuEntry *entry)
{
    const CFxUiCommandItem *item = entry->GetCommandItem();
    if (!entry->GetId().isEmpty() || !item)
        return entry->GetId().toQString();
    return (item->GetElementId().isEmpty() ? item->GetIdentifier() : item->GetElementId()).toQString();
}

} // namespace

MenuBarBuilder::MenuBarBuilder(CFxUiCustomizationManager *manager, MacroRunner runner)
    : m_manager(manager)
    , m_runner(std::move(runner))
{
}

void MenuBarBuilder::rebuild(QMenuBar *menuBar) const
{
    // The menus belong to the bar, not to their actions: clearing the actions leaves them. They
    // leave the bar at once and go once the event loop is back, since a rebuild may come from
    // one of their own entries.
    const QList<QAction *> previous = menuBar->actions();
    menuBar->clear();
    for (QAction *action : previous) {
        if (QMenu *menu = action->menu()) {
            menu->setParent(nullptr);
            menu->deleteLater();
        }
    }
    const CFxUiWorkspace *workspace = m_manager->GetCurrentWorkspace();
    if (!workspace)
        return;
    const auto *menus = workspace->GetMenus();
    for (int i = 0; i < menus->Count(); ++i) {
        const CFxUiMenu *menuDef = menus->At(i);
        QMenu *menu = menuBar->addMenu(menuDef->GetCaption().toQString());
        menu->setObjectName(menuDef->GetId().toQString());
        for (int e = 0; e < menuDef->GetEntries()->Count(); ++e)
            addEntry(menu, menuDef->GetEntries()->At(e));
    }
}

void MenuBarBuilder::addEntry(QMenu *menu, const CFxUiMenuEntry *entry) const
{
    const CFxUiCommandItem *item = entry->GetCommandItem();
    const QIcon icon = item && !item->GetSmallImage().isEmpty()
        ? QIcon(item->GetSmallImage().toQString())
        : QIcon();
    if (entry->GetEntries()->Count() > 0) {
        QMenu *popup = menu->addMenu(icon, entryCaption(entry));
        popup->setObjectName(entryName(entry));
        for (int i = 0; i < entry->GetEntries()->Count(); ++i)
            addEntry(popup, entry->GetEntries()->At(i));
        return;
    }
    QAction *action = menu->addAction(icon, entryCaption(entry));
    action->setObjectName(entryName(entry));
    action->setCheckable(entry->GetCheckState() != CFxUiMenuEntry::NotCheckable);
    action->setChecked(entry->GetCheckState() == CFxUiMenuEntry::Checked);
    if (!item)
        return;
    action->setStatusTip(item->GetHelpText().toQString());
    if (entry->IsAcceleratorEnabled())
        action->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+S")));
    const QString macro = item->GetMacro().toQString();
    MacroRunner runner = m_runner;
    QObject::connect(action, &QAction::triggered, action, [runner, macro]() { runner(macro); });
}
