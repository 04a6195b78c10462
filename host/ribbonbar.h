#pragma once

#include <QTabWidget>

#include <functional>

class CFxUiCustomizationManager;

// The ribbon: one tab per ribbon tab of the current workspace, its panels side by side, each
// button running its command item's macro.
class RibbonBar : public QTabWidget
{
    Q_OBJECT

public:
    using MacroRunner = std::function<void(const QString &macro)>;

    RibbonBar(CFxUiCustomizationManager *manager, MacroRunner runner, QWidget *parent = nullptr);

    void rebuild();

private:
    CFxUiCustomizationManager *m_manager;
    MacroRunner m_runner;
};
