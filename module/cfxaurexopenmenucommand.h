#pragma once

#include "cfxaurexcommand.h"

// "_AurexOpen": after the sign-in gate, opens the dialog that searches the collaborative spaces.
class CFxAurexOpenMenuCommand : public CFxAurexCommand
{
public:
    CFxAurexOpenMenuCommand();

protected:
    void run(OdEdCommandContext *context) override;
};
