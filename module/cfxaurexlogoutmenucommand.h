#pragma once

#include "cfxaurexcommand.h"

class QString;

// "_AurexLogOut": signs in or out, then sets the caption of the sign-in/sign-out entry in the
// File menus and on the ribbon.
class CFxAurexLogOutMenuCommand : public CFxAurexCommand
{
public:
    CFxAurexLogOutMenuCommand();

    void updateMenuCaption(const QString &caption) const;
    void updateRibbonCaption(const QString &caption) const;

protected:
    void run(OdEdCommandContext *context) override;
};
