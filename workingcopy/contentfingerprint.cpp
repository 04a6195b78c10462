#include "contentfingerprint.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <openssl/evp.h>

#include <memory>

namespace {

const int kReadBytes = 256 * 1024;

// Through the system's crypto library: it uses the processor's SHA instructions where there
// are some, several times faster than Qt's portable hash on the drawings a download writes.
QByteArray sha256Of(QFile &file)
{
    const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX *)> context(EVP_MD_CTX_new(),
                                                                      EVP_MD_CTX_free);
    if (!context || !EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr))
        return QByteArray();
    QByteArray block(kReadBytes, Qt::Uninitialized);
    qint64 read = 0;
    while ((read = file.read(block.data(), block.size())) > 0)
        EVP_DigestUpdate(context.get(), block.constData(), size_t(read));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (read < 0 || !EVP_DigestFinal_ex(context.get(), digest, &length))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
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
