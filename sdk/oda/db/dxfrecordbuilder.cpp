#include "dxfrecordbuilder.h"

DxfRecordBuilder::DxfRecordBuilder(const DxfDocument &doc)
    : m_doc(doc)
{
}

DxfRecordBuilder &DxfRecordBuilder::raw(int code, const QByteArray &value)
{
    m_tags.append({code, value});
    return *this;
}

DxfRecordBuilder &DxfRecordBuilder::text(int code, const QString &value)
{
    return raw(code, m_doc.text().encode(value));
}

DxfRecordBuilder &DxfRecordBuilder::integer(int code, int value)
{
    return raw(code, QByteArray::number(value));
}

DxfRecordBuilder &DxfRecordBuilder::real(int code, double value)
{
    return raw(code, DxfDocument::formatReal(value));
}

DxfRecordBuilder &DxfRecordBuilder::handle(int code, quint64 value)
{
    return raw(code, DxfDocument::formatHandle(value));
}

DxfRecordBuilder &DxfRecordBuilder::point(int code, const QPointF &p)
{
    real(code, p.x());
    real(code + 10, p.y());
    return real(code + 20, 0.0);
}

DxfRecordBuilder &DxfRecordBuilder::begin(const char *type, quint64 handle, quint64 owner)
{
    raw(0, type);
    if (handle)
        this->handle(5, handle);
    if (m_doc.hasOwnership())
        this->handle(330, owner);
    return *this;
}

DxfRecordBuilder &DxfRecordBuilder::beginWatched(const char *type, quint64 handle,
                                                 quint64 owner,
                                                 std::initializer_list<quint64> reactors)
{
    raw(0, type).handle(5, handle).raw(102, "{ACAD_REACTORS");
    for (quint64 reactor : reactors)
        this->handle(330, reactor);
    return raw(102, "}").handle(330, owner);
}

DxfRecordBuilder &DxfRecordBuilder::beginEntity(const char *type, quint64 handle, quint64 owner)
{
    begin(type, handle, owner);
    if (m_doc.hasOwnership())
        raw(100, "AcDbEntity");
    return raw(8, "0");
}
