#include "sha256digest.h"

#include <openssl/evp.h>

Sha256Digest::Sha256Digest() : m_context(EVP_MD_CTX_new(), EVP_MD_CTX_free)
{
    EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr);
}

void Sha256Digest::add(const char *data, size_t length)
{
    EVP_DigestUpdate(m_context.get(), data, length);
}

QByteArray Sha256Digest::hex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context.get(), digest, &length);
    EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr);
    return QByteArray(reinterpret_cast<const char *>(digest), static_cast<int>(length)).toHex();
}
