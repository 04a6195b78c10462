#pragma once

#include "commandregistration.h"

#include <functional>

// The host's commands about the application itself: "_QUIT" and "_MODULEVIEWS" (shows the
// modules' panes again).
class ApplicationCommands
{
public:
    ApplicationCommands(std::function<void()> quit, std::function<void()> showModuleViews);

private:
    CommandRegistration m_registration;
};
