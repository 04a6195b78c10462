#include "loggingcontroller.h"

#include "cslogindialog.h"
#include "launchersignin.h"
#include "showaurextaskpane.h"
#include "signedin.h"

#include "support/signincaption.h"

#include <QDialog>

LoggingController *LoggingController::instance()
{
    static LoggingController *controller = new LoggingController;
    return controller;
}

bool LoggingController::toggleSignIn()
{
    ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
    if (signedIn()) {
        // Signing out tells the platform nothing: the next sign-in sets the connector up again.
        setSignedIn(false);
        session->refreshTaskPane();
        CSLoginDialog::instance()->clearFields();
        return false;
    }
    if (ensureLauncherConfigured(session))
        return false;
    return CSLoginDialog::instance()->exec() == QDialog::Accepted;
}

void LoggingController::setMainMenuText(bool isLogin)
{
    SignInCaption::updateMenu(isLogin ? SignInCaption::signOutText() : SignInCaption::signInText());
}
