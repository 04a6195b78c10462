#include "cfxaurexdashboardmenucommand.h"

#include "session/dashboardlauncher.h"

CFxAurexDashboardMenuCommand::CFxAurexDashboardMenuCommand()
{
    AddFlags(kModelessAware);
}

const OdString CFxAurexDashboardMenuCommand::globalName() const
{
    return OdString("_LaunchHubdeck");
}

const OdString CFxAurexDashboardMenuCommand::localName() const
{
    return globalName();
}

int CFxAurexDashboardMenuCommand::action(OdEdCommandContext *)
{
    DashboardLauncher::launch();
    return RTNORM;
}
