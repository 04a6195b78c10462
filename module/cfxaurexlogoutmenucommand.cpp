#include "cfxaurexlogoutmenucommand.h"

#include "session/loggingcontroller.h"
#include "session/showaurextaskpane.h"
#include "support/signincaption.h"

CFxAurexLogOutMenuCommand::CFxAurexLogOutMenuCommand()
    : CFxAurexCommand("_AurexLogOut", kModelessAware, Gate::None)
{
}

void CFxAurexLogOutMenuCommand::updateMenuCaption(const QString &caption) const
{
    SignInCaption::updateMenu(caption);
}

void CFxAurexLogOutMenuCommand::updateRibbonCaption(const QString &caption) const
{
    SignInCaption::updateRibbon(caption);
}

void CFxAurexLogOutMenuCommand::run(OdEdCommandContext *)
{
    controller()->toggleSignIn();
    // A sign-out that first asks the platform about held locks ends later, and sets the
    // captions itself then.
    const QString caption = session()->isSignedIn() ? SignInCaption::signOutText()
                                                    : SignInCaption::signInText();
    updateMenuCaption(caption);
    updateRibbonCaption(caption);
}
