#pragma once

#include <QString>
#include <QXmlStreamReader>

class QByteArray;

// The open-model requests of one bridge connection, read chunk by chunk as they arrive. A chunk
// that is a whole document is a request on its own; a chunk that begins a document but does not
// finish it waits for the following chunks, so a request split in transit is still understood.
// At most kMaxRequestBytes are read from one connection. Owned by its connection; main thread.
class OpenModelRequest
{
public:
    enum class Outcome {
        NeedMore, // the document begun so far is well-formed but not finished
        Document, // a whole document ended with this chunk; modelId() is what it names
        NotXml,   // what was read cannot be (the beginning of) a document
        TooLarge, // the connection sent more than a request can be
    };

    Outcome addChunk(const QByteArray &chunk);
    // The "ModelID" of the first "FzxOpenModel" element of the last whole document; "" when
    // that document has no such element or attribute.
    QString modelId() const { return m_modelId; }

private:
    Outcome readAvailable();
    void startDocument();

    QXmlStreamReader m_reader;
    qint64 m_received = 0;
    int m_depth = 0;
    bool m_rootClosed = false;
    bool m_elementSeen = false;
    QString m_pendingId;
    QString m_modelId;
};
