#pragma once

#include <cfxcommand.h>

// "_AurexOpen": after the sign-in gate, opens the dialog that searches the collaborative spaces.
class CFxAurexOpenMenuCommand : public CFxCommand
{
public:
    CFxAurexOpenMenuCommand();

    const OdString globalName() const override;
    const OdString localName() const override;

protected:
    int action(OdEdCommandContext *context) override;
};
