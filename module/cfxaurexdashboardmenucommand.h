#pragma once

#include <cfxcommand.h>

// "_LaunchHubdeck": opens the platform's dashboard in the web browser; needs no sign-in.
class CFxAurexDashboardMenuCommand : public CFxCommand
{
public:
    CFxAurexDashboardMenuCommand();

    const OdString globalName() const override;
    const OdString localName() const override;

protected:
    int action(OdEdCommandContext *context) override;
};
