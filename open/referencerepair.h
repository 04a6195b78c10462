#pragma once

#include <odsmartptr.h>

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

class CFxDocumentManager;
class OdDbDatabase;
class OdDbHostAppServices;

// Re-points the paths that downloaded drawings store for their external references, raster
// images and PDF underlays (paths from the machine that checked them in) at the files of a
// download folder, in the drawing that was opened and in every drawing of that folder it
// references, and writes each changed drawing back losslessly. Drawings outside the folder and
// drawings open in the host are never written. One instance per repair. Runs on the download
// worker thread: the drawing layer reads each database for the calling thread, the host's
// application services serialise their file search, and the host keeps its look-up of open
// documents safe from any thread; nothing here touches a widget.
class ReferenceRepair
{
    Q_DECLARE_TR_FUNCTIONS(ReferenceRepair)

public:
    // documents may be null (no host): then no drawing counts as open.
    ReferenceRepair(OdDbHostAppServices *services, const CFxDocumentManager *documents);

    // Repairs mainPath ("\" separators allowed) and the drawings it references for the files
    // named fileNames (names with suffix, no folder) that lie in folder. A stored path is
    // re-pointed when its file name is one of them, or its file name without the suffix is
    // (both exact; the drawing layer still finds a reference whose letter case differs when
    // the host opens it). False, with errorString(), when a drawing could not be read or
    // written; every other drawing is still repaired. readFolder: where the files wait until
    // they take their places in folder (a download's hidden folder), "" when they are there
    // already; a file found there is read and written there, and still pointed at in folder.
    bool repair(const QString &mainPath, const QStringList &fileNames, const QString &folder,
                const QString &readFolder = QString());

    QString errorString() const { return m_errors.join(QLatin1Char('\n')); }
    // Drawings written, and drawings left alone because the host has them open.
    QStringList writtenFiles() const { return m_written; }
    QStringList openInHostFiles() const { return m_openInHost; }
    // Drawings that waited in readFolder and could not be written there (named where they
    // would stand): they no longer hold what arrived and must not take their places.
    QStringList spoiledFiles() const { return m_spoiled; }

private:
    using DatabasePtr = OdSmartPtr<OdDbDatabase>;

    // Repairs one database in memory; appends the drawings of the folder it references.
    bool repairDatabase(OdDbDatabase *database, QList<DatabasePtr> *queue);
    bool repairReferences(OdDbDatabase *database, QList<DatabasePtr> *queue);
    bool repairDefinitions(OdDbDatabase *database, const char *dictionaryName);
    // Whether the host has the drawing open (noted in openInHostFiles()).
    bool isOpenInHost(OdDbDatabase *database);
    // Writes the changed drawings to their files.
    void writeBack(const QList<DatabasePtr> &databases);
    // The name of the downloaded file whose name matches storedPath's, or "".
    QString downloadedName(const QString &storedPath) const;
    // The downloaded file's path in the folder where storedPath should point instead, or ""
    // when it points there already or at no downloaded file.
    QString repointed(const QString &storedPath) const;
    bool isInFolder(const QString &path) const;
    // Whether path lies in the folder where the files wait.
    bool waits(const QString &path) const;
    // Where a file read from readFolder will stand: its path in the folder.
    QString placeOf(const QString &path) const;

    OdDbHostAppServices *m_services;
    const CFxDocumentManager *m_documents;
    QString m_folder;
    QString m_canonicalFolder;
    QString m_canonicalReadFolder; // "" when the files are read in the folder
    QHash<QString, QString> m_readable; // downloaded file's name -> where it is read now
    QSet<QString> m_visited;              // canonical paths of drawings taken up in this repair
    QStringList m_errors;
    QStringList m_written;
    QStringList m_openInHost;
    QStringList m_spoiled;
};

