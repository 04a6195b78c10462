#include "credentials.h"

#include "sha256.h"

#include <sodium.h>

#include <mutex>

namespace {

// Argon2id with the library's interactive limits: about a tenth of a second and 64 MiB.
const unsigned long long kOpsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
const size_t kMemLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;

QString dummyHash()
{
    static std::once_flag once;
    static QString hash;
    std::call_once(once, [] { hash = Credentials::hashPassword(Credentials::newToken()); });
    return hash;
}

} // namespace

bool Credentials::initialize()
{
    return sodium_init() >= 0;
}

QString Credentials::hashPassword(const QString &password)
{
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()),
                              kOpsLimit, kMemLimit, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return QString();
    return QString::fromLatin1(out);
}

bool Credentials::verifyPassword(const QString &password, const QString &storedHash)
{
    const QByteArray utf8 = password.toUtf8();
    const QByteArray hash = (storedHash.isEmpty() ? dummyHash() : storedHash).toLatin1();
    const bool match = crypto_pwhash_str_verify(hash.constData(), utf8.constData(),
                                                static_cast<unsigned long long>(utf8.size()))
        == 0;
    return match && !storedHash.isEmpty();
}

QString Credentials::newToken()
{
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    char out[sodium_base64_ENCODED_LEN(sizeof bytes, sodium_base64_VARIANT_URLSAFE_NO_PADDING)];
    sodium_bin2base64(out, sizeof out, bytes, sizeof bytes,
                      sodium_base64_VARIANT_URLSAFE_NO_PADDING);
    sodium_memzero(bytes, sizeof bytes);
    return QString::fromLatin1(out);
}

QString Credentials::fingerprint(const QString &token)
{
    return sha256Hex(token.toUtf8());
}

QString Credentials::newObjectId()
{
    unsigned char bytes[16];
    randombytes_buf(bytes, sizeof bytes);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes).toHex().toUpper());
}

QString Credentials::sha256Hex(const QByteArray &bytes)
{
    return Sha256::hex(bytes);
}
