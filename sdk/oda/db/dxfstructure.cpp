#include "dxfstructure.h"

#include "dxfrecordbuilder.h"

namespace {

// Sections in the order a drawing holds them.
const char *const kSectionOrder[] = {"HEADER",   "CLASSES", "TABLES",        "BLOCKS",
                                     "ENTITIES", "OBJECTS", "THUMBNAILIMAGE"};

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

DxfStructure::DxfStructure(DxfDocument &doc)
    : m_doc(doc)
{
}

int DxfStructure::table(const char *name) const
{
    const DxfDocument::Section *tables = m_doc.section("TABLES");
    if (!tables)
        return -1;
    for (int r = tables->sectionRecord + 1; r < tables->endRecord; ++r) {
        if (m_doc.isType(r, "TABLE") && m_doc.file().trimmedValue(m_doc.firstTag(r) + 1) == name)
            return r;
    }
    return -1;
}

int DxfStructure::tableEntry(const char *tableName, const QString &name) const
{
    const int tableRecord = table(tableName);
    if (tableRecord < 0)
        return -1;
    for (int r = tableRecord + 1; r < m_doc.recordCount() && !m_doc.isType(r, "ENDTAB"); ++r) {
        if (m_doc.isType(r, tableName) && sameName(m_doc.string(r, 2), name))
            return r;
    }
    return -1;
}

bool DxfStructure::appendTableEntry(const char *tableName, const DxfDocument::TagList &tags)
{
    const int tableRecord = table(tableName);
    if (tableRecord < 0)
        return false;
    int end = tableRecord + 1;
    while (end < m_doc.recordCount() && !m_doc.isType(end, "ENDTAB"))
        ++end;
    if (end >= m_doc.recordCount())
        return false;
    DxfDocument::Edit edit(m_doc);
    const int countTag = m_doc.findTag(tableRecord, 70);
    if (countTag >= 0) {
        const int count = m_doc.file().trimmedValue(countTag).toInt();
        m_doc.setTagValue(countTag, QByteArray::number(count + 1));
    }
    m_doc.insertTags(m_doc.firstTag(end), tags);
    return edit.commit();
}

int DxfStructure::blockBegin(const QString &name) const
{
    const DxfDocument::Section *blocks = m_doc.section("BLOCKS");
    if (!blocks)
        return -1;
    for (int r = blocks->sectionRecord + 1; r < blocks->endRecord; ++r) {
        if (m_doc.isType(r, "BLOCK") && sameName(m_doc.string(r, 2), name))
            return r;
    }
    return -1;
}

int DxfStructure::blockEnd(int blockBeginRecord) const
{
    for (int r = blockBeginRecord + 1; r < m_doc.recordCount(); ++r) {
        if (m_doc.isType(r, "ENDBLK"))
            return r;
        if (m_doc.isType(r, "BLOCK") || m_doc.isType(r, "ENDSEC"))
            return -1;
    }
    return -1;
}

quint64 DxfStructure::modelSpace() const
{
    const int record = tableEntry("BLOCK_RECORD", QStringLiteral("*Model_Space"));
    return record >= 0 ? m_doc.handle(record) : 0;
}

int DxfStructure::namedObjectsDictionary() const
{
    const DxfDocument::Section *objects = m_doc.section("OBJECTS");
    if (!objects || objects->sectionRecord + 1 >= objects->endRecord)
        return -1;
    const int first = objects->sectionRecord + 1;
    return m_doc.isType(first, "DICTIONARY") ? first : -1;
}

int DxfStructure::sectionEndTag(const char *section)
{
    if (const DxfDocument::Section *existing = m_doc.section(section))
        return m_doc.firstTag(existing->endRecord);
    // A new section goes before the first section that follows it in the usual order.
    bool after = false;
    int at = -1;
    for (const char *name : kSectionOrder) {
        if (qstrcmp(name, section) == 0) {
            after = true;
        } else if (after) {
            if (const DxfDocument::Section *next = m_doc.section(name)) {
                at = m_doc.firstTag(next->sectionRecord);
                break;
            }
        }
    }
    if (at < 0) {
        for (int r = m_doc.recordCount() - 1; r >= 0 && at < 0; --r) {
            if (m_doc.isType(r, "EOF"))
                at = m_doc.firstTag(r);
        }
    }
    if (at < 0 || !m_doc.insertTags(at, {{0, "SECTION"}, {2, section}, {0, "ENDSEC"}}))
        return -1;
    return at + 2;
}

bool DxfStructure::appendToSection(const char *section, const DxfDocument::TagList &tags)
{
    DxfDocument::Edit edit(m_doc);
    const int at = sectionEndTag(section);
    if (at < 0 || !m_doc.insertTags(at, tags))
        return false;
    return edit.commit();
}

bool DxfStructure::ensureClass(const ObjectClass &objectClass)
{
    if (const DxfDocument::Section *classes = m_doc.section("CLASSES")) {
        for (int r = classes->sectionRecord + 1; r < classes->endRecord; ++r) {
            if (m_doc.isType(r, "CLASS")
                && m_doc.string(r, 1).trimmed() == QLatin1String(objectClass.dxfName))
                return true;
        }
    }
    DxfRecordBuilder tags(m_doc);
    tags.raw(0, "CLASS")
        .raw(1, objectClass.dxfName)
        .raw(2, objectClass.className)
        .raw(3, objectClass.application)
        .integer(90, objectClass.proxyFlags);
    // Instance counts came with release 2004.
    if (m_doc.version() >= "AC1018")
        tags.integer(91, 0);
    tags.integer(280, 0).integer(281, objectClass.isEntity ? 1 : 0);
    return appendToSection("CLASSES", tags.tags());
}
