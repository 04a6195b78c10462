#include "launcherparams.h"

#include "sessionconstants.h"

#include <QDomDocument>
#include <QFile>
#include <QStandardPaths>

namespace {

QDomElement firstElementNamed(const QDomDocument &document, const char *name)
{
    // Anywhere below the root, in document order.
    return document.elementsByTagName(QString::fromLatin1(name)).item(0).toElement();
}

} // namespace

QString launcherParamsPath()
{
    const QStringList locations =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QString base = locations.isEmpty() ? QString() : locations.first();
    return base + QLatin1String(kLauncherFolder) + QLatin1String(kLauncherParamsFileName);
}

LauncherParams readLauncherParams()
{
    LauncherParams params;
    QFile file(launcherParamsPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return params;
    QDomDocument document;
    if (!document.setContent(file.readAll()))
        return params;

    const QDomElement launcher = firstElementNamed(document, kParamsElement);
    params.serverUrl = launcher.attribute(kServerUrlAttribute);
    params.casCookie = launcher.attribute(kCasCookieAttribute);
    params.namedSpace = launcher.attribute(kNamedSpaceAttribute);
    params.tenant = launcher.attribute(kTenantAttribute);
    params.modelId = launcher.attribute(kModelIdAttribute);
    params.preferredContext = launcher.attribute(kPreferredContextAttribute);
    params.casUrl = firstElementNamed(document, kEnvironmentElement).attribute(kCasUrlAttribute);
    return params;
}

QString serverHostFromUrl(const QString &serverUrl)
{
    QString host = serverUrl;
    host.remove(QLatin1String(kHttpsPrefix), Qt::CaseSensitive);
    host.remove(QLatin1String(kServerPathSuffix), Qt::CaseSensitive);
    return host.toLower();
}
