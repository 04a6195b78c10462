#pragma once

#include <QtGlobal>

// One group-code/value pair of a DXF file, as a window onto the bytes that hold it: the code
// line (with its line end) starts at begin, the value follows it, then the value's line end.
// Bytes live in one of two stores of the owning DxfFile: the file as read, or the bytes added
// by edits. Kept to 12 bytes, since a large drawing has millions of them.
struct DxfTag
{
    enum Store : quint8 { ReadStore, AddedStore };

    quint32 begin = 0;
    quint32 valueLength = 0;
    qint16 code = 0;
    quint8 codeLineLength = 0; // the group-code line with its line end
    quint8 lineEndLength : 2;  // after the value: 0 (end of file), 1 ("\n") or 2 ("\r\n")
    quint8 store : 1;

    DxfTag()
        : lineEndLength(0)
        , store(ReadStore)
    {
    }
    quint32 valueBegin() const { return begin + codeLineLength; }
    quint32 valueEnd() const { return valueBegin() + valueLength; }
    quint32 end() const { return valueEnd() + lineEndLength; }
};
Q_DECLARE_TYPEINFO(DxfTag, Q_PRIMITIVE_TYPE);
