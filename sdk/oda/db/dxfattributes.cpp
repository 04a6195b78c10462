#include "dxfattributes.h"

namespace {

// The blocks that hold the entities of the model space and of the paper-space layouts; layouts
// after the first are "*Paper_Space0", "*Paper_Space1" and on.
const QString kModelSpace = QStringLiteral("*Model_Space");
const QString kPaperSpace = QStringLiteral("*Paper_Space");

// Codes of an ATTRIB: tag, value, the value's leading pieces when it is long, and the marker
// after which an attribute of several lines carries its paragraph text.
const int kTagCode = 2;
const int kValueCode = 1;
const int kValuePieceCode = 3;
const int kEmbeddedObjectCode = 101;
// Application groups ("{ACAD_REACTORS" ... "}") may hold any code.
const int kApplicationGroupCode = 102;

bool isLayoutBlock(const QString &name)
{
    return name.compare(kModelSpace, Qt::CaseInsensitive) == 0
        || name.startsWith(kPaperSpace, Qt::CaseInsensitive);
}

} // namespace

DxfAttributes::DxfAttributes(const DxfDocument &doc)
    : m_doc(doc)
{
}

QVector<DxfAttributes::Attribute> DxfAttributes::list() const
{
    QVector<Attribute> result;
    const QHash<QString, QString> layouts = layoutNames();
    for (const char *name : {"BLOCKS", "ENTITIES"}) {
        const DxfDocument::Section *section = m_doc.section(name);
        if (!section)
            continue;
        const bool inBlocks = qstrcmp(name, "BLOCKS") == 0;
        QString definedBlock; // in the BLOCKS section: the block whose definition is read
        for (int r = section->sectionRecord + 1; r < section->endRecord;) {
            if (m_doc.isType(r, "BLOCK"))
                definedBlock = m_doc.string(r, 2);
            else if (m_doc.isType(r, "ENDBLK"))
                definedBlock.clear();
            // The block that holds a reference's entity: the one defined around it, or the
            // model or paper space.
            const QString space = !m_doc.isType(r, "INSERT") ? QString()
                : inBlocks                                  ? definedBlock
                : m_doc.integer(r, 67) == 1                 ? kPaperSpace
                                                            : kModelSpace;
            if (!isLayoutBlock(space)) {
                ++r;
                continue;
            }
            Attribute placement;
            placement.layout = layouts.value(space.toCaseFolded());
            placement.paperSpace = space.startsWith(kPaperSpace, Qt::CaseInsensitive);
            r = readInsert(r, placement, &result);
        }
    }
    return result;
}

int DxfAttributes::readInsert(int record, const Attribute &placement,
                              QVector<Attribute> *result) const
{
    int next = record + 1;
    if (m_doc.integer(record, 66) != 1)
        return next;
    Attribute attribute = placement;
    attribute.block = m_doc.string(record, 2);
    attribute.insert = m_doc.handle(record);
    for (; next < m_doc.recordCount() && m_doc.isType(next, "ATTRIB"); ++next) {
        readAttribute(next, &attribute);
        result->append(attribute);
    }
    return next;
}

void DxfAttributes::readAttribute(int record, Attribute *attribute) const
{
    // The value as its pieces, in front of the embedded object and after it: an attribute of
    // several lines keeps its paragraph text there, and only its first line in front.
    QByteArray values[2];
    bool hasValue[2] = {false, false};
    int part = 0;
    bool inApplicationGroup = false;
    QByteArray tag;
    const DxfFile &file = m_doc.file();
    for (int t = m_doc.firstTag(record) + 1; t < m_doc.endTag(record); ++t) {
        const int code = file.code(t);
        if (code == kApplicationGroupCode) {
            inApplicationGroup = file.valueStartsWith(t, '{');
        } else if (inApplicationGroup) {
            continue;
        } else if (code == kEmbeddedObjectCode) {
            part = 1;
        } else if (code == kTagCode && part == 0) {
            tag = file.value(t);
        } else if (code == kValuePieceCode || code == kValueCode) {
            // Pieces join before decoding: a character's bytes may straddle two of them.
            values[part] += file.value(t);
            hasValue[part] = true;
        }
    }
    attribute->tag = m_doc.text().decode(tag);
    attribute->value = m_doc.text().decode(values[hasValue[1] ? 1 : 0]);
}

QHash<QString, QString> DxfAttributes::layoutNames() const
{
    // Each layout's block record points at its LAYOUT object, which names it after its plot
    // settings (whose code 1 is the page setup's name).
    QHash<QString, QString> names;
    const DxfDocument::Section *tables = m_doc.section("TABLES");
    for (int r = tables ? tables->sectionRecord + 1 : 0; tables && r < tables->endRecord; ++r) {
        if (!m_doc.isType(r, "BLOCK_RECORD"))
            continue;
        const int layout = m_doc.recordOfHandle(m_doc.handleRef(r, 340));
        if (layout < 0 || !m_doc.isType(layout, "LAYOUT"))
            continue;
        for (int t = m_doc.findTag(layout, 100); t >= 0; t = m_doc.findTag(layout, 100, t + 1)) {
            if (m_doc.file().valueIs(t, "AcDbLayout")) {
                const int name = m_doc.findTag(layout, 1, t);
                if (name >= 0)
                    names.insert(m_doc.string(r, 2).toCaseFolded(),
                                 m_doc.text().decode(m_doc.file().value(name)));
                break;
            }
        }
    }
    return names;
}
