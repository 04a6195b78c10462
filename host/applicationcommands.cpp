#include "applicationcommands.h"

ApplicationCommands::ApplicationCommands(std::function<void()> quit,
                                         std::function<void()> showModuleViews)
{
    m_registration.add("_QUIT", [quit](OdEdCommandContext *) {
        quit();
        return RTNORM;
    });
    m_registration.add("_MODULEVIEWS", [showModuleViews](OdEdCommandContext *) {
        showModuleViews();
        return RTNORM;
    });
}
