#include "launchersignin.h"

#include "launcherparams.h"
#include "openplatformmodel.h"
#include "proxycapture.h"
#include "sessionlogging.h"
#include "showaurextaskpane.h"
#include "signedin.h"

#include "support/hostaccess.h"
#include "support/launchmessagebox.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include "connector/aurexplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

namespace {

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

bool signInFromLauncher(AurexPlatform &platform, ShowAurexTaskPane *session)
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
        return false;
    }
    const bool ok =
        platform.signInWithCookie(params.casCookie, params.namedSpace, serverHost, params.casUrl);
    qCDebug(lcSession) << "launcher sign-in to" << serverHost << (ok ? "succeeded" : "refused");
    if (ok) {
        session->startSession(params.tenant);
        return true;
    }
    // Left working offline and the platform away: the work goes on offline, as who worked
    // offline last; going online signs in again.
    const QString away = ShowAurexTaskPane::wasLeftOffline(params.tenant)
        ? platform.unreachableReason()
        : QString();
    if (!away.isEmpty()) {
        session->startSession(params.tenant);
        AurexPlatform *signIn = &platform; // the module's, which outlives the session
        session->setPlatformSignIn([signIn] { return confirmLauncherSignIn(*signIn); });
        HostAccess::writeToCommandLine(
            QCoreApplication::translate("LauncherSignIn",
                                        "The AUREX Platform cannot be reached (%1): working "
                                        "offline as %2.")
                .arg(away, session->currentUser()));
        return true;
    }
    session->endSession();
    return false;
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
    if (!signedIn() || params.modelId.isEmpty())
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
    if (!signedIn() || !session->isLauncherOpenPending()
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
