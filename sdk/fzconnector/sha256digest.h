#pragma once

#include <QByteArray>

#include <memory>

struct evp_md_ctx_st;

// SHA-256 through the system's crypto library, which hashes many times faster than a portable
// implementation.
class Sha256Digest
{
public:
    Sha256Digest();
    void add(const char *data, size_t length);
    // The digest in lower-case hex; the digest starts again afterwards.
    QByteArray hex();

private:
    std::unique_ptr<evp_md_ctx_st, void (*)(evp_md_ctx_st *)> m_context;
};
