#include "signingate.h"

#include "session/cslogindialog.h"
#include "session/launchersignin.h"
#include "session/showaurextaskpane.h"
#include "session/signedin.h"

bool passSignInGate()
{
    if (!signedIn() && !ensureLauncherConfigured())
        CSLoginDialog::instance()->exec();
    return signedIn();
}
