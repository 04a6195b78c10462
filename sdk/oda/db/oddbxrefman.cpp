#include "oddbxrefman.h"

#include "dxfdocument.h"
#include "dxfxrefs.h"
#include "oddbblocktablerecord.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"

#include <QFileInfo>

namespace {

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QFileInfo(path).absoluteFilePath() : resolved;
}

// True when path is database's own file or that of a drawing that references it, directly or
// through others.
bool isOnChain(const QString &path, const OdDbDatabase *database)
{
    for (const OdDbDatabase *db = database; db; db = db->referencingDatabase()) {
        if (!db->fileName().isEmpty() && canonical(db->fileName()) == path)
            return true;
    }
    return false;
}

} // namespace

OdResult OdDbXRefMan::load(OdDbBlockTableRecord *blockRecord)
{
    if (!blockRecord || !blockRecord->isFromExternalReference())
        return eInvalidInput;
    OdDbDatabase *database = blockRecord->database();
    OdDbHostAppServices *services = database->appServices();
    const quint64 handle = blockRecord->objectId().getHandle();
    database->setXrefDatabase(handle, OdDbDatabasePtr());
    if (!services)
        return eInvalidInput;
    const QString path = toQString(services->findFile(blockRecord->pathName(), database,
                                                      OdDbHostAppServices::kXRefDrawing));
    if (path.isEmpty())
        return eFileNotFound;
    if (isOnChain(canonical(path), database))
        return eSelfReference;
    auto document = std::make_shared<DxfDocument>();
    if (!document->read(path, nullptr))
        return eCantOpenFile;
    OdDbDatabasePtr xref = OdDbDatabase::create(std::move(document), path, services, database);
    loadAll(xref.get());
    database->setXrefDatabase(handle, xref);
    return eOk;
}

OdResult OdDbXRefMan::unload(OdDbBlockTableRecord *blockRecord)
{
    if (!blockRecord || !blockRecord->isFromExternalReference())
        return eInvalidInput;
    blockRecord->database()->setXrefDatabase(blockRecord->objectId().getHandle(),
                                             OdDbDatabasePtr());
    return eOk;
}

void OdDbXRefMan::loadAll(OdDbDatabase *database)
{
    if (!database)
        return;
    for (const DxfXrefs::Xref &xref : DxfXrefs(database->document()).list()) {
        const quint64 handle = xref.blockRecord ? xref.blockRecord : xref.block;
        OdDbBlockTableRecordPtr record =
            OdDbBlockTableRecord::cast(OdDbObjectId(database, handle).openObject());
        if (record)
            load(record.get());
    }
}
