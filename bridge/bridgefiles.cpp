#include "bridgefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace BridgeFiles {

QString location(const char *relativePath)
{
    const QStringList folders =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    if (folders.isEmpty())
        return QString();
    return folders.first() + QLatin1String(relativePath);
}

bool writePrivate(const QString &path, const QByteArray &bytes, QString *errorMessage)
{
    QFile file(path);
    const auto fail = [&file, errorMessage]() {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    };
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail();
    // The file is made private while it is still empty, before anything is written to it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return fail();
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail();
    return true;
}

} // namespace BridgeFiles
