#include "dxflexer.h"

#include "dxflinescanner.h"

#include <algorithm>
#include <cstring>

namespace {

const char kBinaryDxfSentinel[] = "AutoCAD Binary DXF";
const int kSniffLength = 4096;

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
        quint32 codeEnd = 0;
        quint32 valueLineEnd = 0;
        lines.nextTwo(&codeEnd, &valueLineEnd);
        DxfTag tag;
        int code = 0;
        parseCode(data + pos, data + codeEnd, &code);
        tag.code = qint16(code);
        pos = measure(data, end, pos, codeEnd, valueLineEnd, &tag);
        out->push_back(tag);
    }
}
