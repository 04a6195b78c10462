#include "cfxaurexlogoutmenucommand.h"

#include "session/loggingcontroller.h"
#include "support/signincaption.h"

CFxAurexLogOutMenuCommand::CFxAurexLogOutMenuCommand()
{
    AddFlags(kModelessAware);
}

const OdString CFxAurexLogOutMenuCommand::globalName() const
{
    return OdString("_AurexLogOut");
}

const OdString CFxAurexLogOutMenuCommand::localName() const
{
    return globalName();
}

void CFxAurexLogOutMenuCommand::updateMenuCaption(const QString &caption) const
{
    SignInCaption::updateMenu(caption);
}

void CFxAurexLogOutMenuCommand::updateRibbonCaption(const QString &caption) const
{
    SignInCaption::updateRibbon(caption);
}

int CFxAurexLogOutMenuCommand::action(OdEdCommandContext *)
{
    const bool nowSignedIn = LoggingController::instance()->toggleSignIn();
    const QString caption = nowSignedIn ? SignInCaption::signOutText() : SignInCaption::signInText();
    CFxAurexLogOutMenuCommand captions;
    captions.updateMenuCaption(caption);
    captions.updateRibbonCaption(caption);
    return RTNORM;
}
