#include "cfxaurexopenmenucommand.h"

#include "signingate.h"

#include "open/openfromcsdialog.h"

CFxAurexOpenMenuCommand::CFxAurexOpenMenuCommand()
{
    AddFlags(kModelessAware);
}

const OdString CFxAurexOpenMenuCommand::globalName() const
{
    return OdString("_AurexOpen");
}

const OdString CFxAurexOpenMenuCommand::localName() const
{
    return globalName();
}

int CFxAurexOpenMenuCommand::action(OdEdCommandContext *)
{
    if (passSignInGate())
        OpenFromCSDialog::showNew();
    return RTNORM;
}
