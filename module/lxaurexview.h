#pragma once

#include "moduleexport.h"

class QWidget;

// The module's view, created by the host when it builds its docking panes: the docking pane
// "AUREX Platform Connection" around the container that holds the task pane. The host allocates
// the three fields and calls the methods; the module never calls them itself.
class LXAUREX_EXPORT LxAurexView
{
public:
    // Builds the menus and ribbon, the pane and its container, signs in from the launcher
    // parameters and opens the launcher's model. Always true.
    bool addLxAurexView();
    // Hides a visible pane; shows a hidden one again, frozen at its current size.
    void showLxAurexView();
    LxAurexView &operator=(const LxAurexView &other);

private:
    void *m_reserved = nullptr; // the host's; the module never reads or writes it
    QWidget *m_pane = nullptr;
    QWidget *m_container = nullptr;
};
