#include "dxfdefinitions.h"

#include "dxfdictionary.h"
#include "dxfrecordbuilder.h"
#include "dxfstructure.h"

#include <QFileInfo>

namespace {

const DxfStructure::ObjectClass kImageClasses[] = {
    {"RASTERVARIABLES", "AcDbRasterVariables", "ISM", 0, false},
    {"IMAGE", "AcDbRasterImage", "ISM", 2175, true},
    {"IMAGEDEF", "AcDbRasterImageDef", "ISM", 0, false},
    {"IMAGEDEF_REACTOR", "AcDbRasterImageDefReactor", "ISM", 1, false},
};
const DxfStructure::ObjectClass kPdfClasses[] = {
    {"PDFDEFINITION", "AcDbPdfDefinition", "ObjectDBX Classes", 1153, false},
    {"PDFUNDERLAY", "AcDbPdfReference", "ObjectDBX Classes", 4095, true},
};
const char kImageVariables[] = "ACAD_IMAGE_VARS";

// The file's base name from a stored path, whichever separator it uses.
QString storedBaseName(const QString &path)
{
    QString local = path;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(local).completeBaseName();
}

} // namespace

DxfDefinitions::DxfDefinitions(DxfDocument &doc)
    : m_doc(doc)
{
}

const char *DxfDefinitions::dictionaryName(Kind kind)
{
    return kind == RasterImage ? "ACAD_IMAGE_DICT" : "ACAD_PDFDEFINITIONS";
}

const char *DxfDefinitions::definitionType(Kind kind)
{
    return kind == RasterImage ? "IMAGEDEF" : "PDFDEFINITION";
}

const char *DxfDefinitions::entityType(Kind kind)
{
    return kind == RasterImage ? "IMAGE" : "PDFUNDERLAY";
}

QVector<DxfDefinitions::Definition> DxfDefinitions::list(Kind kind) const
{
    QVector<Definition> result;
    const int root = DxfStructure(m_doc).namedObjectsDictionary();
    if (root < 0)
        return result;
    DxfDictionary rootDictionary(m_doc, m_doc.handle(root));
    const DxfDictionary dictionary(m_doc, rootDictionary.lookup(dictionaryName(kind)));
    for (const DxfDictionary::Entry &entry : dictionary.entries()) {
        const int record = m_doc.recordOfHandle(entry.handle);
        if (record < 0 || !m_doc.isType(record, definitionType(kind)))
            continue;
        Definition definition;
        definition.kind = kind;
        definition.handle = entry.handle;
        definition.name = entry.name;
        definition.path = m_doc.string(record, 1);
        definition.useCount = usersOf(kind, entry.handle).size();
        result.append(definition);
    }
    return result;
}

bool DxfDefinitions::find(quint64 handle, Definition *definition) const
{
    for (Kind kind : {RasterImage, PdfUnderlay}) {
        for (const Definition &candidate : list(kind)) {
            if (candidate.handle == handle) {
                if (definition)
                    *definition = candidate;
                return true;
            }
        }
    }
    return false;
}

bool DxfDefinitions::setPath(quint64 handle, const QString &path)
{
    const int record = m_doc.recordOfHandle(handle);
    if (record < 0
        || !(m_doc.isType(record, "IMAGEDEF") || m_doc.isType(record, "PDFDEFINITION")))
        return false;
    return m_doc.setString(record, 1, path);
}

QVector<int> DxfDefinitions::usersOf(Kind kind, quint64 handle) const
{
    QVector<int> result;
    for (int r = 0; r < m_doc.recordCount(); ++r) {
        if (m_doc.isType(r, entityType(kind)) && m_doc.handleRef(r, 340) == handle)
            result.append(r);
    }
    return result;
}

bool DxfDefinitions::prepare(Kind kind, QString *errorMessage, quint64 *dictionary,
                             quint64 *modelSpace)
{
    auto fail = [errorMessage](const QString &why) {
        if (errorMessage)
            *errorMessage = why;
        return false;
    };
    if (!m_doc.hasOwnership())
        return fail(QStringLiteral("images need a drawing of release 13 or later"));
    if (kind == PdfUnderlay && m_doc.version() < "AC1015")
        return fail(QStringLiteral("PDF underlays need a drawing of release 2000 or later"));
    DxfStructure structure(m_doc);
    const int root = structure.namedObjectsDictionary();
    *modelSpace = structure.modelSpace();
    if (root < 0 || !*modelSpace || !m_doc.section("ENTITIES"))
        return fail(QStringLiteral("the drawing has no named-objects dictionary or model space"));
    const quint64 rootHandle = m_doc.handle(root);
    if (kind == RasterImage) {
        for (const DxfStructure::ObjectClass &objectClass : kImageClasses)
            structure.ensureClass(objectClass);
        DxfDictionary rootDictionary(m_doc, rootHandle);
        if (!rootDictionary.lookup(kImageVariables)) {
            // Display settings that programs look for beside the first image.
            const quint64 variables = m_doc.newHandle();
            DxfRecordBuilder tags(m_doc);
            tags.beginWatched("RASTERVARIABLES", variables, rootHandle, {rootHandle})
                .raw(100, "AcDbRasterVariables")
                .integer(90, 0)
                .integer(70, 0)
                .integer(71, 1)
                .integer(72, 0);
            structure.appendToSection("OBJECTS", tags.tags());
            rootDictionary.addEntry(kImageVariables, variables);
        }
    } else {
        for (const DxfStructure::ObjectClass &objectClass : kPdfClasses)
            structure.ensureClass(objectClass);
    }
    *dictionary = DxfDictionary(m_doc, rootHandle).child(dictionaryName(kind)).handle();
    return *dictionary != 0 || fail(QStringLiteral("the definitions dictionary is damaged"));
}

bool DxfDefinitions::attachImage(const QString &path, const QSize &pixels,
                                 const QPointF &insertion, double width, quint64 *definition,
                                 QString *errorMessage)
{
    if (pixels.isEmpty() || width <= 0.0) {
        if (errorMessage)
            *errorMessage = QStringLiteral("the image has no size");
        return false;
    }
    DxfDocument::Edit edit(m_doc);
    quint64 dictionaryHandle = 0;
    quint64 modelSpace = 0;
    if (!prepare(RasterImage, errorMessage, &dictionaryHandle, &modelSpace))
        return false;
    DxfDictionary dictionary(m_doc, dictionaryHandle);
    const QString name = dictionary.uniqueName(storedBaseName(path));
    const quint64 def = m_doc.newHandle();
    const quint64 reactor = m_doc.newHandle();
    const quint64 image = m_doc.newHandle();

    DxfRecordBuilder objects(m_doc);
    objects.beginWatched("IMAGEDEF", def, dictionaryHandle, {dictionaryHandle, reactor})
        .raw(100, "AcDbRasterImageDef")
        .integer(90, 0)
        .text(1, path)
        .real(10, pixels.width())
        .real(20, pixels.height())
        .real(11, 1.0)
        .real(21, 1.0)
        .integer(280, 1)
        .integer(281, 0);
    objects.begin("IMAGEDEF_REACTOR", reactor, image)
        .raw(100, "AcDbRasterImageDefReactor")
        .integer(90, 2)
        .handle(330, image);
    DxfStructure structure(m_doc);
    structure.appendToSection("OBJECTS", objects.tags());
    dictionary.addEntry(name, def);

    const double unit = width / pixels.width();
    DxfRecordBuilder entity(m_doc);
    entity.beginEntity("IMAGE", image, modelSpace)
        .raw(100, "AcDbRasterImage")
        .integer(90, 0)
        .point(10, insertion)
        .point(11, QPointF(unit, 0.0))
        .point(12, QPointF(0.0, unit))
        .real(13, pixels.width())
        .real(23, pixels.height())
        .handle(340, def)
        .integer(70, 3)
        .integer(280, 0)
        .integer(281, 50)
        .integer(282, 50)
        .integer(283, 0)
        .handle(360, reactor)
        .integer(71, 1)
        .integer(91, 2)
        .real(14, -0.5)
        .real(24, -0.5)
        .real(14, pixels.width() - 0.5)
        .real(24, pixels.height() - 0.5);
    structure.appendToSection("ENTITIES", entity.tags());
    if (!edit.commit(errorMessage))
        return false;
    if (definition)
        *definition = def;
    return true;
}

bool DxfDefinitions::attachPdf(const QString &path, const QString &page, const QPointF &insertion,
                               double scale, quint64 *definition, QString *errorMessage)
{
    DxfDocument::Edit edit(m_doc);
    quint64 dictionaryHandle = 0;
    quint64 modelSpace = 0;
    if (!prepare(PdfUnderlay, errorMessage, &dictionaryHandle, &modelSpace))
        return false;
    DxfDictionary dictionary(m_doc, dictionaryHandle);
    const QString pageName = page.isEmpty() ? QStringLiteral("1") : page;
    const QString name = dictionary.uniqueName(storedBaseName(path) + QStringLiteral(" - ")
                                               + pageName);
    const quint64 def = m_doc.newHandle();
    const quint64 underlay = m_doc.newHandle();

    DxfRecordBuilder object(m_doc);
    object.beginWatched("PDFDEFINITION", def, dictionaryHandle, {dictionaryHandle, underlay})
        .raw(100, "AcDbUnderlayDefinition")
        .text(1, path)
        .text(2, pageName);
    DxfStructure structure(m_doc);
    structure.appendToSection("OBJECTS", object.tags());
    dictionary.addEntry(name, def);

    DxfRecordBuilder entity(m_doc);
    entity.beginEntity("PDFUNDERLAY", underlay, modelSpace)
        .raw(100, "AcDbUnderlayReference")
        .handle(340, def)
        .point(10, insertion)
        .real(41, scale)
        .real(42, scale)
        .real(43, scale)
        .real(50, 0.0)
        .integer(280, 2)
        .integer(281, 100)
        .integer(282, 0);
    structure.appendToSection("ENTITIES", entity.tags());
    if (!edit.commit(errorMessage))
        return false;
    if (definition)
        *definition = def;
    return true;
}

bool DxfDefinitions::detach(quint64 handle, QString *errorMessage)
{
    Definition definition;
    const int record = m_doc.recordOfHandle(handle);
    if (!find(handle, &definition) || record < 0) {
        if (errorMessage)
            *errorMessage = QStringLiteral("the drawing has no image or PDF definition %1")
                                .arg(QString::fromLatin1(DxfDocument::formatHandle(handle)));
        return false;
    }
    QVector<int> records = usersOf(definition.kind, handle);
    records.append(record);
    // An image's reactor belongs to the image; it goes with it.
    for (int r = 0; r < m_doc.recordCount(); ++r) {
        if (m_doc.isType(r, "IMAGEDEF_REACTOR")) {
            const int owner = m_doc.recordOfHandle(m_doc.owner(r));
            if (owner >= 0 && records.contains(owner))
                records.append(r);
        }
    }
    const quint64 dictionary = m_doc.owner(record);
    DxfDocument::Edit edit(m_doc);
    m_doc.removeRecordList(records);
    DxfDictionary(m_doc, dictionary).removeEntry(handle);
    return edit.commit(errorMessage);
}
