#include "sha256.h"

#include <openssl/evp.h>

struct Sha256::Context {
    EVP_MD_CTX *md = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(md); }
};

Sha256::Sha256() : m_context(std::make_unique<Context>())
{
    EVP_DigestInit_ex(m_context->md, EVP_sha256(), nullptr);
}

Sha256::~Sha256() = default;

void Sha256::addData(const char *data, qint64 size)
{
    EVP_DigestUpdate(m_context->md, data, static_cast<size_t>(size));
}

QString Sha256::hexResult()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context->md, digest, &length);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(digest), static_cast<int>(length)).toHex());
}

QString Sha256::hex(const QByteArray &data)
{
    Sha256 hash;
    hash.addData(data);
    return hash.hexResult();
}
