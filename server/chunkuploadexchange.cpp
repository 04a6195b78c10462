#include "chunkuploadexchange.h"

#include "database.h"
#include "sha256.h"
#include "uploadexchange.h"

#include <QStringList>

ChunkUploadExchange::ChunkUploadExchange(const UploadSession &session,
                                         QVector<UploadSession::Chunk> expected)
    : m_session(session), m_expected(std::move(expected))
{
}

bool ChunkUploadExchange::parse(const QString &text, const QVector<UploadSession::Chunk> &all,
                                QVector<UploadSession::Chunk> *named)
{
    for (const QString &run : text.split(QLatin1Char(','))) {
        const QStringList ends = run.split(QLatin1Char('-'));
        bool firstOk = false;
        bool lastOk = false;
        const int first = ends.value(0).toInt(&firstOk);
        const int last = ends.size() == 2 ? ends[1].toInt(&lastOk) : first;
        if (ends.size() > 2 || !firstOk || (ends.size() == 2 && !lastOk) || first < 0
            || last < first || last >= all.size())
            return false;
        for (int seq = first; seq <= last; ++seq)
            named->append(all[seq]);
    }
    return true;
}

bool ChunkUploadExchange::receive(const char *data, size_t size)
{
    if (isAnswered())
        return false;
    for (size_t done = 0; done < size;) {
        if (m_next == m_expected.size()) {
            setAnswer(UploadExchange::progressAnswer(
                413, m_session, QStringLiteral("more bytes than the chunks named")));
            return false;
        }
        const UploadSession::Chunk &chunk = m_expected[m_next];
        const size_t length =
            qMin(size - done, static_cast<size_t>(chunk.ref.size - m_buffer.size()));
        m_buffer.append(data + done, static_cast<int>(length));
        done += length;
        if (m_buffer.size() < chunk.ref.size)
            continue;
        const QString digest = Sha256::hex(m_buffer);
        if (digest != chunk.ref.sha256) {
            setAnswer(UploadExchange::progressAnswer(
                400, m_session,
                QStringLiteral("chunk %1 of the upload arrived damaged: its bytes hash to %2")
                    .arg(chunk.seq)
                    .arg(digest)));
            return false;
        }
        try {
            m_session.arrived(chunk.ref, m_buffer);
        } catch (const ApiError &error) {
            setAnswer(HttpResponse::error(error.status(), QString::fromUtf8(error.what())));
            return false;
        }
        m_buffer.clear();
        ++m_next;
    }
    return true;
}

void ChunkUploadExchange::finish()
{
    if (isAnswered())
        return;
    // A chunk cut short is dropped; the answer names every chunk still needed.
    setAnswer(UploadExchange::progressAnswer(200, m_session));
}
