#include "elementonlyxmlreader.h"

#include <QByteArray>

#include <cstring>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// The characters an XML 1.0 document may hold.
bool isXmlChar(uint code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF)
        || (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

QChar *appendCode(QChar *out, uint code)
{
    if (QChar::requiresSurrogates(code)) {
        *out++ = QChar(QChar::highSurrogate(code));
        *out++ = QChar(QChar::lowSurrogate(code));
    } else {
        *out++ = QChar(char16_t(code));
    }
    return out;
}

// One pass over the bytes; every method returns false (or null) to decline.
class Reader
{
public:
    Reader(const char *begin, const char *end) : m_p(begin), m_end(end) { }

    bool document(std::vector<XmlNode> *nodes);

private:
    // An open element and where its name stands in the bytes, for its end tag.
    struct Open
    {
        XmlNode *node;
        const char *name;
        int nameLength;
    };

    bool declaration();
    // Reads a start tag into a new last node of siblings and, unless it closes itself, opens it.
    bool startTag(std::vector<XmlNode> *siblings, std::vector<Open> *open);
    bool endTag(const Open &element);
    // "=" and the quoted value, with optional white space around "=".
    bool assignedValue(QString *value);
    bool attributeValue(QString *value);
    bool decodeValue(const char *begin, const char *end, QString *value) const;
    static bool reference(const char **p, const char *end, uint *code);

    // Skips white space; whether there was any.
    bool skipSpace();
    bool startsWith(const char *text) const;
    int nameLength() const;
    // One string for each name: every entry repeats the same few.
    QString sharedName(const char *name, int length);

    const char *m_p;
    const char *m_end;
    std::vector<std::pair<QByteArray, QString>> m_names;
};

bool Reader::document(std::vector<XmlNode> *nodes)
{
    nodes->clear();
    if (!declaration())
        return false;
    skipSpace();
    std::vector<Open> open;
    if (!startTag(nodes, &open))
        return false;
    while (!open.empty()) {
        skipSpace();
        if (startsWith("</")) {
            m_p += 2;
            if (!endTag(open.back()))
                return false;
            open.pop_back();
        } else if (!startTag(&open.back().node->children, &open)) {
            return false;
        }
    }
    skipSpace();
    return m_p == m_end;
}

bool Reader::declaration()
{
    if (!(startsWith("<?xml") && m_end - m_p > 5 && isSpace(m_p[5])))
        return true; // none
    m_p += 5;
    // version, then optionally encoding and standalone, in this order.
    static const char *const names[] = {"version", "encoding", "standalone"};
    int next = 0;
    for (;;) {
        const bool spaced = skipSpace();
        if (startsWith("?>")) {
            m_p += 2;
            return next > 0;
        }
        const int length = nameLength();
        if (!spaced || length == 0)
            return false;
        const QByteArray name(m_p, length);
        m_p += length;
        while (next < 3 && name != names[next]) {
            if (next == 0) // the version comes first
                return false;
            ++next;
        }
        if (next == 3)
            return false;
        QString value;
        if (!assignedValue(&value))
            return false;
        if ((next == 0 && value != QLatin1String("1.0"))
            || (next == 1 && value.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
            || (next == 2 && value != QLatin1String("yes") && value != QLatin1String("no")))
            return false;
        ++next;
    }
}

bool Reader::startTag(std::vector<XmlNode> *siblings, std::vector<Open> *open)
{
    if (m_p == m_end || *m_p != '<')
        return false;
    const char *tag = m_p++;
    const char *name = m_p;
    const int length = nameLength();
    if (length == 0)
        return false;
    m_p += length;

    XmlNode node;
    node.name = sharedName(name, length);
    bool closed = false;
    // Whether the tag reads exactly as the database's writer writes it: one space before each
    // attribute, none around "=", values in double quotes that need no reference.
    bool asWritten = true;
    for (;;) {
        const char *beforeSpace = m_p;
        const bool spaced = skipSpace();
        if (m_p == m_end)
            return false;
        if (*m_p == '>') {
            ++m_p;
            break;
        }
        if (startsWith("/>")) {
            m_p += 2;
            closed = true;
            asWritten = asWritten && !spaced;
            break;
        }
        const int attributeLength = nameLength();
        if (!spaced || attributeLength == 0)
            return false;
        asWritten = asWritten && m_p - beforeSpace == 1 && *beforeSpace == ' ';
        const QString attributeName = sharedName(m_p, attributeLength);
        m_p += attributeLength;
        for (const auto &attribute : node.attributes()) {
            // Shared names: equal names are one string.
            if (attribute.first.constData() == attributeName.constData())
                return false;
        }
        const char *assignment = m_p;
        QString value;
        if (!assignedValue(&value))
            return false;
        asWritten = asWritten && assignment[0] == '=' && assignment[1] == '"'
            && m_p - assignment - 3 == value.size() && !value.contains(QLatin1Char('>'));
        if (node.attributes().isEmpty())
            node.reserveAttributes(8);
        node.appendReadAttribute(attributeName, value);
    }
    // The writer copies such a tag instead of writing it again.
    if (closed && asWritten)
        node.setWritten(QByteArray(tag, int(m_p - tag)));
    siblings->push_back(std::move(node));
    if (!closed)
        open->push_back(Open {&siblings->back(), name, length});
    return true;
}

bool Reader::endTag(const Open &element)
{
    if (m_end - m_p < element.nameLength
        || std::memcmp(m_p, element.name, std::size_t(element.nameLength)) != 0)
        return false;
    m_p += element.nameLength;
    skipSpace();
    if (m_p == m_end || *m_p != '>')
        return false;
    ++m_p;
    return true;
}

bool Reader::assignedValue(QString *value)
{
    skipSpace();
    if (m_p == m_end || *m_p++ != '=')
        return false;
    skipSpace();
    return attributeValue(value);
}

bool Reader::attributeValue(QString *value)
{
    if (m_p == m_end || (*m_p != '"' && *m_p != '\''))
        return false;
    const char quote = *m_p++;
    const char *begin = m_p;
    bool plain = true; // printable ASCII without references
    for (; m_p < m_end && *m_p != quote; ++m_p) {
        const auto c = static_cast<unsigned char>(*m_p);
        // A parser turns line breaks and tabs typed into a value into spaces; the database
        // writes them as references, so a file that holds them is left to the general reader.
        if (c == '<' || c < 0x20)
            return false;
        if (c == '&' || c >= 0x80)
            plain = false;
    }
    if (m_p == m_end)
        return false;
    const char *end = m_p++;
    if (plain) {
        *value = QString::fromLatin1(begin, int(end - begin));
        return true;
    }
    return decodeValue(begin, end, value);
}

bool Reader::decodeValue(const char *begin, const char *end, QString *value) const
{
    // Neither a UTF-8 sequence nor a reference is shorter in bytes than in UTF-16 code units.
    value->resize(int(end - begin));
    QChar *const start = value->data();
    QChar *out = start;
    for (const char *p = begin; p < end;) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x80) {
            if (c != '&') {
                *out++ = QChar(char16_t(c));
                ++p;
                continue;
            }
            uint code = 0;
            if (!reference(&p, end, &code))
                return false;
            out = appendCode(out, code);
            continue;
        }
        // The lead byte gives the length of the sequence and the least code it may carry.
        const int length = (c & 0xE0) == 0xC0 ? 2
            : (c & 0xF0) == 0xE0              ? 3
            : (c & 0xF8) == 0xF0              ? 4
                                              : 0;
        if (length == 0)
            return false;
        static const uint least[] = {0, 0, 0x80, 0x800, 0x10000};
        uint code = c & (0x7F >> length);
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(p[i]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and non-characters are not well-formed.
        if (code < least[length] || !isXmlChar(code))
            return false;
        p += length;
        out = appendCode(out, code);
    }
    value->truncate(int(out - start));
    return true;
}

bool Reader::reference(const char **p, const char *end, uint *code)
{
    const char *begin = *p + 1;
    const char *semicolon = begin;
    while (semicolon < end && *semicolon != ';' && semicolon - begin < 10)
        ++semicolon;
    if (semicolon == end || *semicolon != ';')
        return false;
    const QByteArray name(begin, int(semicolon - begin));
    *p = semicolon + 1;
    static const struct
    {
        const char *name;
        char16_t code;
    } entities[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto &entity : entities) {
        if (name == entity.name) {
            *code = entity.code;
            return true;
        }
    }
    if (name.size() < 2 || name.at(0) != '#')
        return false;
    const bool hex = name.at(1) == 'x';
    const QByteArray digits = name.mid(hex ? 2 : 1);
    // Only digits: toUInt would also take signs and white space.
    for (char digit : digits) {
        const bool isDigit = (digit >= '0' && digit <= '9')
            || (hex && ((digit >= 'a' && digit <= 'f') || (digit >= 'A' && digit <= 'F')));
        if (!isDigit)
            return false;
    }
    bool ok = false;
    *code = digits.toUInt(&ok, hex ? 16 : 10);
    return ok && isXmlChar(*code);
}

bool Reader::skipSpace()
{
    const char *start = m_p;
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
    return m_p != start;
}

bool Reader::startsWith(const char *text) const
{
    const auto length = std::strlen(text);
    return std::size_t(m_end - m_p) >= length && std::memcmp(m_p, text, length) == 0;
}

int Reader::nameLength() const
{
    if (m_p == m_end || !isNameStart(*m_p))
        return 0;
    const char *p = m_p + 1;
    while (p < m_end && isNameChar(*p))
        ++p;
    // A name that goes on with other characters (":" or beyond ASCII) is not ours to read.
    if (p < m_end && (*p == ':' || static_cast<unsigned char>(*p) >= 0x80))
        return 0;
    return int(p - m_p);
}

QString Reader::sharedName(const char *name, int length)
{
    for (const auto &known : m_names) {
        if (known.first.size() == length
            && std::memcmp(known.first.constData(), name, std::size_t(length)) == 0)
            return known.second;
    }
    m_names.emplace_back(QByteArray(name, length), QString::fromLatin1(name, length));
    return m_names.back().second;
}

} // namespace

bool ElementOnlyXmlReader::read(const QByteArray &bytes, std::vector<XmlNode> *nodes)
{
    Reader reader(bytes.constData(), bytes.constData() + bytes.size());
    return reader.document(nodes);
}
