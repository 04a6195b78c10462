#include "cfxaurexsaveacceleratorcommand.h"

#include "modulelogging.h"

#include <odedcommandcontext.h>

const OdString CFxAurexSaveAcceleratorCommand::globalName() const
{
    return OdString("_SaveAccelerator");
}

const OdString CFxAurexSaveAcceleratorCommand::localName() const
{
    return globalName();
}

int CFxAurexSaveAcceleratorCommand::action(OdEdCommandContext *context)
{
    // Reads without asking, so that running the command shows nothing.
    const bool recognised = context && context->nextArgument() == OdString("SaveAccelerator");
    qCDebug(lcModule) << "save accelerator" << (recognised ? "recognised" : "not recognised");
    return RTNORM;
}
