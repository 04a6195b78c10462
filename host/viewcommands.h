#pragma once

#include "commandregistration.h"

#include <functional>

class DrawingView;

// The host's commands on the view of the current drawing: "_ZOOM E" shows the whole drawing.
class ViewCommands
{
public:
    // currentView gives the view of the current drawing, or null when none is open.
    explicit ViewCommands(std::function<DrawingView *()> currentView);

private:
    CommandRegistration m_registration;
};
