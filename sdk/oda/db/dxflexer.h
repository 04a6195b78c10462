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
    static bool parseCode(const char *begin, const char *end, int *code);
    // A hexadecimal handle with blanks around it; 0 when it is none.
    static quint64 parseHandle(const char *begin, const char *end);
    static void trim(const char *data, quint32 *begin, quint32 *end);

    // The tag whose code line starts at pos in data[0, size): its code (parsed by the caller)
    // is set, the rest is measured. Returns the position after the tag.
    static quint32 measure(const char *data, quint32 size, quint32 pos, quint32 codeEnd,
                           DxfTag *tag);
    // The tags of a range that was checked when it was read.
    static void tags(const char *data, quint32 begin, quint32 end, std::vector<DxfTag> *out);
};
