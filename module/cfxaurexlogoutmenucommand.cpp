#include "cfxaurexlogoutmenucommand.h"

#include "session/loggingcontroller.h"
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
    const bool nowSignedIn = LoggingController::instance()->toggleSignIn();
    const QString caption = nowSignedIn ? SignInCaption::signOutText() : SignInCaption::signInText();
    updateMenuCaption(caption);
    updateRibbonCaption(caption);
}
