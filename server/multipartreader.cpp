#include "multipartreader.h"

#include <QRegularExpression>

#include <cstring>

namespace {

// A part's header block beyond this is not a form's.
const int kMaxPartHeaderBytes = 16 * 1024;

int find(const QByteArray &haystack, const QByteArray &needle)
{
    const void *at = memmem(haystack.constData(), static_cast<size_t>(haystack.size()),
                            needle.constData(), static_cast<size_t>(needle.size()));
    return at ? static_cast<int>(static_cast<const char *>(at) - haystack.constData()) : -1;
}

} // namespace

MultipartReader::MultipartReader(const QByteArray &boundary, PartBegins begins, PartData data)
    : m_delimiter("\r\n--" + boundary), m_begins(std::move(begins)), m_data(std::move(data)),
      // The first delimiter has no line break before it; one is supplied so that every
      // delimiter reads the same.
      m_buffer("\r\n")
{
}

QByteArray MultipartReader::boundaryOf(const std::string &contentType)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*multipart/form-data\\s*;.*boundary=(\"([^\"]{1,70})\"|([^;\\s]{1,70}))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromStdString(contentType));
    if (!match.hasMatch())
        return QByteArray();
    return (match.captured(2).isEmpty() ? match.captured(3) : match.captured(2)).toLatin1();
}

bool MultipartReader::feed(const char *data, size_t size)
{
    if (m_state == State::Failed)
        return false;
    if (m_state == State::Done)
        return true;
    m_buffer.append(data, static_cast<int>(size));
    while (step()) {
    }
    return m_state != State::Failed;
}

bool MultipartReader::fail()
{
    m_state = State::Failed;
    return false;
}

// Consumes what it can of the buffer; true when another step may consume more.
bool MultipartReader::step()
{
    const int keep = m_delimiter.size() - 1;
    switch (m_state) {
    case State::Preamble: {
        const int at = find(m_buffer, m_delimiter);
        if (at < 0) {
            if (m_buffer.size() > keep)
                m_buffer.remove(0, m_buffer.size() - keep);
            return false;
        }
        m_buffer.remove(0, at + m_delimiter.size());
        m_state = State::AfterDelimiter;
        return true;
    }
    case State::AfterDelimiter:
        if (m_buffer.size() < 2)
            return false;
        if (m_buffer.startsWith("--")) {
            m_state = State::Done;
            m_buffer.clear();
            return false;
        }
        if (!m_buffer.startsWith("\r\n"))
            return fail();
        m_state = State::Headers;
        return true;
    case State::Headers: {
        // The line break that ended the delimiter line is still at the front.
        const int end = find(m_buffer, QByteArrayLiteral("\r\n\r\n"));
        if (end < 0)
            return m_buffer.size() > kMaxPartHeaderBytes ? fail() : false;
        const QByteArray headers = m_buffer.mid(2, end - 2);
        m_buffer.remove(0, end + 4);
        static const QRegularExpression name(QStringLiteral("name=\"([^\"]*)\""));
        QByteArray partName;
        for (const QByteArray &line : headers.split('\n')) {
            if (line.trimmed().toLower().startsWith("content-disposition:")) {
                const QRegularExpressionMatch match = name.match(QString::fromUtf8(line));
                partName = match.captured(1).toUtf8();
            }
        }
        if (!m_begins(partName))
            return fail();
        m_state = State::Body;
        return true;
    }
    case State::Body: {
        const int at = find(m_buffer, m_delimiter);
        const int ready = at >= 0 ? at : qMax(0, m_buffer.size() - keep);
        if (ready > 0 && !m_data(m_buffer.constData(), static_cast<size_t>(ready)))
            return fail();
        if (at < 0) {
            m_buffer.remove(0, ready);
            return false;
        }
        m_buffer.remove(0, at + m_delimiter.size());
        m_state = State::AfterDelimiter;
        return true;
    }
    case State::Done:
    case State::Failed:
        return false;
    }
    return false;
}
