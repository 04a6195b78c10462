#include "eventstreamparser.h"

void EventStreamParser::feed(const char *data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        // "\r\n" ends one line, not two.
        if (c == '\n' && m_afterCarriageReturn) {
            m_afterCarriageReturn = false;
            continue;
        }
        m_afterCarriageReturn = c == '\r';
        if (c == '\n' || c == '\r') {
            line(m_pending);
            m_pending.clear();
        } else {
            m_pending.append(c);
        }
    }
}

void EventStreamParser::line(const QByteArray &text)
{
    if (text.isEmpty()) {
        // A blank line ends the event; one without data is not given on.
        if (m_hasData)
            m_event(m_id, m_name.isEmpty() ? QStringLiteral("message") : m_name, m_data);
        m_name.clear();
        m_data.clear();
        m_hasData = false;
        return;
    }
    if (text.startsWith(':'))
        return;
    const int colon = text.indexOf(':');
    const QByteArray field = colon < 0 ? text : text.left(colon);
    QByteArray value = colon < 0 ? QByteArray() : text.mid(colon + 1);
    if (value.startsWith(' '))
        value.remove(0, 1);
    if (field == "data") {
        if (m_hasData)
            m_data.append('\n');
        m_data.append(value);
        m_hasData = true;
    } else if (field == "event") {
        m_name = QString::fromUtf8(value);
    } else if (field == "id") {
        // The id stays for the events after it, as the stream's last id, until another comes.
        m_id = QString::fromUtf8(value);
    }
}
