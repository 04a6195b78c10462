#include "cfxaurexdashboardmenucommand.h"

#include "session/dashboardlauncher.h"

CFxAurexDashboardMenuCommand::CFxAurexDashboardMenuCommand()
    : CFxAurexCommand("_LaunchHubdeck", kModelessAware, Gate::None)
{
}

void CFxAurexDashboardMenuCommand::run(OdEdCommandContext *)
{
    DashboardLauncher::launch();
}
