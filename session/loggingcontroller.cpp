#include "loggingcontroller.h"

#include "cslogindialog.h"
#include "launchersignin.h"
#include "showaurextaskpane.h"
#include "signedin.h"

#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/hostaccess.h"
#include "support/progressdialog.h"
#include "support/signincaption.h"
#include "support/valuejob.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopy.h"
#include "workingcopy/localcopyrequest.h"

#include <fzfileinfo.h>

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

LoggingController *LoggingController::instance()
{
    static LoggingController *controller =
        new LoggingController(ShowAurexTaskPane::instance(), CSLoginDialog::instance());
    return controller;
}

LoggingController::LoggingController(ShowAurexTaskPane *session, CSLoginDialog *dialog)
    : m_session(session)
    , m_dialog(dialog)
    , m_platform(session->onlinePlatform())
{
    connect(dialog, &CSLoginDialog::LogInSuccessful, this, &LoggingController::setMainMenuText);
    connect(session, &ShowAurexTaskPane::sessionExpired, this,
            &LoggingController::sessionExpired);
}

void LoggingController::toggleSignIn()
{
    if (m_session->isSignedIn())
        signOutAsked();
    else if (!ensureLauncherConfigured())
        m_dialog->exec();
}

void LoggingController::signOut()
{
    ShowAurexTaskPane *session = m_session;
    // Signed out on purpose: the next session starts online, without signing in for it now.
    session->setPlatformSignIn(nullptr);
    if (session->isOffline())
        session->setOffline(false);
    // The sign-in dialog announces the end of the session to the menu.
    session->endSession();
    session->refreshTaskPane();
    m_dialog->clearFields();
    SignInCaption::updateRibbon(SignInCaption::signInText());
}

void LoggingController::signOutAsked()
{
    if (m_busy)
        return;
    const ShowAurexTaskPane *session = m_session;
    auto requests = std::make_shared<RecordList>();
    {
        const std::unique_ptr<FileDatabase> database = session->workingCopy()->snapshot();
        *requests = detailRequestsForLocalCopies(*database, database->paths());
    }
    if (requests->empty()) {
        signedOutAsAsked();
        return;
    }
    // Which of the files known here the user holds locks on: the platform's answer comes in a
    // job; without one, there is nothing to offer and the user is signed out.
    AurexPlatform *platform = m_platform;
    const QString user = session->currentUser();
    auto *query = new ValueJob<HeldLocks>(
        [platform, requests, user](JobControl &, HeldLocks &held) {
            // Signed in a moment ago, the pane may not know the user yet.
            QString login = user;
            QString firstName, lastName, email;
            if (login.isEmpty() && !platform->userInfo(&firstName, &lastName, &email, &login))
                return QString();
            platform->details(*requests);
            for (const FzFileInfo *answer : *requests) {
                const QString title = recordTitle(*answer);
                if (login.isEmpty() || recordProperty(*answer, kKeyLockedBy) != login
                    || held.titles.contains(title))
                    continue;
                held.titles.append(title);
                held.names.append(recordProperty(*answer, kKeyName));
            }
            return QString();
        });
    runBusy(query, [this, query] { askAboutLocks(query->value()); });
}

void LoggingController::runBusy(AurexJob *job, std::function<void()> done)
{
    m_busy = true;
    connect(job, &AurexJob::result, this, [this, job, done = std::move(done)] {
        m_busy = false;
        job->deleteLater();
        if (job->error() != AurexJob::KilledError)
            done();
    });
    ProgressDialog::showFor(nullptr, job);
    job->start();
}

void LoggingController::askAboutLocks(const HeldLocks &held)
{
    if (held.titles.isEmpty()) {
        signedOutAsAsked();
        return;
    }
    QMessageBox box(QMessageBox::Question, tr("Sign Out"),
                    held.titles.size() == 1
                        ? tr("You hold the lock on one file on the AUREX Platform:")
                        : tr("You hold locks on %1 files on the AUREX Platform:")
                              .arg(held.titles.size()),
                    QMessageBox::Cancel);
    box.setObjectName(QStringLiteral("SignOutLocksBox"));
    box.setInformativeText(held.titles.join(QLatin1Char('\n'))
                           + QStringLiteral("\n\n")
                           + tr("Nobody else can save them while you hold them."));
    QPushButton *release = box.addButton(tr("Release and Sign Out"), QMessageBox::AcceptRole);
    release->setObjectName(QStringLiteral("ReleaseLocksButton"));
    QPushButton *keep = box.addButton(tr("Keep and Sign Out"), QMessageBox::DestructiveRole);
    keep->setObjectName(QStringLiteral("KeepLocksButton"));
    box.exec();
    if (box.clickedButton() == keep)
        signedOutAsAsked();
    if (box.clickedButton() != release)
        return;
    AurexPlatform *platform = m_platform;
    auto *releasing = new ValueJob<QStringList>([platform, held](JobControl &control,
                                                                 QStringList &failed) {
        control.setTotals(held.names.size(), 0);
        for (int i = 0; i < held.names.size(); ++i) {
            const std::unique_ptr<FzFileInfo> request =
                makeNameRequest(held.names.at(i), drawingFileType());
            if (!platform->lock(request.get(), false))
                failed.append(held.titles.at(i));
            control.addProcessed(1, 0);
        }
        return QString();
    });
    runBusy(releasing, [this, releasing] {
        if (!releasing->value().isEmpty())
            HostAccess::writeToCommandLine(tr("These files are still locked by you: %1")
                                               .arg(releasing->value().join(QLatin1String(", "))));
        signedOutAsAsked();
    });
}

void LoggingController::signedOutAsAsked()
{
    signOut();
    HostAccess::writeToCommandLine(tr("Signed out of the AUREX Platform."));
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
