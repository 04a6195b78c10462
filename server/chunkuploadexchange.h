#pragma once

#include "httpexchange.h"
#include "uploadsession.h"

#include <QByteArray>
#include <QVector>

// The body of one request sending chunks of an upload announced as chunks: the bytes of the
// chunks named, one after the other in the order named. Each chunk is checked against its
// SHA-256 and kept as soon as it is complete, so a connection that drops keeps every chunk
// that arrived whole; a chunk whose bytes do not match ends the request with 400.
class ChunkUploadExchange : public HttpExchange
{
public:
    ChunkUploadExchange(const UploadSession &session, QVector<UploadSession::Chunk> expected);

    bool receive(const char *data, size_t size) override;
    void finish() override;

    // The chunks a "chunks" parameter names ("0-3,7,9-12"), in its order, of the upload's
    // chunks; false when it names one the upload does not have, or cannot be read.
    static bool parse(const QString &text, const QVector<UploadSession::Chunk> &all,
                      QVector<UploadSession::Chunk> *named);

private:
    UploadSession m_session;
    QVector<UploadSession::Chunk> m_expected;
    int m_next = 0; // the chunk under way
    QByteArray m_buffer;
};
