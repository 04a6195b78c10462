#include "cfxaurexopenmenucommand.h"

#include "open/openfromcsdialog.h"

CFxAurexOpenMenuCommand::CFxAurexOpenMenuCommand()
    : CFxAurexCommand("_AurexOpen", kModelessAware, Gate::SignIn)
{
}

void CFxAurexOpenMenuCommand::run(OdEdCommandContext *)
{
    OpenFromCSDialog::showNew(session());
}
