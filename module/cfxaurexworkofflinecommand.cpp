#include "cfxaurexworkofflinecommand.h"

#include "session/showaurextaskpane.h"

CFxAurexWorkOfflineCommand::CFxAurexWorkOfflineCommand()
    : CFxAurexCommand("_AurexWorkOffline", kModelessAware, Gate::SignIn)
{
}

void CFxAurexWorkOfflineCommand::run(OdEdCommandContext *)
{
    session()->setOffline(!session()->isOffline());
}
