#include "launchersignin.h"

#include "launcherparams.h"
#include "openplatformmodel.h"
#include "proxycapture.h"
#include "sessionlogging.h"
#include "showaurextaskpane.h"

#include "support/hostaccess.h"
#include "support/launchmessagebox.h"
#include "support/valuejob.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include "connector/aurexplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace {

// How the cookie sign-in went: signed in, or not, and then why the platform cannot be reached
// ("" when it can).
struct CookieSignIn
{
    bool signedIn = false;
    QString away;
};

// The launcher's model path is stored with the separators it was built with.
QString comparablePath(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Closing the drawing inside the host's activation would pull it away under the host: the
// close waits for the event loop.
void closeLater(const QString &path)
{
    QTimer::singleShot(0, [path]() {
        CFxDocumentManager *documents = HostAccess::documents();
        if (CFxDocument *document = documents ? documents->FindDocument(path) : nullptr)
            documents->CloseDocument(document);
    });
}

} // namespace

AurexJob *signInFromLauncher(AurexPlatform &platform, ShowAurexTaskPane *session,
                             QObject *parent)
{
    const ShowAurexTaskPane::ProxySettings proxy = captureProxySettings(session);
    platform.setProxy(proxy.host, proxy.port, proxy.user, proxy.password);

    const LauncherParams params = readLauncherParams();
    const QString serverHost = serverHostFromUrl(params.serverUrl);
    platform.setServer(serverHost);
    platform.setTenant(params.tenant);
    if (params.namedSpace.isEmpty() || params.preferredContext == QLatin1String("true"))
        platform.usePreferredContext(true);

    if (params.casCookie.isEmpty() || serverHost.isEmpty()) {
        qCDebug(lcSession) << "no launcher sign-in: cookie or server missing";
        return nullptr;
    }
    // The sign-in and, when it fails, whether the platform can be reached at all.
    AurexPlatform *signIn = &platform;
    auto *job = new ValueJob<CookieSignIn>([signIn, params, serverHost](JobControl &,
                                                                        CookieSignIn &outcome) {
        outcome.signedIn = signIn->signInWithCookie(params.casCookie, params.namedSpace,
                                                    serverHost, params.casUrl);
        if (!outcome.signedIn)
            outcome.away = signIn->unreachableReason();
        return QString();
    }, parent);
    QObject::connect(job, &AurexJob::result, job, &QObject::deleteLater);
    // A session started meanwhile (the user signed in with the dialog) stands.
    auto startedMeanwhile = std::make_shared<bool>(false);
    QObject::connect(session, &ShowAurexTaskPane::signedInChanged, job,
                     [startedMeanwhile](bool signedIn) { *startedMeanwhile = signedIn; });
    QObject::connect(job, &AurexJob::result, session, [job, signIn, session, params,
                                                      startedMeanwhile] {
        const bool ok = job->error() == AurexJob::NoError && job->value().signedIn;
        qCDebug(lcSession) << "launcher sign-in" << (ok ? "succeeded" : "refused");
        if (ok) {
            session->startSession(params.tenant);
            return;
        }
        if (*startedMeanwhile)
            return;
        const QString away = job->value().away;
        // Left working offline and the platform away: the work goes on offline, as who worked
        // offline last; going online signs in again.
        if (!away.isEmpty() && ShowAurexTaskPane::wasLeftOffline(params.tenant)) {
            session->startSession(params.tenant);
            session->setPlatformSignIn([signIn] { return confirmLauncherSignIn(*signIn); });
            HostAccess::writeToCommandLine(
                QCoreApplication::translate("LauncherSignIn",
                                            "The AUREX Platform cannot be reached (%1): working "
                                            "offline as %2.")
                    .arg(away, session->currentUser()));
            return;
        }
        session->endSession();
        session->setSignInNotice(
            away.isEmpty()
                ? QCoreApplication::translate("LauncherSignIn",
                                              "The AUREX Platform refused the launcher's sign-in "
                                              "(its cookie may have expired). Log in with your "
                                              "user name and password.")
                : QCoreApplication::translate("LauncherSignIn",
                                              "The AUREX Platform cannot be reached (%1). Log in "
                                              "once it answers.")
                      .arg(away));
        HostAccess::writeToCommandLine(
            away.isEmpty()
                ? QCoreApplication::translate("LauncherSignIn",
                                              "The AUREX Platform did not take the launcher's "
                                              "sign-in: sign in from the File menu.")
                : QCoreApplication::translate("LauncherSignIn",
                                              "The AUREX Platform cannot be reached (%1): sign "
                                              "in from the File menu once it answers.")
                      .arg(away));
    });
    job->start();
    return job;
}

bool confirmLauncherSignIn(AurexPlatform &platform)
{
    const LauncherParams params = readLauncherParams();
    const QString serverHost = serverHostFromUrl(params.serverUrl);
    return !params.casCookie.isEmpty() && !serverHost.isEmpty()
        && platform.signInWithCookie(params.casCookie, params.namedSpace, serverHost,
                                     params.casUrl);
}

void openLauncherModel(AurexPlatform &platform, ShowAurexTaskPane *session)
{
    const LauncherParams params = readLauncherParams();
    if (!session->isSignedIn() || params.modelId.isEmpty())
        return;
    const QStringList temp = QStandardPaths::standardLocations(QStandardPaths::TempLocation);
    const QString folder = temp.isEmpty() ? QString() : temp.first();
    // The host activates the drawing while it opens it: the pending open must stand by then.
    const auto markPending = [session](const QString &localPath) {
        session->setLauncherOpenPending(true);
        session->setLauncherModelPath(localPath);
    };
    openPlatformModel(&platform, params.modelId, folder, markPending,
                      [session](const QString &opened, const QString &error) {
        if (!opened.isEmpty())
            return;
        // No pending open without a model, or the user's next drawing would be closed.
        session->setLauncherOpenPending(false);
        HostAccess::writeToCommandLine(error);
    });
}

void closeDrawingBeforeLauncherModel(ShowAurexTaskPane *session, const QString &activatedPath)
{
    if (!session->isSignedIn() || !session->isLauncherOpenPending()
        || comparablePath(activatedPath) == comparablePath(session->launcherModelPath()))
        return;
    session->setLauncherOpenPending(false);
    qCDebug(lcSession) << "closing" << activatedPath << "activated before the launcher's model";
    closeLater(activatedPath);
}

bool ensureLauncherConfigured()
{
    if (!readLauncherParams().serverUrl.isEmpty())
        return false;
    LaunchMessageBox box;
    box.exec();
    return true;
}
