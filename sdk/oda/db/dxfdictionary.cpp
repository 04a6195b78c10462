#include "dxfdictionary.h"

#include "dxfrecordbuilder.h"
#include "dxfstructure.h"

namespace {

// An entry is a name (code 3) followed by its object's handle (350 soft, 360 hard owner).
bool isEntryHandleCode(int code)
{
    return code == 350 || code == 360;
}

} // namespace

DxfDictionary::DxfDictionary(DxfDocument &doc, quint64 handle)
    : m_doc(doc)
    , m_handle(handle)
{
}

int DxfDictionary::record() const
{
    const int r = m_handle ? m_doc.recordOfHandle(m_handle) : -1;
    return r >= 0 && m_doc.isType(r, "DICTIONARY") ? r : -1;
}

QVector<DxfDictionary::Entry> DxfDictionary::entries() const
{
    QVector<Entry> result;
    const int r = record();
    if (r < 0)
        return result;
    const DxfFile &file = m_doc.file();
    const int end = m_doc.endTag(r);
    for (int t = m_doc.firstTag(r); t + 1 < end; ++t) {
        if (file.code(t) == 3 && isEntryHandleCode(file.code(t + 1))) {
            result.append({m_doc.text().decode(file.value(t)), file.handleValue(t + 1)});
            ++t;
        }
    }
    return result;
}

quint64 DxfDictionary::lookup(const QString &name) const
{
    for (const Entry &entry : entries()) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return entry.handle;
    }
    return 0;
}

DxfDictionary DxfDictionary::child(const QString &name)
{
    const quint64 existing = lookup(name);
    if (existing || record() < 0)
        return DxfDictionary(m_doc, existing);
    DxfDocument::Edit edit(m_doc);
    const quint64 handle = m_doc.newHandle();
    DxfRecordBuilder tags(m_doc);
    tags.begin("DICTIONARY", handle, m_handle).raw(100, "AcDbDictionary").integer(281, 1);
    DxfStructure(m_doc).appendToSection("OBJECTS", tags.tags());
    addEntry(name, handle);
    return DxfDictionary(m_doc, edit.commit() ? handle : 0);
}

int DxfDictionary::entriesEndTag(int r) const
{
    // The entries belong to the dictionary's own part of the record. Extended data (codes 1000
    // and up) must stay last, and a further subclass (a dictionary with a default) keeps its
    // place after the entries, so a new entry goes after the last one, or where that part ends.
    const DxfFile &file = m_doc.file();
    const int end = m_doc.endTag(r);
    int afterLastEntry = -1;
    for (int t = m_doc.firstTag(r) + 1; t < end; ++t) {
        const int code = file.code(t);
        if (code >= 1000 || (code == 100 && !file.valueIs(t, "AcDbDictionary")))
            return afterLastEntry >= 0 ? afterLastEntry : t;
        if (code == 3 && t + 1 < end && isEntryHandleCode(file.code(t + 1))) {
            ++t;
            afterLastEntry = t + 1;
        }
    }
    return afterLastEntry >= 0 ? afterLastEntry : end;
}

bool DxfDictionary::addEntry(const QString &name, quint64 handle)
{
    const int r = record();
    if (r < 0)
        return false;
    DxfRecordBuilder tags(m_doc);
    tags.text(3, name).handle(350, handle);
    return m_doc.insertTags(entriesEndTag(r), tags.tags());
}

bool DxfDictionary::removeEntry(quint64 handle)
{
    const int r = record();
    if (r < 0)
        return false;
    const DxfFile &file = m_doc.file();
    const int end = m_doc.endTag(r);
    for (int t = m_doc.firstTag(r); t + 1 < end; ++t) {
        if (file.code(t) == 3 && isEntryHandleCode(file.code(t + 1))
            && file.handleValue(t + 1) == handle)
            return m_doc.removeTags(t, 2);
    }
    return true;
}

QString DxfDictionary::uniqueName(const QString &base) const
{
    QString name = base;
    for (int i = 1; lookup(name); ++i)
        name = base + QString::number(i);
    return name;
}
