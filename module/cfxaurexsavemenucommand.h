#pragma once

#include "cfxaurexcommand.h"

// "_AurexSave": after the sign-in gate, opens the dialog that saves the drawing and everything
// it references to a collaborative space.
class CFxAurexSaveMenuCommand : public CFxAurexCommand
{
public:
    CFxAurexSaveMenuCommand();

protected:
    void run(OdEdCommandContext *context) override;
};
