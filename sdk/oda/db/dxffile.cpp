#include "dxffile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

const char kBinaryDxfSentinel[] = "AutoCAD Binary DXF";
const int kSniffLength = 4096;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// A group-code line: optional blanks, an optional minus sign, digits, optional blanks.
bool parseCode(const char *begin, const char *end, int *code)
{
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    bool negative = false;
    if (begin < end && *begin == '-') {
        negative = true;
        ++begin;
    }
    if (begin == end || end - begin > 5)
        return false;
    int value = 0;
    for (const char *p = begin; p < end; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        value = value * 10 + (*p - '0');
    }
    *code = negative ? -value : value;
    return *code >= -5 && *code <= 1071;
}

// Says what a file that is no DXF text is, from its first bytes; empty when it may be one.
QString sniffForeignFormat(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("the file is empty");
    if (bytes.startsWith(kBinaryDxfSentinel))
        return QStringLiteral("it is a binary DXF file; only DXF text files can be read");
    // A DWG file starts with its version tag ("AC1015" and the like) followed by binary data.
    if (bytes.size() >= 6 && bytes.startsWith("AC")
        && std::all_of(bytes.constBegin() + 2, bytes.constBegin() + 6,
                       [](char c) { return (c >= '0' && c <= '9') || c == '.'; }))
        return QStringLiteral("it is a binary DWG drawing; only DXF text files can be read");
    const int sniff = qMin(bytes.size(), kSniffLength);
    if (std::memchr(bytes.constData(), '\0', size_t(sniff)))
        return QStringLiteral("it is a binary file, not a DXF text file");
    return QString();
}

} // namespace

void DxfFile::clear()
{
    m_bytes.clear();
    m_added.clear();
    m_tags.clear();
    m_tags.shrink_to_fit();
    m_headEnd = m_tailBegin = 0;
    m_lineEnd = "\n";
    m_codeWidth = 0;
    m_modified = false;
}

bool DxfFile::parse(const QByteArray &bytes, QString *errorMessage)
{
    clear();
    const QString foreign = sniffForeignFormat(bytes);
    if (!foreign.isEmpty()) {
        if (errorMessage)
            *errorMessage = foreign;
        return false;
    }
    if (quint64(bytes.size()) >= quint64(std::numeric_limits<quint32>::max())) {
        if (errorMessage)
            *errorMessage = QStringLiteral("the file is too large");
        return false;
    }
    m_bytes = bytes;
    const char *data = m_bytes.constData();
    const quint32 size = quint32(m_bytes.size());
    quint32 pos = m_bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    m_headEnd = pos;
    // Every tag is two lines: counting them first sizes the tag list in one allocation.
    size_t lines = 1;
    for (const char *p = data + pos; (p = static_cast<const char *>(
                                          std::memchr(p, '\n', size_t(data + size - p))));
         ++p)
        ++lines;
    m_tags.reserve(lines / 2 + 1);
    int line = 1;
    auto fail = [&](const QString &why) {
        if (errorMessage)
            *errorMessage = QStringLiteral("line %1: %2").arg(line).arg(why);
        clear();
        return false;
    };
    auto lineEnd = [&](quint32 from) {
        const void *nl = std::memchr(data + from, '\n', size - from);
        return nl ? quint32(static_cast<const char *>(nl) - data) : size;
    };
    while (pos < size) {
        const quint32 codeEnd = lineEnd(pos);
        DxfTag tag;
        tag.begin = pos;
        int code = 0;
        if (!parseCode(data + pos, data + codeEnd, &code)) {
            const QByteArray text = QByteArray(data + pos, int(codeEnd - pos)).trimmed();
            if (text.isEmpty() && codeEnd >= size - 1)
                break; // a blank last line
            return fail(QStringLiteral("a group code was expected, found \"%1\"")
                            .arg(QString::fromLatin1(text.left(40))));
        }
        if (codeEnd >= size)
            return fail(QStringLiteral("the file ends after a group code, before its value"));
        if (codeEnd + 1 - pos > 255)
            return fail(QStringLiteral("the group-code line is too long"));
        tag.code = qint16(code);
        tag.codeLineLength = quint8(codeEnd + 1 - pos);
        const quint32 valueBegin = codeEnd + 1;
        const quint32 valueLineEnd = lineEnd(valueBegin);
        quint32 valueEnd = valueLineEnd;
        if (valueEnd > valueBegin && data[valueEnd - 1] == '\r')
            --valueEnd;
        tag.valueLength = valueEnd - valueBegin;
        const quint32 end = valueLineEnd < size ? valueLineEnd + 1 : size;
        tag.lineEndLength = quint8(end - valueEnd);
        m_tags.push_back(tag);
        pos = end;
        line += 2;
        if (code == 0 && valueIs(count() - 1, "EOF"))
            break;
    }
    m_tailBegin = pos;
    if (m_tags.empty())
        return fail(QStringLiteral("the file holds no DXF group codes"));
    detectLayout();
    return true;
}

void DxfFile::detectLayout()
{
    // The first structural tag shows the layout; a leading comment may be written apart.
    auto it = std::find_if(m_tags.cbegin(), m_tags.cend(),
                           [](const DxfTag &t) { return t.code == 0; });
    const DxfTag &first = it != m_tags.cend() ? *it : m_tags.front();
    const char *data = m_bytes.constData();
    quint32 codeEnd = first.valueBegin() - 1;
    if (codeEnd > first.begin && data[codeEnd - 1] == '\r') {
        m_lineEnd = "\r\n";
        --codeEnd;
    }
    m_codeWidth = (data[first.begin] == ' ') ? int(codeEnd - first.begin) : 0;
}

bool DxfFile::read(const QString &path, QString *errorMessage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorMessage)
            *errorMessage = file.errorString();
        clear();
        return false;
    }
    return parse(file.readAll(), errorMessage);
}

QByteArray DxfFile::toByteArray() const
{
    if (!m_modified)
        return m_bytes;
    QByteArray out;
    out.reserve(m_bytes.size() + m_added.size());
    out.append(m_bytes.constData(), int(m_headEnd));
    // Consecutive tags that still lie side by side in the file go out as one run of bytes.
    quint32 runBegin = 0;
    quint32 runEnd = 0;
    auto flush = [&]() {
        if (runEnd > runBegin)
            out.append(m_bytes.constData() + runBegin, int(runEnd - runBegin));
        runBegin = runEnd = 0;
    };
    for (const DxfTag &tag : m_tags) {
        if (tag.store == DxfTag::ReadStore) {
            if (runEnd == tag.begin && runEnd > runBegin) {
                runEnd = tag.end();
            } else {
                flush();
                runBegin = tag.begin;
                runEnd = tag.end();
            }
        } else {
            flush();
            out.append(m_added.constData() + tag.begin, int(tag.end() - tag.begin));
        }
    }
    flush();
    out.append(m_bytes.constData() + m_tailBegin, int(quint32(m_bytes.size()) - m_tailBegin));
    return out;
}

bool DxfFile::write(const QString &path, QString *errorMessage) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    }
    const QByteArray bytes = toByteArray();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (errorMessage)
            *errorMessage = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

const char *DxfFile::storeData(const DxfTag &tag) const
{
    return tag.store == DxfTag::ReadStore ? m_bytes.constData() : m_added.constData();
}

QByteArray DxfFile::bytesOf(const DxfTag &tag, quint32 from, quint32 to) const
{
    return QByteArray(storeData(tag) + from, int(to - from));
}

QByteArray DxfFile::value(int index) const
{
    const DxfTag &tag = m_tags.at(size_t(index));
    return bytesOf(tag, tag.valueBegin(), tag.valueEnd());
}

void DxfFile::trimmedRange(const DxfTag &tag, quint32 *begin, quint32 *end) const
{
    const char *data = storeData(tag);
    *begin = tag.valueBegin();
    *end = tag.valueEnd();
    while (*begin < *end && isBlank(data[*begin]))
        ++*begin;
    while (*end > *begin && isBlank(data[*end - 1]))
        --*end;
}

quint64 DxfFile::handleValue(int index) const
{
    const DxfTag &tag = m_tags.at(size_t(index));
    const char *data = storeData(tag);
    quint32 begin = 0;
    quint32 end = 0;
    trimmedRange(tag, &begin, &end);
    if (end == begin || end - begin > 16)
        return 0;
    quint64 handle = 0;
    for (quint32 i = begin; i < end; ++i) {
        const char c = data[i];
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return 0;
        handle = handle * 16 + quint64(digit);
    }
    return handle;
}

QByteArray DxfFile::trimmedValue(int index) const
{
    const DxfTag &tag = m_tags.at(size_t(index));
    const char *data = storeData(tag);
    quint32 begin = 0;
    quint32 end = 0;
    trimmedRange(tag, &begin, &end);
    return QByteArray(data + begin, int(end - begin));
}

bool DxfFile::valueIs(int index, const char *text) const
{
    const DxfTag &tag = m_tags.at(size_t(index));
    const char *data = storeData(tag);
    quint32 begin = 0;
    quint32 end = 0;
    trimmedRange(tag, &begin, &end);
    const size_t length = std::strlen(text);
    return length == end - begin && std::memcmp(data + begin, text, length) == 0;
}

QByteArray DxfFile::trimmedValueView(int index) const
{
    const DxfTag &tag = m_tags.at(size_t(index));
    quint32 begin = 0;
    quint32 end = 0;
    trimmedRange(tag, &begin, &end);
    return QByteArray::fromRawData(storeData(tag) + begin, int(end - begin));
}

bool DxfFile::valueStartsWith(int index, char c) const
{
    const DxfTag &tag = m_tags.at(size_t(index));
    return tag.valueLength > 0 && storeData(tag)[tag.valueBegin()] == c;
}

int DxfFile::lineNumber(int index) const
{
    const DxfTag &tag = m_tags.at(size_t(index));
    if (tag.store != DxfTag::ReadStore)
        return 0;
    return 1 + int(std::count(m_bytes.constBegin(), m_bytes.constBegin() + tag.begin, '\n'));
}

DxfTag DxfFile::addTag(int code, const QByteArray &codeLine, const QByteArray &value,
                      const QByteArray &lineEnd)
{
    DxfTag tag;
    tag.store = DxfTag::AddedStore;
    tag.code = qint16(code);
    tag.begin = quint32(m_added.size());
    tag.codeLineLength = quint8(codeLine.size());
    tag.valueLength = quint32(value.size());
    tag.lineEndLength = quint8(lineEnd.size());
    m_added.append(codeLine);
    m_added.append(value);
    m_added.append(lineEnd);
    return tag;
}

void DxfFile::setValue(int index, const QByteArray &value)
{
    const DxfTag tag = m_tags.at(size_t(index));
    // The code line and the line end stay as they were; only the value bytes change.
    const QByteArray codeLine = bytesOf(tag, tag.begin, tag.valueBegin());
    QByteArray valueLineEnd = bytesOf(tag, tag.valueEnd(), tag.end());
    if (valueLineEnd.isEmpty())
        valueLineEnd = m_lineEnd;
    m_tags[size_t(index)] = addTag(tag.code, codeLine, value, valueLineEnd);
    m_modified = true;
}

QByteArray DxfFile::formatCode(int code) const
{
    QByteArray text = QByteArray::number(code);
    if (text.size() < m_codeWidth)
        text.prepend(QByteArray(m_codeWidth - text.size(), ' '));
    return text;
}

void DxfFile::insert(int at, const QVector<NewTag> &tags)
{
    Q_ASSERT(at >= 0 && at <= count());
    if (tags.isEmpty() || at < 0 || at > count())
        return;
    // A last line written without a line end would run into the new tags.
    if (at > 0 && at == count() && m_tags.back().lineEndLength == 0)
        setValue(at - 1, value(at - 1));
    std::vector<DxfTag> added;
    added.reserve(size_t(tags.size()));
    for (const NewTag &newTag : tags)
        added.push_back(addTag(newTag.code, formatCode(newTag.code) + m_lineEnd, newTag.value,
                               m_lineEnd));
    m_tags.insert(m_tags.begin() + at, added.cbegin(), added.cend());
    m_modified = true;
}

void DxfFile::remove(int first, int count)
{
    Q_ASSERT(first >= 0 && count >= 0 && first + count <= this->count());
    if (count <= 0 || first < 0 || first + count > this->count())
        return;
    m_tags.erase(m_tags.begin() + first, m_tags.begin() + first + count);
    m_modified = true;
}
