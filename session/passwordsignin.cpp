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

bool prepareSignIn(AurexPlatform &platform, ShowAurexTaskPane *session, const QString &userName,
                   const QString &password, SignInTarget *target, QString *errorMessage)
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
    *target = signInTarget();
    platform.setTenant(target->tenant);
    platform.setServer(target->serverHost);
    // A failed attempt leaves the user signed out, whatever the state before.
    if (target->serverHost.isEmpty() || target->casUrl.isEmpty()) {
        session->endSession();
        *errorMessage = QCoreApplication::translate("CSLoginDialog",
                                                  "Invalid server or server not available");
        return false;
    }
    return true;
}

QString passwordSignInCall(AurexPlatform &platform, const QString &userName,
                           const QString &password, const SignInTarget &target)
{
    const bool ok =
        platform.signInWithPassword(userName, password, target.serverHost, target.casUrl);
    qCDebug(lcSession) << "password sign-in to" << target.serverHost
                       << (ok ? "succeeded" : "failed");
    if (ok)
        return QString();
    // Refused credentials, or no platform to refuse them.
    return platform.failureText(QCoreApplication::translate(
        "CSLoginDialog",
        "Authentication failed! Your username and/or your password are incorrect"));
}

void finishSignIn(ShowAurexTaskPane *session, const SignInTarget &target, const QString &failure)
{
    if (failure.isEmpty())
        session->startSession(target.tenant);
    else
        session->endSession();
}

bool signInWithPassword(AurexPlatform &platform, ShowAurexTaskPane *session,
                        const QString &userName, const QString &password, QString *errorMessage)
{
    SignInTarget target;
    if (!prepareSignIn(platform, session, userName, password, &target, errorMessage))
        return false;
    *errorMessage = passwordSignInCall(platform, userName, password, target);
    finishSignIn(session, target, *errorMessage);
    return errorMessage->isEmpty();
}
