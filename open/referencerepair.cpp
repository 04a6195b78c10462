#include "referencerepair.h"

#include "diskwork.h"
#include "openlogging.h"

#include "faults/faultpoint.h"

#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <oddbblocktablerecord.h>
#include <oddbdatabase.h>
#include <oddbdictionary.h>
#include <oddbdictionaryiterator.h>
#include <oddbhostappservices.h>
#include <oddbrasterimagedef.h>
#include <oddbunderlaydefinition.h>
#include <oddbxrefgraph.h>
#include <oddbxrefman.h>
#include <oderror.h>
#include <odwrfilebuf.h>
#include <xreffilesearch.h>

#include <QDir>
#include <QFileInfo>
#include <QVector>

namespace {

const char kImageDictionary[] = "ACAD_IMAGE_DICT";
const char kPdfDictionary[] = "ACAD_PDFDEFINITIONS";

QString qs(const OdString &text)
{
    return CFxString(text).toQString();
}

OdString od(const QString &text)
{
    return CFxString(text).toOdString();
}

QString canonicalPath(const QString &path)
{
    const QFileInfo info(XrefFileSearch::toLocalPath(path));
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// A folder given in Windows form ("D:\dl") keeps its separator; local folders use "/".
QString joinPath(const QString &folder, const QString &fileName)
{
    const bool windowsForm = folder.contains(QLatin1Char('\\')) && !folder.contains(QLatin1Char('/'));
    QString joined = folder;
    const QChar separator = windowsForm ? QLatin1Char('\\') : QLatin1Char('/');
    if (!joined.endsWith(separator))
        joined += separator;
    return joined + fileName;
}

} // namespace

ReferenceRepair::ReferenceRepair(OdDbHostAppServices *services, const CFxDocumentManager *documents)
    : m_services(services)
    , m_documents(documents)
{
}

bool ReferenceRepair::repair(const QString &mainPath, const QStringList &fileNames,
                             const QString &folder, const QString &readFolder)
{
    m_errors.clear();
    m_written.clear();
    m_spoiled.clear();
    m_openInHost.clear();
    m_visited.clear();
    m_readable.clear();
    if (mainPath.isEmpty())
        return true;
    if (!m_services) {
        m_errors.append(tr("no drawing services to repair %1").arg(mainPath));
        return false;
    }
    m_folder = folder;
    m_canonicalFolder = canonicalPath(folder);
    m_canonicalReadFolder = readFolder.isEmpty() ? QString() : canonicalPath(readFolder);
    // A file that is neither waiting nor in the folder was not downloaded there: nothing may
    // point at it.
    const auto isFile = [](const QString &path) {
        return QFileInfo(XrefFileSearch::toLocalPath(path)).isFile();
    };
    for (const QString &name : fileNames) {
        if (name.isEmpty())
            continue;
        const QString waiting = readFolder.isEmpty() ? QString() : joinPath(readFolder, name);
        const QString placed = joinPath(folder, name);
        if (!waiting.isEmpty() && isFile(waiting))
            m_readable.insert(name, waiting);
        else if (isFile(placed))
            m_readable.insert(name, placed);
    }

    // The drawing opened is read where it waits, when it is one of the folder's.
    QString readPath = mainPath;
    if (canonicalPath(QFileInfo(XrefFileSearch::toLocalPath(mainPath)).absolutePath())
        == m_canonicalFolder)
        readPath = m_readable.value(XrefFileSearch::fileName(mainPath), mainPath);
    QString readError;
    DatabasePtr main = m_services->readDrawing(readPath, &readError);
    if (!main) {
        m_errors.append(tr("%1 cannot be read: %2").arg(mainPath, readError));
        return false;
    }
    // Drawings are taken up once each, so references that lead back to a drawing already
    // repaired (a cycle) end here rather than recursing.
    QList<DatabasePtr> queue{main};
    m_visited.insert(canonicalPath(main->fileName()));
    QList<DatabasePtr> changed;
    while (!queue.isEmpty()) {
        DatabasePtr database = queue.takeFirst();
        if (repairDatabase(database.get(), &queue) && !isOpenInHost(database.get()))
            changed.append(database);
    }
    writeBack(changed);
    return m_errors.isEmpty();
}

bool ReferenceRepair::repairDatabase(OdDbDatabase *database, QList<DatabasePtr> *queue)
{
    bool changed = repairReferences(database, queue);
    changed = repairDefinitions(database, kImageDictionary) || changed;
    changed = repairDefinitions(database, kPdfDictionary) || changed;
    return changed;
}

bool ReferenceRepair::repairReferences(OdDbDatabase *database, QList<DatabasePtr> *queue)
{
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(database, graph);
    OdDbXrefGraphNode *root = graph.hostDwg();
    if (!root)
        return false;
    bool changed = false;
    for (int i = 0; i < root->numOut(); ++i) {
        OdDbBlockTableRecordPtr record =
            OdDbBlockTableRecord::cast(root->out(i)->btrId().openObject(OdDb::kForWrite));
        if (!record)
            continue;
        const QString stored = qs(record->pathName());
        const QString name = downloadedName(stored);
        if (!name.isEmpty()) {
            const QString candidate = joinPath(m_folder, name);
            if (stored != candidate) {
                record->setPathName(od(candidate));
                changed = true;
            }
            const QString blockName = QFileInfo(XrefFileSearch::toLocalPath(candidate)).completeBaseName();
            if (qs(record->getName()).compare(blockName, Qt::CaseInsensitive) != 0) {
                try {
                    record->setName(od(blockName));
                    changed = true;
                } catch (const OdError &error) {
                    // Another block has that name: the reference keeps its own.
                    qCDebug(lcOpen).noquote() << "reference keeps its name" << qs(record->getName())
                                              << error.what();
                }
            }
            // The reference may have been resolved to another file of the same name (a stale
            // copy beside an old relative path): load the downloaded one instead, from where
            // it waits.
            const QString readable = m_readable.value(name);
            OdDbDatabase *loaded = record->xrefDatabase();
            if (!loaded || canonicalPath(loaded->fileName()) != canonicalPath(readable)) {
                record->setPathName(od(readable));
                OdDbXRefMan::unload(record.get());
                OdDbXRefMan::load(record.get());
                record->setPathName(od(candidate));
            }
        }
        DatabasePtr nested(record->xrefDatabase());
        if (nested && isInFolder(nested->fileName())) {
            const QString key = canonicalPath(nested->fileName());
            if (!m_visited.contains(key)) {
                m_visited.insert(key);
                queue->append(nested);
            }
        }
    }
    return changed;
}

bool ReferenceRepair::repairDefinitions(OdDbDatabase *database, const char *dictionaryName)
{
    const OdDbObjectId dictionaryId = database->getNamedObjectsDictionaryId();
    if (dictionaryId.isNull())
        return false;
    OdDbDictionaryPtr named = OdDbDictionary::cast(dictionaryId.openObject(OdDb::kForRead));
    OdDbDictionaryPtr definitions =
        named ? OdDbDictionary::cast(named->getAt(OdString(dictionaryName), OdDb::kForRead))
              : OdDbDictionaryPtr();
    if (!definitions)
        return false;
    bool changed = false;
    for (OdDbDictionaryIteratorPtr it = definitions->newIterator(); !it->done(); it->next()) {
        OdDbObjectPtr object = it->getObject(OdDb::kForWrite);
        if (OdDbRasterImageDefPtr image = OdDbRasterImageDef::cast(object)) {
            const QString candidate = repointed(qs(image->sourceFileName()));
            if (!candidate.isEmpty()) {
                image->setSourceFileName(od(candidate));
                changed = true;
            }
        } else if (OdDbUnderlayDefinitionPtr underlay = OdDbUnderlayDefinition::cast(object)) {
            const QString candidate = repointed(qs(underlay->getSourceFileName()));
            if (!candidate.isEmpty()) {
                underlay->setSourceFileName(od(candidate));
                changed = true;
            }
        }
    }
    return changed;
}

bool ReferenceRepair::isOpenInHost(OdDbDatabase *database)
{
    const QString path = placeOf(database->fileName());
    // The host's copy would overwrite the file again, or be overwritten under the user's
    // hands: a drawing open in the host keeps its file as it is.
    if (!m_documents || !m_documents->FindDocument(CFxString(path)))
        return false;
    qCDebug(lcOpen).noquote() << "not repaired, open in the host:" << path;
    m_openInHost.append(path);
    return true;
}

void ReferenceRepair::writeBack(const QList<DatabasePtr> &databases)
{
    QVector<bool> waiting;
    for (const DatabasePtr &database : databases)
        waiting.append(waits(database->fileName()));
    // Each drawing in place waits for the disk to take it before it replaces its file; written
    // on several threads, a hundred drawings wait about as long as a few. A drawing still
    // waiting in the hidden folder is written over where it waits, with no flush of its own:
    // the flush of every waiting file before they take their places covers it. (Written beside
    // and renamed, it would be put on the disk at once: the file system does that for a file
    // that replaces another's bytes.) Every database is separate, and each is written by one
    // thread only.
    const QVector<QString> failed = onDiskThreads(databases.size(), [&](int i) {
        OdDbDatabase *database = databases.at(i).get();
        const OdString path = od(database->fileName());
        try {
            if (waiting.at(i))
                database->writeFile(OdWrFileBuf::createObject(path).get(), OdDb::kDwg, OdDb::vAC15);
            else
                database->writeFile(path, OdDb::kDwg, OdDb::vAC15);
        } catch (const OdError &error) {
            return QString::fromLocal8Bit(error.what());
        }
        return QString();
    });
    for (int i = 0; i < databases.size(); ++i) {
        const QString path = placeOf(databases.at(i)->fileName());
        QString reason = failed.at(i);
        if (reason.isEmpty()) {
            m_written.append(path);
            if (FaultPoint::fails("download.repaired"))
                reason = FaultPoint::failureText("download.repaired");
        }
        if (reason.isEmpty())
            continue;
        m_errors.append(tr("%1 cannot be written: %2").arg(path, reason));
        if (waiting.at(i))
            m_spoiled.append(path);
    }
}

QString ReferenceRepair::repointed(const QString &storedPath) const
{
    const QString name = downloadedName(storedPath);
    const QString candidate = name.isEmpty() ? QString() : joinPath(m_folder, name);
    return candidate == storedPath ? QString() : candidate;
}

QString ReferenceRepair::downloadedName(const QString &storedPath) const
{
    // The stored path's file name names a downloaded file exactly, or, for a downloaded file
    // whose title has no suffix, the stored file name without its suffix does.
    const QString fileName = XrefFileSearch::fileName(storedPath);
    if (m_readable.contains(fileName))
        return fileName;
    const QString baseName = QFileInfo(fileName).completeBaseName();
    return m_readable.contains(baseName) ? baseName : QString();
}

bool ReferenceRepair::isInFolder(const QString &path) const
{
    const QString folder =
        canonicalPath(QFileInfo(XrefFileSearch::toLocalPath(path)).absolutePath());
    return folder == m_canonicalFolder
           || (!m_canonicalReadFolder.isEmpty() && folder == m_canonicalReadFolder);
}

bool ReferenceRepair::waits(const QString &path) const
{
    return !m_canonicalReadFolder.isEmpty()
           && canonicalPath(QFileInfo(XrefFileSearch::toLocalPath(path)).absolutePath())
                  == m_canonicalReadFolder;
}

QString ReferenceRepair::placeOf(const QString &path) const
{
    if (!waits(path))
        return path;
    return joinPath(m_folder, QFileInfo(XrefFileSearch::toLocalPath(path)).fileName());
}
