#include "cfxaurexsavemenucommand.h"

#include "save/savetocsdialog.h"

CFxAurexSaveMenuCommand::CFxAurexSaveMenuCommand()
    : CFxAurexCommand("_AurexSave", kModelessAware, Gate::SignIn)
{
}

void CFxAurexSaveMenuCommand::run(OdEdCommandContext *)
{
    SaveToCSDialog::showForActiveDrawing(session());
}
