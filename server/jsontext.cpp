#include "jsontext.h"

namespace {

const char kHexDigits[] = "0123456789abcdef";

// Appends the text as a JSON string in UTF-8, straight into the bytes: at most six bytes for
// each UTF-16 unit (an escaped control character) and the quotes.
void appendString(QByteArray *out, const QString &text)
{
    const int start = out->size();
    out->resize(start + 2 + 6 * text.size());
    char *p = out->data() + start;
    *p++ = '"';
    const QChar *units = text.constData();
    for (int i = 0; i < text.size(); ++i) {
        uint c = units[i].unicode();
        if (c < 0x80) {
            if (c == '"' || c == '\\') {
                *p++ = '\\';
                *p++ = static_cast<char>(c);
            } else if (c < 0x20) {
                for (const char e : {'\\', 'u', '0', '0'})
                    *p++ = e;
                *p++ = kHexDigits[c >> 4];
                *p++ = kHexDigits[c & 0xF];
            } else {
                *p++ = static_cast<char>(c);
            }
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && units[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), units[++i].unicode());
        else if (QChar::isSurrogate(c))
            c = QChar::ReplacementCharacter;
        if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (c >> 18));
            *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    *p++ = '"';
    out->resize(static_cast<int>(p - out->constData()));
}

} // namespace

void JsonText::beginValue(const char *key)
{
    if (!m_first)
        m_text += ',';
    m_first = false;
    if (key) {
        m_text += '"';
        m_text += key;
        m_text += "\":";
    }
}

void JsonText::beginObject(const char *key)
{
    beginValue(key);
    m_text += '{';
    m_first = true;
}

void JsonText::endObject()
{
    m_text += '}';
    m_first = false;
}

void JsonText::beginList(const char *key)
{
    beginValue(key);
    m_text += '[';
    m_first = true;
}

void JsonText::endList()
{
    m_text += ']';
    m_first = false;
}

void JsonText::field(const char *key, const QString &value)
{
    beginValue(key);
    appendString(&m_text, value);
}

void JsonText::field(const char *key, qint64 number)
{
    beginValue(key);
    m_text += '"';
    m_text += QByteArray::number(number);
    m_text += '"';
}

void JsonText::rawField(const char *key, const QByteArray &json)
{
    beginValue(key);
    m_text += json;
}
