#include "oddbobject.h"

#include "dxfdocument.h"
#include "dxfstructure.h"
#include "oddbblocktable.h"
#include "oddbblocktablerecord.h"
#include "oddbdatabase.h"
#include "oddbdictionary.h"
#include "oddbhostappservices.h"
#include "oddbpdfdefinition.h"
#include "oddbqt.h"
#include "oddbrasterimagedef.h"
#include "oderror.h"
#include "odrxobjectimpl.h"

namespace {

template <class T>
OdDbObjectPtr make(OdDbDatabase *database, quint64 handle, OdDb::OpenMode mode)
{
    return OdRxObjectImpl<T, OdDbObject>::createObject(database, handle, mode);
}

// A BLOCK stands for its block record in drawings that keep none (release 12).
bool blockStandsForRecord(DxfDocument &doc, int record)
{
    return doc.isType(record, "BLOCK")
           && DxfStructure(doc).tableEntry("BLOCK_RECORD", doc.string(record, 2)) < 0;
}

} // namespace

OdDbObject::OdDbObject(OdDbDatabase *database, quint64 handle, OdDb::OpenMode mode)
    : m_database(database)
    , m_handle(handle)
    , m_mode(mode == OdDb::kForWrite ? OdDb::kForWrite : OdDb::kForRead)
{
}

OdDbObject::~OdDbObject() = default;

OdDbObjectPtr OdDbObject::open(OdDbDatabase *database, quint64 handle, OdDb::OpenMode mode)
{
    if (!database || !handle)
        return OdDbObjectPtr();
    if (handle == OdDbBlockTable::kImpliedHandle)
        return make<OdDbBlockTable>(database, handle, mode);
    const DxfDocument &doc = database->document();
    const int record = doc.recordOfHandle(handle);
    if (record < 0)
        return OdDbObjectPtr();
    if (doc.isType(record, "DICTIONARY"))
        return make<OdDbDictionary>(database, handle, mode);
    if (doc.isType(record, "IMAGEDEF"))
        return make<OdDbRasterImageDef>(database, handle, mode);
    if (doc.isType(record, "PDFDEFINITION"))
        return make<OdDbPdfDefinition>(database, handle, mode);
    if (doc.isType(record, "TABLE") && doc.string(record, 2) == QLatin1String("BLOCK_RECORD"))
        return make<OdDbBlockTable>(database, handle, mode);
    if (doc.isType(record, "BLOCK_RECORD") || blockStandsForRecord(database->document(), record))
        return make<OdDbBlockTableRecord>(database, handle, mode);
    return make<OdDbObject>(database, handle, mode);
}

OdDbObjectId OdDbObject::objectId() const
{
    return OdDbObjectId(m_database.get(), m_handle);
}

OdDbDatabase *OdDbObject::database() const
{
    return m_database.get();
}

OdString OdDbObject::dxfName() const
{
    const int r = record();
    return r >= 0 ? toOdString(QString::fromLatin1(document().type(r))) : OdString();
}

void OdDbObject::assertWriteEnabled() const
{
    if (!isWriteEnabled())
        throw OdError(eNotOpenForWrite, "the object is not open for writing");
}

int OdDbObject::record() const
{
    return document().recordOfHandle(m_handle);
}

DxfDocument &OdDbObject::document() const
{
    return m_database->document();
}

OdString OdDbObject::stringValue(int code) const
{
    const int r = record();
    return r >= 0 ? toOdString(document().string(r, code)) : OdString();
}

QString OdDbObject::findReferencedFile(int hint) const
{
    OdDbHostAppServices *services = database()->appServices();
    if (!services)
        return QString();
    return toQString(services->findFile(stringValue(1), database(),
                                        OdDbHostAppServices::FindFileHint(hint)));
}
