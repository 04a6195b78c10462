#include "loggingcontroller.h"

#include "cslogindialog.h"
#include "launchersignin.h"
#include "showaurextaskpane.h"
#include "signedin.h"

#include "support/hostaccess.h"
#include "support/signincaption.h"

#include <QDialog>

LoggingController *LoggingController::instance()
{
    static LoggingController *controller = new LoggingController;
    return controller;
}

LoggingController::LoggingController()
{
    connect(CSLoginDialog::instance(), &CSLoginDialog::LogInSuccessful, this,
            &LoggingController::setMainMenuText);
    connect(ShowAurexTaskPane::instance(), &ShowAurexTaskPane::sessionExpired, this,
            &LoggingController::sessionExpired);
}

bool LoggingController::toggleSignIn()
{
    if (signedIn()) {
        signOut();
        return false;
    }
    if (ensureLauncherConfigured())
        return false;
    return CSLoginDialog::instance()->exec() == QDialog::Accepted;
}

void LoggingController::signOut()
{
    ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
    session->endSession();
    session->refreshTaskPane();
    CSLoginDialog *dialog = CSLoginDialog::instance();
    dialog->clearFields();
    dialog->emitLogInSuccessful(false);
    SignInCaption::updateRibbon(SignInCaption::signInText());
}

void LoggingController::setMainMenuText(bool isLogin)
{
    SignInCaption::updateMenu(isLogin ? SignInCaption::signOutText() : SignInCaption::signInText());
}

void LoggingController::sessionExpired()
{
    signOut();
    HostAccess::writeToCommandLine(
        tr("Your AUREX Platform session has ended. Sign in again to continue."));
}
