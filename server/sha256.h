#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// SHA-256 of data given in pieces, through the system's crypto library, which is many times
// faster than a portable implementation on large files. One per computation; not shared
// between threads.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    void addData(const char *data, qint64 size);
    void addData(const QByteArray &data) { addData(data.constData(), data.size()); }
    // Lower-case hex of the digest; ends the computation.
    QString hexResult();

    static QString hex(const QByteArray &data);

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};
