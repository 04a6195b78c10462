#pragma once

#include "cfxaurexcommand.h"

// "_SaveAccelerator": takes the answer given with it and recognises "SaveAccelerator"; it has
// no visible effect.
class CFxAurexSaveAcceleratorCommand : public CFxAurexCommand
{
public:
    CFxAurexSaveAcceleratorCommand();

protected:
    void run(OdEdCommandContext *context) override;
};
