#include "launchersignin.h"

#include "launcherparams.h"
#include "sessionlogging.h"
#include "proxycapture.h"
#include "showaurextaskpane.h"
#include "signedin.h"

#include "support/launchmessagebox.h"

#include <cfxdocumentmanager.h>
#include <cfxsystemservices.h>
#include <lintraaurexconnectorwrapper.h>

#include <QFileInfo>
#include <QStandardPaths>

bool signInFromLauncher(ShowAurexTaskPane *session)
{
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    const ShowAurexTaskPane::ProxySettings proxy = captureProxySettings(session);
    connector->SetProxySettings(proxy.host, proxy.port, proxy.user, proxy.password);

    const LauncherParams params = readLauncherParams(session);
    const QString serverHost = serverHostFromUrl(params.serverUrl);
    connector->SetServer(serverHost);
    connector->SetTenant(params.tenant);
    if (params.namedSpace.isEmpty() || params.preferredContext == QLatin1String("true"))
        connector->UsePreferredContext(true);

    if (params.casCookie.isEmpty() || serverHost.isEmpty()) {
        qCDebug(lcSession) << "no launcher sign-in: cookie or server missing";
        return false;
    }
    const bool ok = connector->LoginWithCASCookie_Block(params.casCookie, params.namedSpace,
                                                        serverHost, params.casUrl);
    qCDebug(lcSession) << "launcher sign-in to" << serverHost << (ok ? "succeeded" : "refused");
    setSignedIn(ok);
    return ok;
}

void openLauncherModel(ShowAurexTaskPane *session)
{
    const LauncherParams params = readLauncherParams(session);
    if (!signedIn() || params.modelId.isEmpty())
        return;
    const QStringList temp = QStandardPaths::standardLocations(QStandardPaths::TempLocation);
    const QString folder = temp.isEmpty() ? QString() : temp.first();
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    connector->SetWorkingDirectory(folder);
    // The connector's answer is appended as it is: it carries its own separator.
    const QString downloaded = connector->Download_Block(params.modelId);
    const QString localPath = folder + downloaded;
    if (downloaded.isEmpty() || !QFileInfo(localPath).isFile()) {
        // Nothing to open: no pending open either, or the user's next drawing would be closed.
        qCDebug(lcSession) << "the launcher's model could not be downloaded";
        return;
    }
    session->setLauncherOpenPending(true);
    session->setLauncherModelPath(localPath);
    CFxSystemServices *services = GetFxSystemServices();
    if (CFxDocumentManager *documents = services ? services->GetDocumentManager() : nullptr)
        documents->OpenDocument(localPath);
}

bool ensureLauncherConfigured(ShowAurexTaskPane *session)
{
    if (!readLauncherParams(session).serverUrl.isEmpty())
        return false;
    LaunchMessageBox box;
    box.exec();
    return true;
}
