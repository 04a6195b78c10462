#pragma once

#include <QByteArray>

// Drawings of many text entities over layers, as DXF text, for tests of large files: the same
// entities and seed make the same bytes, another seed other bytes throughout.
inline QByteArray generatedDrawing(int entities, quint32 seed)
{
    QByteArray text = "0\nSECTION\n2\nENTITIES\n";
    quint32 state = seed;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int i = 0; i < entities; ++i) {
        text += "0\nTEXT\n5\n" + QByteArray::number(0x100 + i, 16).toUpper() + "\n8\nLAYER-"
            + QByteArray::number(next() % 40) + "\n10\n" + QByteArray::number(next() % 100000)
            + "." + QByteArray::number(next() % 1000) + "\n20\n"
            + QByteArray::number(next() % 100000) + "\n40\n2.5\n1\nNOTE " + QByteArray::number(i)
            + " ROOM " + QByteArray::number(next() % 500) + "\n";
    }
    return text + "0\nENDSEC\n0\nEOF\n";
}

// The drawing with the text of one entity begun anew: "NOTE 12 " becomes newText + " ".
inline QByteArray withEntityText(QByteArray drawing, int entity, const QByteArray &newText)
{
    const QByteArray old = "1\nNOTE " + QByteArray::number(entity) + " ";
    const int at = drawing.indexOf(old);
    return at < 0 ? QByteArray() : drawing.replace(at, old.size(), "1\n" + newText + " ");
}
