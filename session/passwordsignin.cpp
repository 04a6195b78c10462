#include "passwordsignin.h"

#include "launcherparams.h"
#include "proxycapture.h"
#include "sessionconstants.h"
#include "sessionlogging.h"
#include "showaurextaskpane.h"

#include "connector/aurexplatform.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>

namespace {

struct SignInTarget
{
    QString serverHost;
    QString tenant;
    QString casUrl;
};

// The developer server file wins over the launcher: its "url" names the server as written,
// with the platform's own identity service and no tenant. A file that does not parse names no
// server.
bool readDeveloperServer(SignInTarget *target)
{
    QFile file(QString::fromLatin1(kDeveloperServerFileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDomDocument document;
    if (document.setContent(file.readAll())) {
        const QString tag = QString::fromLatin1(kDeveloperServerUrlElement);
        const QDomElement url = document.elementsByTagName(tag).item(0).toElement();
        target->serverHost = url.firstChild().nodeValue().trimmed();
    }
    target->tenant.clear();
    target->casUrl = QString::fromLatin1(kDeveloperIdentityServiceAddress);
    return true;
}

SignInTarget signInTarget()
{
    SignInTarget target;
    if (readDeveloperServer(&target))
        return target;
    const LauncherParams params = readLauncherParams();
    target.serverHost = serverHostFromUrl(params.serverUrl);
    target.tenant = params.tenant;
    target.casUrl = params.casUrl;
    return target;
}

} // namespace

bool signInWithPassword(AurexPlatform &platform, ShowAurexTaskPane *session,
                        const QString &userName, const QString &password, QString *errorMessage)
{
    // The messages are the sign-in dialog's, which shows them.
    errorMessage->clear();
    if (userName.isEmpty() && password.isEmpty())
        *errorMessage = QCoreApplication::translate("CSLoginDialog",
                                                  "Credentials should not be empty.");
    else if (userName.isEmpty())
        *errorMessage = QCoreApplication::translate("CSLoginDialog",
                                                  "Username is a required field.");
    else if (password.isEmpty())
        *errorMessage = QCoreApplication::translate("CSLoginDialog",
                                                  "Password is a required field.");
    if (!errorMessage->isEmpty())
        return false;

    const ShowAurexTaskPane::ProxySettings proxy = captureProxySettings(session);
    platform.setProxy(proxy.host, proxy.port, proxy.user, proxy.password);
    const SignInTarget target = signInTarget();
    platform.setTenant(target.tenant);
    platform.setServer(target.serverHost);
    // A failed attempt leaves the user signed out, whatever the state before.
    if (target.serverHost.isEmpty() || target.casUrl.isEmpty()) {
        session->endSession();
        *errorMessage = QCoreApplication::translate("CSLoginDialog",
                                                  "Invalid server or server not available");
        return false;
    }
    const bool ok =
        platform.signInWithPassword(userName, password, target.serverHost, target.casUrl);
    qCDebug(lcSession) << "password sign-in to" << target.serverHost
                       << (ok ? "succeeded" : "failed");
    if (!ok) {
        session->endSession();
        *errorMessage = QCoreApplication::translate(
            "CSLoginDialog",
            "Authentication failed! Your username and/or your password are incorrect");
        return false;
    }
    session->startSession(target.tenant);
    return true;
}
