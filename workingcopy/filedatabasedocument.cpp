#include "filedatabasedocument.h"

#include "elementonlyxmlreader.h"
#include "workingcopyconstants.h"
#include "xmltreereader.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

namespace {

// For each way of escaping, the ASCII characters that are written as they are.
struct AsIsTable
{
    bool table[3][128] = {};
    constexpr AsIsTable()
    {
        for (int c = 0; c < 128; ++c) {
            const bool markup = c == '&' || c == '<' || c == '>';
            table[0][c] = true;
            table[1][c] = (c >= 0x20 || c == '\t' || c == '\n') && !markup;
            table[2][c] = c >= 0x20 && !markup && c != '"';
        }
    }
};
constexpr AsIsTable kAsIs;
const bool (&kWrittenAsIs)[3][128] = kAsIs.table;

// Serialisation encodes straight into UTF-8 bytes: converting value by value costs an
// allocation each, and this runs on every save of a database that may hold thousands of
// entries.
class Utf8Writer
{
public:
    explicit Utf8Writer(int expectedSize) { m_bytes.resize(qMax(expectedSize, 256)); }

    void append(const char *ascii) { append(ascii, int(qstrlen(ascii))); }
    void append(const char *ascii, int length)
    {
        std::memcpy(room(length), ascii, std::size_t(length));
        m_size += length;
    }
    void append(char c) { append(&c, 1); }
    void appendIndent(int depth)
    {
        std::memset(room(depth), ' ', std::size_t(depth));
        m_size += depth;
    }
    // Element and attribute names and other text that needs no escaping.
    void append(const QString &text) { appendEscaped(text, Escape::None); }

    enum class Escape { None, Content, Attribute };
    // Characters that XML cannot carry (control characters, stray surrogate halves) become
    // U+FFFD, so that whatever a caller stores, the file always reads back.
    void appendEscaped(const QString &text, Escape escape)
    {
        const auto *chars = reinterpret_cast<const char16_t *>(text.constData());
        const int length = text.size();
        char *out = room(6 * length); // "&quot;" is the longest form of one code unit
        const bool *asIs = kWrittenAsIs[int(escape)];
        for (int i = 0; i < length;) {
            const char16_t c = chars[i++];
            // The common case first, with one jump per character.
            if (c < 0x80 && asIs[c]) {
                *out++ = char(c);
            } else if (c < 0x80) {
                out = appendAsciiEscaped(out, char(c), escape);
            } else if (c < 0x800) {
                *out++ = char(0xC0 | (c >> 6));
                *out++ = char(0x80 | (c & 0x3F));
            } else if (QChar::isHighSurrogate(c) && i < length && QChar::isLowSurrogate(chars[i])) {
                const char32_t u = QChar::surrogateToUcs4(c, chars[i++]);
                *out++ = char(0xF0 | (u >> 18));
                *out++ = char(0x80 | ((u >> 12) & 0x3F));
                *out++ = char(0x80 | ((u >> 6) & 0x3F));
                *out++ = char(0x80 | (u & 0x3F));
            } else {
                const char16_t v = (QChar::isSurrogate(c) || c >= 0xFFFE) ? 0xFFFD : c;
                *out++ = char(0xE0 | (v >> 12));
                *out++ = char(0x80 | ((v >> 6) & 0x3F));
                *out++ = char(0x80 | (v & 0x3F));
            }
        }
        m_size = int(out - m_bytes.data());
    }

    int size() const { return m_size; }
    // A copy of what was appended from position start on.
    QByteArray bytesFrom(int start) const
    {
        return QByteArray(m_bytes.constData() + start, m_size - start);
    }

    QByteArray take()
    {
        m_bytes.truncate(m_size);
        return std::move(m_bytes);
    }

private:
    static char *appendAsciiEscaped(char *out, char c, Escape escape)
    {
        const char *replacement = nullptr;
        if (escape != Escape::None) {
            switch (c) {
            case '&': replacement = "&amp;"; break;
            case '<': replacement = "&lt;"; break;
            case '>': replacement = "&gt;"; break;
            case '\r': replacement = "&#13;"; break;
            case '"': replacement = escape == Escape::Attribute ? "&quot;" : nullptr; break;
            case '\t': replacement = escape == Escape::Attribute ? "&#9;" : nullptr; break;
            case '\n': replacement = escape == Escape::Attribute ? "&#10;" : nullptr; break;
            default:
                if (c < 0x20)
                    replacement = "\xEF\xBF\xBD";
                break;
            }
        }
        if (!replacement) {
            *out++ = c;
            return out;
        }
        while (*replacement)
            *out++ = *replacement++;
        return out;
    }

    // Makes room for length more bytes and returns where they go.
    char *room(int length)
    {
        if (m_size + length > m_bytes.size())
            m_bytes.resize(qMax(2 * m_bytes.size(), m_size + length));
        return m_bytes.data() + m_size;
    }

    QByteArray m_bytes;
    int m_size = 0;
};

bool hasTextChild(const XmlNode &element)
{
    for (const XmlNode &child : element.children) {
        if (child.kind == XmlNode::Text || child.kind == XmlNode::CData)
            return true;
    }
    return false;
}

void appendNode(Utf8Writer &out, const XmlNode &node, int depth, bool indented);

void appendElement(Utf8Writer &out, const XmlNode &node, int depth, bool indented)
{
    // Written as last time while nothing changed.
    if (node.children.empty() && !node.written().isEmpty()) {
        out.append(node.written().constData(), node.written().size());
        return;
    }
    const int start = out.size();
    out.append('<');
    out.append(node.name);
    for (const auto &attribute : node.attributes()) {
        out.append(' ');
        out.append(attribute.first);
        out.append("=\"", 2);
        out.appendEscaped(attribute.second, Utf8Writer::Escape::Attribute);
        out.append('"');
    }
    if (node.children.empty()) {
        out.append("/>", 2);
        node.setWritten(out.bytesFrom(start));
        return;
    }
    out.append('>');
    // Text is written exactly as held; only element-only content is laid out on lines.
    const bool childrenIndented = indented && !hasTextChild(node);
    for (const XmlNode &child : node.children) {
        if (childrenIndented) {
            out.append('\n');
            out.appendIndent(depth + 1);
        }
        appendNode(out, child, depth + 1, childrenIndented);
    }
    if (childrenIndented) {
        out.append('\n');
        out.appendIndent(depth);
    }
    out.append("</", 2);
    out.append(node.name);
    out.append('>');
}

void appendNode(Utf8Writer &out, const XmlNode &node, int depth, bool indented)
{
    switch (node.kind) {
    case XmlNode::Element:
        appendElement(out, node, depth, indented);
        break;
    case XmlNode::Text:
        out.appendEscaped(node.value, Utf8Writer::Escape::Content);
        break;
    case XmlNode::CData:
        out.append("<![CDATA[");
        out.append(node.value);
        out.append("]]>");
        break;
    case XmlNode::Comment:
        out.append("<!--");
        out.append(node.value);
        out.append("-->");
        break;
    case XmlNode::ProcessingInstruction:
        out.append("<?");
        out.append(node.name);
        if (!node.value.isEmpty()) {
            out.append(' ');
            out.append(node.value);
        }
        out.append("?>");
        break;
    case XmlNode::Dtd:
        out.append(node.value);
        break;
    }
}

bool elementsOnly(const std::vector<XmlNode> &nodes)
{
    return std::all_of(nodes.begin(), nodes.end(), [](const XmlNode &node) {
        return node.isElement() && elementsOnly(node.children);
    });
}

const XmlNode *findIn(const std::vector<XmlNode> &nodes, const QString &tag,
                      const QString &matchAttribute, const QString &matchValue)
{
    for (const XmlNode &node : nodes) {
        if (!node.isElement())
            continue;
        if (node.name == tag && node.attribute(matchAttribute) == matchValue)
            return &node;
        if (const XmlNode *found = findIn(node.children, tag, matchAttribute, matchValue))
            return found;
    }
    return nullptr;
}

} // namespace

FileDatabaseDocument::FileDatabaseDocument()
{
    m_nodes.push_back(XmlNode::make(XmlNode::Element, QLatin1String(kRootTag)));
}

bool FileDatabaseDocument::parse(const QByteArray &bytes, QString *errorMessage)
{
    std::vector<XmlNode> nodes;
    if (!ElementOnlyXmlReader::read(bytes, &nodes) && !XmlTreeReader::read(bytes, &nodes, errorMessage))
        return false;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (!nodes[i].isElement())
            continue;
        if (nodes[i].name != QLatin1String(kRootTag)) {
            if (errorMessage)
                *errorMessage = QStringLiteral("the root element is \"%1\"").arg(nodes[i].name);
            return false;
        }
        m_nodes = std::move(nodes);
        m_rootIndex = i;
        m_childIndex = ChildIndex();
        return true;
    }
    if (errorMessage)
        *errorMessage = QStringLiteral("no root element");
    return false;
}

QByteArray FileDatabaseDocument::serialize() const
{
    Utf8Writer out(m_lastSize);
    out.append("<?");
    out.append(kDeclarationTarget);
    out.append(' ');
    out.append(kDeclarationData);
    out.append("?>\n");
    for (const XmlNode &node : m_nodes) {
        appendNode(out, node, 0, true);
        out.append('\n');
    }
    QByteArray bytes = out.take();
    m_lastSize = bytes.size() + bytes.size() / 16;
    return bytes;
}

bool FileDatabaseDocument::isElementOnly() const
{
    return elementsOnly(m_nodes);
}

const XmlNode *FileDatabaseDocument::findElement(const QString &tag,
                                                 const QString &matchAttribute,
                                                 const QString &matchValue) const
{
    return findIn(m_nodes, tag, matchAttribute, matchValue);
}
