#include "dxflexer.h"

#include "dxflinescanner.h"

#include <algorithm>
#include <cstring>

namespace {

const char kBinaryDxfSentinel[] = "AutoCAD Binary DXF";
const int kSniffLength = 4096;

// The value of each byte as a hexadecimal digit, 16 for any other byte: every record's handle
// and owner are read, and a table spares the branches that mixed digits and letters defeat.
struct HexDigits
{
    quint8 value[256];

    constexpr HexDigits()
        : value()
    {
        for (int c = 0; c < 256; ++c) {
            value[c] = c >= '0' && c <= '9'   ? quint8(c - '0')
                       : c >= 'A' && c <= 'F' ? quint8(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? quint8(c - 'a' + 10)
                                              : 16;
        }
    }
};
constexpr HexDigits kHexDigits;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

QString DxfLexer::foreignFormat(const QByteArray &bytes)
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

quint64 DxfLexer::parseHandle(const char *begin, const char *end)
{
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    if (end == begin || end - begin > 16)
        return 0;
    quint64 handle = 0;
    for (const char *p = begin; p < end; ++p) {
        const quint8 digit = kHexDigits.value[quint8(*p)];
        if (digit > 15)
            return 0;
        handle = handle << 4 | digit;
    }
    return handle;
}

void DxfLexer::trim(const char *data, quint32 *begin, quint32 *end)
{
    while (*begin < *end && isBlank(data[*begin]))
        ++*begin;
    while (*end > *begin && isBlank(data[*end - 1]))
        --*end;
}

void DxfLexer::tags(const char *data, quint32 begin, quint32 end, std::vector<DxfTag> *out)
{
    DxfLineScanner lines(data, end, begin);
    quint32 pos = begin;
    while (pos < end) {
        const quint32 codeEnd = lines.next();
        DxfTag tag;
        int code = 0;
        parseCode(data + pos, data + codeEnd, &code);
        tag.code = qint16(code);
        pos = measure(data, end, pos, codeEnd, codeEnd < end ? lines.next() : end, &tag);
        out->push_back(tag);
    }
}
