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
