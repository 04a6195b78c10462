#pragma once

#include "dxftag.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The line level of DXF text: group-code lines, values, line ends, and what a file that is no
// DXF text is. Pure functions over bytes; used by DxfFile.
class DxfLexer
{
public:
    // What a file that cannot be DXF text is, from its first bytes; empty when it may be one.
    static QString foreignFormat(const QByteArray &bytes);
    // A group-code line: blanks, an optional minus sign, digits, blanks; false when it is not.
    static inline bool parseCode(const char *begin, const char *end, int *code);

    // A hexadecimal handle with blanks around it; 0 when it is none.
    static inline quint64 parseHandle(const char *begin, const char *end);
    static void trim(const char *data, quint32 *begin, quint32 *end);
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

    // The tag whose code line runs from pos to its line end codeEnd and whose value line ends
    // at valueLineEnd (size when the data ends without a line end): its code (parsed by the
    // caller) is set, the rest is measured. Returns the position after the tag.
    static inline quint32 measure(const char *data, quint32 size, quint32 pos, quint32 codeEnd,
                                  quint32 valueLineEnd, DxfTag *tag);
    // The tags of a range that was checked when it was read.
    static void tags(const char *data, quint32 begin, quint32 end, std::vector<DxfTag> *out);
};

// Reading a drawing is mostly parsing group codes, handles and measuring tags, millions of them
// in a large file: these run inline in the reading loops.

// The value of each byte as a hexadecimal digit, 16 for any other byte: every record's handle
// is read, and a table spares the branches that mixed digits and letters defeat.
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
inline constexpr HexDigits kHexDigits;

inline bool DxfLexer::parseCode(const char *begin, const char *end, int *code)
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

inline quint32 DxfLexer::measure(const char *data, quint32 size, quint32 pos, quint32 codeEnd,
                                 quint32 valueLineEnd, DxfTag *tag)
{
    tag->begin = pos;
    tag->codeLineLength = quint8(codeEnd + 1 - pos);
    const quint32 valueBegin = codeEnd + 1;
    // Before an empty value lies the code line's '\n': no byte in front of the value is taken.
    const quint32 valueEnd = valueLineEnd - quint32(data[valueLineEnd - 1] == '\r');
    tag->valueLength = valueEnd - valueBegin;
    const quint32 end = valueLineEnd < size ? valueLineEnd + 1 : size;
    tag->lineEndLength = quint8(end - valueEnd);
    return end;
}

inline quint64 DxfLexer::parseHandle(const char *begin, const char *end)
{
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    if (end == begin || end - begin > 16)
        return 0;
    // Checked once at the end: one branch per handle instead of one per digit.
    quint64 handle = 0;
    quint8 invalid = 0;
    for (const char *p = begin; p < end; ++p) {
        const quint8 digit = kHexDigits.value[quint8(*p)];
        invalid |= digit;
        handle = handle << 4 | (digit & 15);
    }
    return invalid & 16 ? 0 : handle;
}
