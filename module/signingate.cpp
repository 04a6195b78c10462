#include "signingate.h"

#include <cslogindialog.h>
#include <launchersignin.h>
#include <showaurextaskpane.h>
#include <signedin.h>

bool passSignInGate()
{
    if (!signedIn() && !ensureLauncherConfigured(ShowAurexTaskPane::instance()))
        CSLoginDialog::instance()->exec();
    return signedIn();
}
