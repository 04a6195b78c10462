#pragma once

#include "cfxaurexcommand.h"

// "_LaunchHubdeck": opens the platform's dashboard in the web browser; needs no sign-in.
class CFxAurexDashboardMenuCommand : public CFxAurexCommand
{
public:
    CFxAurexDashboardMenuCommand();

protected:
    void run(OdEdCommandContext *context) override;
};
