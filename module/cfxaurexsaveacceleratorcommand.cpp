#include "cfxaurexsaveacceleratorcommand.h"

#include "modulelogging.h"

#include <odedcommandcontext.h>

CFxAurexSaveAcceleratorCommand::CFxAurexSaveAcceleratorCommand()
    : CFxAurexCommand("_SaveAccelerator", 0, Gate::None)
{
}

void CFxAurexSaveAcceleratorCommand::run(OdEdCommandContext *context)
{
    // Reads without asking, so that running the command shows nothing.
    const bool recognised = context && context->nextArgument() == OdString("SaveAccelerator");
    qCDebug(lcModule) << "save accelerator" << (recognised ? "recognised" : "not recognised");
}
