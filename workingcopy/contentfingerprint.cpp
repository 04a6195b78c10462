#include "contentfingerprint.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray sha256Of(QFile &file)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return hash.addData(&file) ? hash.result().toHex() : QByteArray();
}

qint64 modifiedMsOf(const QFileInfo &info)
{
    return info.lastModified().toMSecsSinceEpoch();
}

} // namespace

ContentFingerprint ContentFingerprint::of(const QString &path)
{
    ContentFingerprint fingerprint;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fingerprint;
    const QFileInfo info(file);
    fingerprint.sha256 = sha256Of(file);
    if (!fingerprint.sha256.isEmpty()) {
        fingerprint.size = info.size();
        fingerprint.modifiedMs = modifiedMsOf(info);
    }
    return fingerprint;
}

ContentFingerprint ContentFingerprint::hashedElsewhere(const QString &path,
                                                       const QByteArray &sha256, qint64 size,
                                                       qint64 readSinceMs)
{
    const QFileInfo info(path);
    const qint64 modified = modifiedMsOf(info);
    // A file written in the same millisecond as the reading began may hold other bytes.
    if (sha256.isEmpty() || !info.isFile() || info.size() != size || modified >= readSinceMs)
        return of(path);
    ContentFingerprint fingerprint;
    fingerprint.size = size;
    fingerprint.modifiedMs = modified;
    fingerprint.sha256 = sha256;
    return fingerprint;
}

bool ContentFingerprint::matches(const QString &path) const
{
    const QFileInfo info(path);
    if (!isValid() || !info.isFile() || info.size() != size)
        return false;
    if (modifiedMsOf(info) == modifiedMs)
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && sha256Of(file) == sha256;
}
