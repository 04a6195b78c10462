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
    m_tags.reserve(int(size / 16));
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
        tag.code = qint16(code);
        tag.valueBegin = codeEnd + 1;
        const quint32 valueLineEnd = lineEnd(tag.valueBegin);
        tag.valueEnd = valueLineEnd;
        if (tag.valueEnd > tag.valueBegin && data[tag.valueEnd - 1] == '\r')
            --tag.valueEnd;
        tag.end = valueLineEnd < size ? valueLineEnd + 1 : size;
        m_tags.append(tag);
        pos = tag.end;
        line += 2;
        if (code == 0 && trimmedValue(m_tags.size() - 1) == "EOF")
            break;
    }
    m_tailBegin = pos;
    if (m_tags.isEmpty())
        return fail(QStringLiteral("the file holds no DXF group codes"));
    detectLayout();
    return true;
}

void DxfFile::detectLayout()
{
    // The first structural tag shows the layout; a leading comment may be written apart.
    auto it = std::find_if(m_tags.cbegin(), m_tags.cend(),
                           [](const DxfTag &t) { return t.code == 0; });
    const DxfTag &first = it != m_tags.cend() ? *it : m_tags.first();
    const char *data = m_bytes.constData();
    quint32 codeEnd = first.valueBegin - 1;
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
                runEnd = tag.end;
            } else {
                flush();
                runBegin = tag.begin;
                runEnd = tag.end;
            }
        } else {
            flush();
            out.append(m_added.constData() + tag.begin, int(tag.end - tag.begin));
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
    const DxfTag &tag = m_tags.at(index);
    return bytesOf(tag, tag.valueBegin, tag.valueEnd);
}

void DxfFile::trimmedRange(const DxfTag &tag, quint32 *begin, quint32 *end) const
{
    const char *data = storeData(tag);
    *begin = tag.valueBegin;
    *end = tag.valueEnd;
    while (*begin < *end && isBlank(data[*begin]))
        ++*begin;
    while (*end > *begin && isBlank(data[*end - 1]))
        --*end;
}

quint64 DxfFile::handleValue(int index) const
{
    const DxfTag &tag = m_tags.at(index);
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
    const DxfTag &tag = m_tags.at(index);
    const char *data = storeData(tag);
    quint32 begin = 0;
    quint32 end = 0;
    trimmedRange(tag, &begin, &end);
    return QByteArray(data + begin, int(end - begin));
}

bool DxfFile::valueIs(int index, const char *text) const
{
    const DxfTag &tag = m_tags.at(index);
    const char *data = storeData(tag);
    quint32 begin = 0;
    quint32 end = 0;
    trimmedRange(tag, &begin, &end);
    const size_t length = std::strlen(text);
    return length == end - begin && std::memcmp(data + begin, text, length) == 0;
}

int DxfFile::lineNumber(int index) const
{
    const DxfTag &tag = m_tags.at(index);
    if (tag.store != DxfTag::ReadStore)
        return 0;
    return 1 + int(std::count(m_bytes.constBegin(), m_bytes.constBegin() + tag.begin, '\n'));
}

void DxfFile::setValue(int index, const QByteArray &value)
{
    DxfTag &tag = m_tags[index];
    // The code line and the line end stay as they were; only the value bytes change.
    const QByteArray codeLine = bytesOf(tag, tag.begin, tag.valueBegin);
    QByteArray valueLineEnd = bytesOf(tag, tag.valueEnd, tag.end);
    if (valueLineEnd.isEmpty())
        valueLineEnd = m_lineEnd;
    DxfTag edited = tag;
    edited.store = DxfTag::AddedStore;
    edited.begin = quint32(m_added.size());
    m_added.append(codeLine);
    edited.valueBegin = quint32(m_added.size());
    m_added.append(value);
    edited.valueEnd = quint32(m_added.size());
    m_added.append(valueLineEnd);
    edited.end = quint32(m_added.size());
    tag = edited;
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
    Q_ASSERT(at >= 0 && at <= m_tags.size());
    if (tags.isEmpty() || at < 0 || at > m_tags.size())
        return;
    // A last line written without a line end would run into the new tags.
    if (at > 0 && at == m_tags.size()) {
        const DxfTag &last = m_tags.last();
        if (last.end == last.valueEnd)
            setValue(at - 1, value(at - 1));
    }
    QVector<DxfTag> added;
    added.reserve(tags.size());
    for (const NewTag &newTag : tags) {
        DxfTag tag;
        tag.store = DxfTag::AddedStore;
        tag.code = qint16(newTag.code);
        tag.begin = quint32(m_added.size());
        m_added.append(formatCode(newTag.code));
        m_added.append(m_lineEnd);
        tag.valueBegin = quint32(m_added.size());
        m_added.append(newTag.value);
        tag.valueEnd = quint32(m_added.size());
        m_added.append(m_lineEnd);
        tag.end = quint32(m_added.size());
        added.append(tag);
    }
    m_tags.insert(at, added.size(), DxfTag());
    std::copy(added.cbegin(), added.cend(), m_tags.begin() + at);
    m_modified = true;
}

void DxfFile::remove(int first, int count)
{
    Q_ASSERT(first >= 0 && count >= 0 && first + count <= m_tags.size());
    if (count <= 0 || first < 0 || first + count > m_tags.size())
        return;
    m_tags.remove(first, count);
    m_modified = true;
}
