#include "cfxaurexsavemenucommand.h"

#include "signingate.h"

#include "save/savetocsdialog.h"

CFxAurexSaveMenuCommand::CFxAurexSaveMenuCommand()
{
    AddFlags(kModelessAware);
}

const OdString CFxAurexSaveMenuCommand::globalName() const
{
    return OdString("_AurexSave");
}

const OdString CFxAurexSaveMenuCommand::localName() const
{
    return globalName();
}

int CFxAurexSaveMenuCommand::action(OdEdCommandContext *)
{
    if (passSignInGate())
        SaveToCSDialog::showForActiveDrawing();
    return RTNORM;
}
