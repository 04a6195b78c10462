#pragma once

#include <QtGlobal>

// One group-code/value pair of a DXF file, as a window onto the bytes that hold it: the code
// line starts at begin, the value runs from valueBegin to valueEnd (line end excluded) and the
// pair's last line end stops before end. Bytes live in one of two stores of the owning DxfFile:
// the file as read, or the bytes added by edits.
struct DxfTag
{
    enum Store : quint8 { ReadStore, AddedStore };

    quint32 begin = 0;
    quint32 valueBegin = 0;
    quint32 valueEnd = 0;
    quint32 end = 0;
    qint16 code = 0;
    Store store = ReadStore;
};
