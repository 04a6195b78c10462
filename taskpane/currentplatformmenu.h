#pragma once

#include <QMenu>

// The task pane's user menu: dashboard, identity and sign-in/sign-out, filled each time it
// opens. A child of the window's user button.
class CurrentPlatformMenu : public QMenu
{
    Q_OBJECT

public:
    using QMenu::QMenu;
};
