#pragma once

#include <cfxcommand.h>

// "_SaveAccelerator": takes the answer given with it and recognises "SaveAccelerator"; it has
// no visible effect.
class CFxAurexSaveAcceleratorCommand : public CFxCommand
{
public:
    const OdString globalName() const override;
    const OdString localName() const override;

protected:
    int action(OdEdCommandContext *context) override;
};
