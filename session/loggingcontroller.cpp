#include "loggingcontroller.h"

#include "cslogindialog.h"
#include "launchersignin.h"
#include "showaurextaskpane.h"
#include "signedin.h"

#include "connector/connectorplatform.h"
#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/hostaccess.h"
#include "support/signincaption.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/localcopyrequest.h"

#include <fzfileinfo.h>

#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

LoggingController *LoggingController::instance()
{
    static LoggingController *controller = new LoggingController(ConnectorPlatform::shared());
    return controller;
}

LoggingController::LoggingController(AurexPlatform *platform)
    : m_platform(platform)
{
    connect(CSLoginDialog::instance(), &CSLoginDialog::LogInSuccessful, this,
            &LoggingController::setMainMenuText);
    connect(ShowAurexTaskPane::instance(), &ShowAurexTaskPane::sessionExpired, this,
            &LoggingController::sessionExpired);
}

bool LoggingController::toggleSignIn()
{
    if (signedIn()) {
        signOutAsked();
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

QStringList LoggingController::heldLocks(QStringList *names) const
{
    const ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
    RecordList requests;
    {
        const FileDatabase database(session->tenant());
        requests = detailRequestsForLocalCopies(database, database.paths());
    }
    QStringList titles;
    if (requests.empty())
        return titles;
    m_platform->details(requests);
    for (const FzFileInfo *answer : requests) {
        const QString title = recordTitle(*answer);
        if (recordProperty(*answer, kKeyLockedBy) != session->currentUser()
            || titles.contains(title))
            continue;
        titles.append(title);
        if (names)
            names->append(recordProperty(*answer, kKeyName));
    }
    return titles;
}

void LoggingController::signOutAsked()
{
    QStringList names;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList titles = heldLocks(&names);
    QGuiApplication::restoreOverrideCursor();
    if (titles.isEmpty()) {
        signOut();
        return;
    }
    QMessageBox box(QMessageBox::Question, tr("Sign Out"),
                    titles.size() == 1
                        ? tr("You hold the lock on one file on the AUREX Platform:")
                        : tr("You hold locks on %1 files on the AUREX Platform:")
                              .arg(titles.size()),
                    QMessageBox::Cancel);
    box.setObjectName(QStringLiteral("SignOutLocksBox"));
    box.setInformativeText(titles.join(QLatin1Char('\n'))
                           + QStringLiteral("\n\n")
                           + tr("Nobody else can save them while you hold them."));
    QPushButton *release = box.addButton(tr("Release and Sign Out"), QMessageBox::AcceptRole);
    release->setObjectName(QStringLiteral("ReleaseLocksButton"));
    QPushButton *keep = box.addButton(tr("Keep and Sign Out"), QMessageBox::DestructiveRole);
    keep->setObjectName(QStringLiteral("KeepLocksButton"));
    box.exec();
    if (box.clickedButton() != release && box.clickedButton() != keep)
        return;
    if (box.clickedButton() == release) {
        QStringList failed;
        for (int i = 0; i < names.size(); ++i) {
            const std::unique_ptr<FzFileInfo> request =
                makeNameRequest(names.at(i), drawingFileType());
            if (!m_platform->lock(request.get(), false))
                failed.append(titles.at(i));
        }
        if (!failed.isEmpty())
            HostAccess::writeToCommandLine(tr("These files are still locked by you: %1")
                                               .arg(failed.join(QLatin1String(", "))));
    }
    signOut();
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
