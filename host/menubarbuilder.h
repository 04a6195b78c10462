#pragma once

#include <functional>

class CFxUiCustomizationManager;
class CFxUiMenuEntry;
class QMenu;
class QMenuBar;
class QString;

// Renders the current workspace's menus into a menu bar. Choosing an entry runs its command
// item's macro through the given runner.
class MenuBarBuilder
{
public:
    using MacroRunner = std::function<void(const QString &macro)>;

    MenuBarBuilder(CFxUiCustomizationManager *manager, MacroRunner runner);

    // Replaces everything in the menu bar with the model's current menus.
    void rebuild(QMenuBar *menuBar) const;

private:
    void addEntry(QMenu *menu, const CFxUiMenuEntry *entry) const;

    CFxUiCustomizationManager *m_manager;
    MacroRunner m_runner;
};
