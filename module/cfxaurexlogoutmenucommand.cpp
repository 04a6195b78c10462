#include "cfxaurexlogoutmenucommand.h"

#include "session/loggingcontroller.h"
#include "session/signedin.h"
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
    LoggingController::instance()->toggleSignIn();
    // A sign-out that first asks the platform about held locks ends later, and sets the
    // captions itself then.
    const QString caption = signedIn() ? SignInCaption::signOutText() : SignInCaption::signInText();
    updateMenuCaption(caption);
    updateRibbonCaption(caption);
}
