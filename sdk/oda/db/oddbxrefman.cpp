#include "oddbxrefman.h"

#include "dxfdocument.h"
#include "dxfxrefs.h"
#include "oddbblocktablerecord.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"

#include <QFileInfo>
#include <QHash>
#include <QStringList>

namespace {

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QFileInfo(path).absoluteFilePath() : resolved;
}

// One load of references and, through them, of theirs. A drawing that several drawings
// reference is read once and its database shared by all of them: without that, a drawing
// reached along many paths would be read once per path, which grows exponentially with the
// depth of the references. A drawing on the chain of drawings being loaded is refused, so the
// databases never reference each other in a circle. Lives for one call.
class XrefLoader
{
public:
    // The chain starts with start and the drawings that hold it.
    explicit XrefLoader(const OdDbDatabase *start);

    OdResult load(OdDbBlockTableRecord *blockRecord);
    void loadAll(OdDbDatabase *database);

private:
    // Finds, reads and loads the drawing behind one reference of database.
    OdResult resolve(OdDbDatabase *database, const OdString &storedPath, quint64 handle);

    QHash<QString, OdDbDatabasePtr> m_loaded; // canonical path -> database; null: unreadable
    QStringList m_chain;                      // canonical paths being loaded, outermost first
};

XrefLoader::XrefLoader(const OdDbDatabase *start)
{
    for (const OdDbDatabase *db = start; db; db = db->referencingDatabase()) {
        if (!db->fileName().isEmpty())
            m_chain.prepend(canonical(db->fileName()));
    }
}

OdResult XrefLoader::load(OdDbBlockTableRecord *blockRecord)
{
    if (!blockRecord || !blockRecord->isFromExternalReference())
        return eInvalidInput;
    OdDbDatabase *database = blockRecord->database();
    const quint64 handle = blockRecord->objectId().getHandle();
    database->setXrefDatabase(handle, OdDbDatabasePtr());
    const OdResult result = resolve(database, blockRecord->pathName(), handle);
    if (result != eOk && result != eInvalidInput)
        database->setXrefLoadFailure(handle, result);
    return result;
}

OdResult XrefLoader::resolve(OdDbDatabase *database, const OdString &storedPath, quint64 handle)
{
    OdDbHostAppServices *services = database->appServices();
    if (!services)
        return eInvalidInput;
    const QString path = toQString(
        services->findFile(storedPath, database, OdDbHostAppServices::kXRefDrawing));
    if (path.isEmpty())
        return eFileNotFound;
    const QString key = canonical(path);
    if (m_chain.contains(key))
        return eSelfReference;
    auto known = m_loaded.constFind(key);
    if (known != m_loaded.constEnd()) {
        if (known.value().isNull())
            return eCantOpenFile;
        database->setXrefDatabase(handle, known.value());
        return eOk;
    }
    auto document = std::make_shared<DxfDocument>();
    if (!document->read(path, nullptr)) {
        m_loaded.insert(key, OdDbDatabasePtr());
        return eCantOpenFile;
    }
    OdDbDatabasePtr xref = OdDbDatabase::create(std::move(document), path, services, database);
    m_chain.append(key);
    loadAll(xref.get());
    m_chain.removeLast();
    m_loaded.insert(key, xref);
    database->setXrefDatabase(handle, xref);
    return eOk;
}

void XrefLoader::loadAll(OdDbDatabase *database)
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

} // namespace

OdResult OdDbXRefMan::load(OdDbBlockTableRecord *blockRecord)
{
    return XrefLoader(blockRecord ? blockRecord->database() : nullptr).load(blockRecord);
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
    XrefLoader(database).loadAll(database);
}
