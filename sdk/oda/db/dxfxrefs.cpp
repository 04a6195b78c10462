#include "dxfxrefs.h"

#include "dxfrecordbuilder.h"
#include "dxfstructure.h"

#include <QHash>

namespace {

// BLOCK flags (code 70).
const int kExternalReference = 4;
const int kOverlay = 8;

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A name as a hash key under which every spelling sameName accepts is found.
QString nameKey(const QString &name)
{
    return name.toCaseFolded();
}

} // namespace

DxfXrefs::DxfXrefs(DxfDocument &doc)
    : m_doc(doc)
{
}

bool DxfXrefs::isValidName(const QString &name)
{
    static const QString forbidden = QStringLiteral("<>/\\\":;?*|,=`");
    if (name.trimmed().isEmpty() || name.size() > 255 || name.startsWith(QLatin1Char('*')))
        return false;
    for (const QChar c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            return false;
    }
    return true;
}

QVector<DxfXrefs::Xref> DxfXrefs::list() const
{
    QVector<Xref> result;
    const DxfDocument::Section *blocks = m_doc.section("BLOCKS");
    if (!blocks)
        return result;
    for (int r = blocks->sectionRecord + 1; r < blocks->endRecord; ++r) {
        if (!m_doc.isType(r, "BLOCK"))
            continue;
        const int flags = m_doc.integer(r, 70);
        if (!(flags & kExternalReference))
            continue;
        Xref xref;
        xref.name = m_doc.string(r, 2);
        xref.path = m_doc.string(r, 1);
        xref.block = m_doc.handle(r);
        xref.overlay = flags & kOverlay;
        result.append(xref);
    }
    if (result.isEmpty())
        return result;
    // Block records and inserts are looked up by name in one walk each, not one per reference,
    // so that a drawing with hundreds of references lists them quickly.
    QHash<QString, quint64> blockRecords;
    const int table = DxfStructure(m_doc).table("BLOCK_RECORD");
    for (int r = table + 1; table >= 0 && r < m_doc.recordCount() && !m_doc.isType(r, "ENDTAB");
         ++r) {
        if (!m_doc.isType(r, "BLOCK_RECORD"))
            continue;
        // The first entry of a name counts, as a look-up by name finds it.
        const QString key = nameKey(m_doc.string(r, 2));
        if (!blockRecords.contains(key))
            blockRecords.insert(key, m_doc.handle(r));
    }
    QHash<QString, int> insertCounts;
    for (int r = 0; r < m_doc.recordCount(); ++r) {
        if (m_doc.isType(r, "INSERT"))
            ++insertCounts[nameKey(m_doc.string(r, 2))];
    }
    for (Xref &xref : result) {
        xref.blockRecord = blockRecords.value(nameKey(xref.name));
        xref.insertCount = insertCounts.value(nameKey(xref.name));
    }
    return result;
}

bool DxfXrefs::find(const QString &name, Xref *xref) const
{
    for (const Xref &candidate : list()) {
        if (sameName(candidate.name, name)) {
            if (xref)
                *xref = candidate;
            return true;
        }
    }
    return false;
}

QVector<int> DxfXrefs::insertsOf(const QString &name) const
{
    QVector<int> result;
    for (int r = 0; r < m_doc.recordCount(); ++r) {
        if (m_doc.isType(r, "INSERT") && sameName(m_doc.string(r, 2), name))
            result.append(r);
    }
    return result;
}

bool DxfXrefs::attach(const QString &path, const QString &name, const QPointF &insertion,
                      QString *errorMessage)
{
    auto fail = [errorMessage](const QString &why) {
        if (errorMessage)
            *errorMessage = why;
        return false;
    };
    if (!isValidName(name))
        return fail(QStringLiteral("\"%1\" is no valid block name").arg(name));
    DxfStructure structure(m_doc);
    if (structure.blockBegin(name) >= 0)
        return fail(QStringLiteral("the drawing already has a block named \"%1\"").arg(name));
    if (!m_doc.section("BLOCKS") || !m_doc.section("ENTITIES"))
        return fail(QStringLiteral("the drawing has no block or entity section"));
    const quint64 modelSpace = structure.modelSpace();
    if (m_doc.hasOwnership() && !modelSpace)
        return fail(QStringLiteral("the drawing has no model space block record"));

    DxfDocument::Edit edit(m_doc);
    quint64 record = 0;
    if (m_doc.hasOwnership()) {
        const int table = structure.table("BLOCK_RECORD");
        if (table < 0)
            return fail(QStringLiteral("the drawing has no block record table"));
        record = m_doc.newHandle();
        DxfRecordBuilder tags(m_doc);
        tags.begin("BLOCK_RECORD", record, m_doc.handle(table))
            .raw(100, "AcDbSymbolTableRecord")
            .raw(100, "AcDbBlockTableRecord")
            .text(2, name);
        // The layout pointer came with release 2000; insert units, explodability and
        // scalability came with release 2007.
        if (m_doc.version() >= "AC1015")
            tags.handle(340, 0);
        if (m_doc.version() >= "AC1021")
            tags.integer(70, 0).integer(280, 1).integer(281, 0);
        if (!structure.appendTableEntry("BLOCK_RECORD", tags.tags()))
            return fail(QStringLiteral("the drawing's block record table has no end"));
    }
    DxfRecordBuilder block(m_doc);
    block.beginEntity("BLOCK", m_doc.newHandle(), record);
    if (m_doc.hasOwnership())
        block.raw(100, "AcDbBlockBegin");
    block.text(2, name)
        .integer(70, kExternalReference)
        .point(10, QPointF())
        .text(3, name)
        .text(1, path);
    block.beginEntity("ENDBLK", m_doc.newHandle(), record);
    if (m_doc.hasOwnership())
        block.raw(100, "AcDbBlockEnd");
    structure.appendToSection("BLOCKS", block.tags());

    DxfRecordBuilder insert(m_doc);
    insert.beginEntity("INSERT", m_doc.newHandle(), modelSpace);
    if (m_doc.hasOwnership())
        insert.raw(100, "AcDbBlockReference");
    insert.text(2, name).point(10, insertion);
    structure.appendToSection("ENTITIES", insert.tags());
    return edit.commit(errorMessage);
}

bool DxfXrefs::detach(const QString &name, QString *errorMessage)
{
    Xref xref;
    if (!find(name, &xref)) {
        if (errorMessage)
            *errorMessage = QStringLiteral("the drawing has no external reference \"%1\"")
                                .arg(name);
        return false;
    }
    DxfStructure structure(m_doc);
    DxfDocument::Edit edit(m_doc);
    QVector<int> records = insertsOf(xref.name);
    const int begin = structure.blockBegin(xref.name);
    const int end = begin >= 0 ? structure.blockEnd(begin) : -1;
    for (int r = begin; r >= 0 && r <= qMax(begin, end); ++r)
        records.append(r);
    const int record = structure.tableEntry("BLOCK_RECORD", xref.name);
    if (record >= 0) {
        records.append(record);
        const int countTag = m_doc.findTag(structure.table("BLOCK_RECORD"), 70);
        if (countTag >= 0) {
            const int count = m_doc.file().trimmedValue(countTag).toInt();
            m_doc.setTagValue(countTag, QByteArray::number(qMax(0, count - 1)));
        }
    }
    m_doc.removeRecordList(records);
    return edit.commit(errorMessage);
}

bool DxfXrefs::setPath(const QString &name, const QString &path)
{
    const int begin = DxfStructure(m_doc).blockBegin(name);
    if (begin < 0 || !(m_doc.integer(begin, 70) & kExternalReference))
        return false;
    return m_doc.setString(begin, 1, path);
}

bool DxfXrefs::rename(const QString &name, const QString &newName, QString *errorMessage)
{
    auto fail = [errorMessage](const QString &why) {
        if (errorMessage)
            *errorMessage = why;
        return false;
    };
    DxfStructure structure(m_doc);
    const int begin = structure.blockBegin(name);
    if (begin < 0)
        return fail(QStringLiteral("the drawing has no block \"%1\"").arg(name));
    if (!isValidName(newName))
        return fail(QStringLiteral("\"%1\" is no valid block name").arg(newName));
    if (!sameName(name, newName) && structure.blockBegin(newName) >= 0)
        return fail(QStringLiteral("the drawing already has a block named \"%1\"").arg(newName));
    // Setting values keeps record numbers, so the records found first stay valid.
    const QVector<int> inserts = insertsOf(name);
    const int record = structure.tableEntry("BLOCK_RECORD", name);
    DxfDocument::Edit edit(m_doc);
    m_doc.setString(begin, 2, newName);
    m_doc.setString(begin, 3, newName);
    if (record >= 0)
        m_doc.setString(record, 2, newName);
    for (int insert : inserts)
        m_doc.setString(insert, 2, newName);
    return edit.commit(errorMessage);
}
