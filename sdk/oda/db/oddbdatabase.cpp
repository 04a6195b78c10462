#include "oddbdatabase.h"

#include "dxfdocument.h"
#include "dxfpreview.h"
#include "dxfstructure.h"
#include "oddbblocktable.h"
#include "oddbqt.h"
#include "oderror.h"
#include "odrxobjectimpl.h"
#include "odstreambuf.h"

OdDbDatabase::OdDbDatabase(std::shared_ptr<DxfDocument> document, const QString &fileName,
                           OdDbHostAppServices *services, OdDbDatabase *referencing)
    : m_document(std::move(document))
    , m_fileName(fileName)
    , m_services(services)
    , m_referencing(referencing)
{
}

OdDbDatabase::~OdDbDatabase()
{
    for (const OdDbDatabasePtr &xref : qAsConst(m_xrefs))
        letGo(xref.get());
}

void OdDbDatabase::letGo(OdDbDatabase *database)
{
    if (database && database->m_referencing == this)
        database->m_referencing = nullptr;
}

OdDbDatabasePtr OdDbDatabase::create(std::shared_ptr<DxfDocument> document,
                                     const QString &fileName, OdDbHostAppServices *services,
                                     OdDbDatabase *referencing)
{
    return OdRxObjectImpl<OdDbDatabase>::createObject(std::move(document), fileName, services,
                                                      referencing);
}

OdString OdDbDatabase::getFilename() const
{
    return toOdString(m_fileName);
}

OdDbObjectId OdDbDatabase::getBlockTableId() const
{
    DxfStructure structure(*m_document);
    const int table = structure.table("BLOCK_RECORD");
    const quint64 handle = table >= 0 ? m_document->handle(table) : 0;
    return OdDbObjectId(const_cast<OdDbDatabase *>(this),
                        handle ? handle : OdDbBlockTable::kImpliedHandle);
}

OdDbObjectId OdDbDatabase::getNamedObjectsDictionaryId() const
{
    const int root = DxfStructure(*m_document).namedObjectsDictionary();
    return root >= 0 ? OdDbObjectId(const_cast<OdDbDatabase *>(this), m_document->handle(root))
                     : OdDbObjectId();
}

void OdDbDatabase::writeFile(const OdString &fileName, OdDb::SaveType, OdDb::DwgVersion, bool,
                             int)
{
    QString error;
    if (!m_document->write(toQString(fileName), &error))
        throw OdError(eFileWriteError, toOdString(QStringLiteral("cannot write %1: %2")
                                                      .arg(toQString(fileName), error)));
}

void OdDbDatabase::writeFile(OdStreamBuf *stream, OdDb::SaveType, OdDb::DwgVersion, bool, int)
{
    QString error;
    const bool written = m_document->write(
        [stream](const char *data, qint64 size) {
            // putBytes takes at most 4 GiB at a time.
            for (qint64 piece; size > 0; data += piece, size -= piece) {
                piece = qMin(size, qint64(1) << 30);
                stream->putBytes(data, OdUInt32(piece));
            }
            return true;
        },
        &error);
    if (!written)
        throw OdError(eFileWriteError, toOdString(error));
}

QImage OdDbDatabase::previewImage(const QSize &size) const
{
    return DxfPreview::ofDocument(*m_document, size);
}

OdDbDatabase *OdDbDatabase::xrefDatabase(quint64 blockRecord) const
{
    return m_xrefs.value(blockRecord).get();
}

void OdDbDatabase::setXrefDatabase(quint64 blockRecord, const OdDbDatabasePtr &database)
{
    const OdDbDatabasePtr previous = m_xrefs.value(blockRecord);
    m_xrefFailures.remove(blockRecord);
    if (database.isNull())
        m_xrefs.remove(blockRecord);
    else
        m_xrefs.insert(blockRecord, database);
    // The same drawing may stand behind another of this drawing's references.
    if (previous && previous != database) {
        bool stillHeld = false;
        for (const OdDbDatabasePtr &xref : qAsConst(m_xrefs))
            stillHeld = stillHeld || xref == previous;
        if (!stillHeld)
            letGo(previous.get());
    }
}

OdDb::XrefStatus OdDbDatabase::xrefStatus(quint64 blockRecord) const
{
    if (m_xrefs.contains(blockRecord))
        return OdDb::kXrfResolved;
    switch (m_xrefFailures.value(blockRecord, eOk)) {
    case eFileNotFound:
        return OdDb::kXrfFileNotFound;
    case eCantOpenFile:
        return OdDb::kXrfUnresolved;
    default:
        return OdDb::kXrfUnloaded;
    }
}

bool OdDbDatabase::isXrefCycle(quint64 blockRecord) const
{
    return m_xrefFailures.value(blockRecord, eOk) == eSelfReference;
}

void OdDbDatabase::setXrefLoadFailure(quint64 blockRecord, OdResult why)
{
    setXrefDatabase(blockRecord, OdDbDatabasePtr());
    m_xrefFailures.insert(blockRecord, why);
}

void OdDbDatabase::setAttachmentLoaded(quint64 definition, const QImage &image)
{
    m_loaded.insert(definition, image);
}
