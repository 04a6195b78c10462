#include "connectortestsupport.h"

#include <QCryptographicHash>
#include <QFile>

QByteArray connectortest::sha256Of(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

std::unique_ptr<PlatformProcess> connectortest::startDemoPlatform(QString *error)
{
    PlatformProcess::Options options;
    options.demo = true;
    auto platform = std::make_unique<PlatformProcess>(options);
    if (!platform->start(error))
        return nullptr;
    return platform;
}
