#include "launcherfiles.h"

#include "platformconstants.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamWriter>

#include <functional>

namespace {

bool writeXml(const QString &folder, const char *fileName, QFileDevice::Permissions permissions,
              const std::function<void(QXmlStreamWriter &)> &body, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QSaveFile file(QDir(folder).filePath(QLatin1String(fileName)));
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    file.setPermissions(permissions);
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    body(xml);
    xml.writeEndDocument();
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

} // namespace

QString LauncherFiles::configFolder(const QString &chosen)
{
    if (!chosen.isEmpty())
        return chosen;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1Char('/') + QLatin1String(platform::kCacheFolder);
}

QString LauncherFiles::appsFolder(const QString &chosen)
{
    if (!chosen.isEmpty())
        return chosen;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QLatin1Char('/') + QLatin1String(platform::kCacheFolder);
}

bool LauncherFiles::write(const Values &values, const QString &configFolder,
                          const QString &appsFolder, QString *error)
{
    const bool paramsWritten = writeXml(
        configFolder, platform::kLauncherParamsFileName,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner,
        [&values](QXmlStreamWriter &xml) {
            xml.writeStartElement(QStringLiteral("FzxAppLauncher"));
            xml.writeStartElement(QStringLiteral("Params"));
            xml.writeAttribute(QStringLiteral("ServerUrl"), values.serverUrl);
            xml.writeAttribute(QStringLiteral("CasCookie"), values.cookie);
            xml.writeAttribute(QStringLiteral("NamedSpace"), values.space);
            xml.writeAttribute(QStringLiteral("Tenant"), values.tenant);
            xml.writeAttribute(QStringLiteral("ModelID"), values.modelId);
            xml.writeAttribute(QStringLiteral("PreferredContext"), values.preferredContext);
            xml.writeEndElement();
            xml.writeStartElement(QStringLiteral("Eenvironment"));
            xml.writeAttribute(QStringLiteral("TMURMLYER_CAS_URL"), values.casUrl);
            xml.writeEndElement();
            xml.writeEndElement();
        },
        error);
    if (!paramsWritten)
        return false;
    return writeXml(
        appsFolder, platform::kAppsInfoFileName,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
            | QFileDevice::ReadOther,
        [&values](QXmlStreamWriter &xml) {
            xml.writeStartElement(QStringLiteral("apps"));
            xml.writeStartElement(QStringLiteral("app"));
            xml.writeTextElement(QStringLiteral("id"), QLatin1String(platform::kDashboardAppId));
            xml.writeTextElement(QStringLiteral("launchInfos"), values.dashboardUrl);
            xml.writeEndElement();
            xml.writeEndElement();
        },
        error);
}
