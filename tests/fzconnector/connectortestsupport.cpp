#include "connectortestsupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

QByteArray connectortest::sha256Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

bool connectortest::makeSparseFile(const QString &path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

connectortest::Record connectortest::newFileRecord(const QString &path, const char *space)
{
    const Record request = record({{"_count", "1"}});
    const std::vector<std::string> names = connector()->GetAutoname_Block(request.get());
    Record out = std::make_unique<FzFileInfo>();
    out->SetPath(path.toStdString());
    out->SetTitle(QFileInfo(path).fileName().toStdString());
    out->SetName(names.empty() ? std::string() : names.front());
    out->SetProperty("collabspace", space);
    out->SetProperty("selected", "true");
    return out;
}

qint64 connectortest::peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

qint64 connectortest::resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (!refs.open(QIODevice::WriteOnly) || refs.write("5") != 1)
        return -1;
    refs.close();
    return peakMemory();
}
