#pragma once

#include <cfxcommand.h>

// "_AurexSave": after the sign-in gate, opens the dialog that saves the drawing and everything
// it references to a collaborative space.
class CFxAurexSaveMenuCommand : public CFxCommand
{
public:
    CFxAurexSaveMenuCommand();

    const OdString globalName() const override;
    const OdString localName() const override;

protected:
    int action(OdEdCommandContext *context) override;
};
