#include "oddbhostappservices.h"

#include "dxfdocument.h"
#include "oddbqt.h"
#include "oddbxrefman.h"

#include <QFileInfo>
#include <QMutexLocker>

OdDbHostAppServices::OdDbHostAppServices() = default;

OdDbHostAppServices::~OdDbHostAppServices() = default;

OdDbDatabasePtr OdDbHostAppServices::readFile(const OdString &fileName, bool, bool,
                                              Oda::FileShareMode, const OdPassword &)
{
    return readDrawing(toQString(fileName), nullptr);
}

OdDbDatabasePtr OdDbHostAppServices::readDrawing(const QString &path, QString *errorMessage)
{
    const QString local = XrefFileSearch::toLocalPath(path);
    auto document = std::make_shared<DxfDocument>();
    if (!document->read(local, errorMessage))
        return OdDbDatabasePtr();
    OdDbDatabasePtr database = OdDbDatabase::create(std::move(document), local, this);
    OdDbXRefMan::loadAll(database.get());
    return database;
}

OdString OdDbHostAppServices::findFile(const OdString &fileName, OdDbDatabase *database,
                                       FindFileHint)
{
    const QString folder = database && !database->fileName().isEmpty()
                               ? QFileInfo(database->fileName()).absolutePath()
                               : QString();
    return toOdString(search().find(toQString(fileName), folder));
}

void OdDbHostAppServices::setSupportFolders(const QStringList &folders)
{
    QMutexLocker locker(&m_mutex);
    m_search.setSupportFolders(folders);
}

QStringList OdDbHostAppServices::supportFolders() const
{
    return search().supportFolders();
}

XrefFileSearch OdDbHostAppServices::search() const
{
    QMutexLocker locker(&m_mutex);
    return m_search;
}
