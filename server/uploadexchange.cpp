#include "uploadexchange.h"

#include <QJsonObject>

namespace {

// Bytes gathered before they are stored as one piece.
const int kPieceBytes = 1024 * 1024;

} // namespace

UploadExchange::UploadExchange(const UploadSession &session, quint64 turn)
    : m_session(session), m_turn(turn), m_received(session.received())
{
    m_buffer.reserve(kPieceBytes);
}

UploadExchange::~UploadExchange()
{
    // Whatever arrived before the connection ended stays for the next append.
    store();
    m_session.release(m_turn);
}

bool UploadExchange::store()
{
    if (m_buffer.isEmpty())
        return true;
    try {
        if (!m_session.append(m_turn, m_received - m_buffer.size(), m_buffer))
            return false;
    } catch (const std::exception &) {
        return false;
    }
    m_buffer.clear();
    return true;
}

bool UploadExchange::receive(const char *data, size_t size)
{
    if (isAnswered())
        return false;
    if (m_received + static_cast<qint64>(size) > m_session.size()) {
        setAnswer(progressAnswer(413, m_session,
                                 QStringLiteral("more bytes than the upload announced")));
        return false;
    }
    for (size_t done = 0; done < size;) {
        const size_t length = qMin(size - done, size_t(kPieceBytes - m_buffer.size()));
        m_buffer.append(data + done, static_cast<int>(length));
        m_received += static_cast<qint64>(length);
        done += length;
        if (m_buffer.size() == kPieceBytes && !store()) {
            setAnswer(HttpResponse::error(409, QStringLiteral("another append took over")));
            return false;
        }
    }
    return true;
}

void UploadExchange::finish()
{
    if (isAnswered())
        return;
    setAnswer(store() ? progressAnswer(200, m_session)
                      : HttpResponse::error(409, QStringLiteral("another append took over")));
}

HttpResponse UploadExchange::progressAnswer(int status, const UploadSession &session,
                                            const QString &error)
{
    QJsonObject body = session.state();
    if (!error.isEmpty())
        body.insert(QStringLiteral("error"), error);
    return HttpResponse::json(status, body);
}
