#pragma once

#include "dxfdocument.h"
#include "tddbexport.h"

#include <QPointF>

// Collects the tags of new records for one drawing: strings in the drawing's encoding, reals in
// their shortest exact form, handles in upper-case hexadecimal. Lives for one edit.
class TD_DB_EXPORT DxfRecordBuilder
{
public:
    explicit DxfRecordBuilder(const DxfDocument &doc);

    DxfRecordBuilder &raw(int code, const QByteArray &value);
    DxfRecordBuilder &text(int code, const QString &value);
    DxfRecordBuilder &integer(int code, int value);
    DxfRecordBuilder &real(int code, double value);
    // A handle reference; a drawing without handles gets none written for 0.
    DxfRecordBuilder &handle(int code, quint64 value);
    // x at code, y at code + 10, z (0) at code + 20.
    DxfRecordBuilder &point(int code, const QPointF &p);
    // The start of a record: its type, its handle (when the drawing keeps handles) and, in
    // drawings that keep ownership, its owner.
    DxfRecordBuilder &begin(const char *type, quint64 handle, quint64 owner);
    // begin() for an object that others watch: its reactors are listed before its owner.
    DxfRecordBuilder &beginWatched(const char *type, quint64 handle, quint64 owner,
                                   std::initializer_list<quint64> reactors);
    // begin() plus the entity's common part on layer "0".
    DxfRecordBuilder &beginEntity(const char *type, quint64 handle, quint64 owner);

    const DxfDocument::TagList &tags() const { return m_tags; }

private:
    const DxfDocument &m_doc;
    DxfDocument::TagList m_tags;
};
