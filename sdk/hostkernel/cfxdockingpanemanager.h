#pragma once

#include "cfxstring.h"
#include "hostkernelexport.h"

class QWidget;

// Creates the host's docking panes around widgets that modules provide.
class HOSTKERNEL_EXPORT CFxDockingPaneManager
{
public:
    enum DockArea { LeftArea = 1, RightArea = 2, TopArea = 4, BottomArea = 8 };

    virtual ~CFxDockingPaneManager();

    // Wraps content in a pane docked at the first allowed area (dockAreas, DockArea flags) and
    // returns the pane. x, y place it when it floats; width and height of -1 keep the content's
    // size; minWidth and minHeight bound it; visible shows it; floating leaves it undocked.
    virtual QWidget *CreateDockingPane(QWidget *content, int paneId, int dockAreas,
                                       const CFxString &identifier, const CFxString &caption,
                                       int x, int y, int width, int height, int minWidth,
                                       int minHeight, int visible, int floating) = 0;
};
