#include "dashboardlauncher.h"

#include "sessionconstants.h"

#include "support/hostaccess.h"

#include <QDomDocument>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>

QString DashboardLauncher::appsInfoPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QLatin1String(kLauncherFolder) + QLatin1String(kAppsInfoFileName);
}

QString DashboardLauncher::findDashboardUrl()
{
    QFile file(appsInfoPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QDomDocument document;
    if (!document.setContent(file.readAll()))
        return QString();
    const QDomNodeList apps = document.elementsByTagName(QString::fromLatin1(kAppElement));
    for (int i = 0; i < apps.count(); ++i) {
        const QDomElement app = apps.item(i).toElement();
        const QDomElement id = app.firstChildElement(QString::fromLatin1(kAppIdElement));
        const QDomElement launchInfos =
            app.firstChildElement(QString::fromLatin1(kAppLaunchInfosElement));
        if (id.isNull() || launchInfos.isNull())
            continue;
        if (id.text() == QLatin1String(kDashboardAppId))
            return launchInfos.text();
    }
    return QString();
}

void DashboardLauncher::launch()
{
    HostAccess::openWebAddress(QUrl(findDashboardUrl(), QUrl::TolerantMode));
}
