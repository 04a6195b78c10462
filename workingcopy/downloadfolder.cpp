#include "downloadfolder.h"

#include "filedatabase.h"
#include "workingcopyconstants.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"

#include <fzfileinfo.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <cerrno>

#include <signal.h>

QString documentsFolder()
{
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    return folders.isEmpty() ? QString() : folders.first();
}

QString browseStartFolder(const QString &fieldText)
{
    return fieldText.isEmpty() ? documentsFolder() : fieldText;
}

QString downloadFolderFor(const FileDatabase &database, const QString &name, const QString &title)
{
    QString path;
    for (const QString &known : {name, title}) {
        if (path.isEmpty() && !known.isEmpty())
            path = database.valueWhere(QLatin1String(kAttrName), known, QLatin1String(kAttrPath));
    }
    return path.isEmpty() ? documentsFolder() : QFileInfo(FileDatabase::keyForPath(path)).path();
}

QString drawingPreviewPath(const QString &drawingPath)
{
    const QStringList temp = QStandardPaths::standardLocations(QStandardPaths::TempLocation);
    QString fileName = drawingPath;
    fileName.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return temp.value(0) + QLatin1Char('/') + QFileInfo(fileName).baseName()
        + QStringLiteral(".jpg");
}

QString stagingFolderPattern(const QString &folder)
{
    // The process's id in the name tells a leftover from a download still running elsewhere.
    return QDir(folder).filePath(QLatin1String(kStagingPrefix)
                                 + QString::number(QCoreApplication::applicationPid())
                                 + QStringLiteral("-XXXXXX"));
}

int removeDownloadLeftovers(const QString &tenant)
{
    QSet<QString> folders;
    {
        const FileDatabase database(tenant);
        for (const QString &path : database.paths())
            folders.insert(QFileInfo(FileDatabase::keyForPath(path)).path());
    }
    int removed = 0;
    for (const QString &folder : qAsConst(folders)) {
        const QDir dir(folder);
        const QStringList leftovers =
            dir.entryList({QLatin1String(kStagingPrefix) + QLatin1Char('*')},
                          QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString &name : leftovers) {
            const qint64 pid =
                name.mid(int(qstrlen(kStagingPrefix))).section(QLatin1Char('-'), 0, 0).toLongLong();
            // kill(pid, 0) fails with ESRCH only when no such process runs.
            if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH
                && QDir(dir.filePath(name)).removeRecursively())
                ++removed;
        }
    }
    return removed;
}

QString localCopyPath(const QString &folder, const QString &fileName)
{
    return FileDatabase::keyForPath(folder + QLatin1Char('/') + fileName);
}

bool prepareDownload(const FileDatabase &database, const QString &folder,
                     const std::vector<FzFileInfo *> &records)
{
    bool presentLocally = false;
    for (FzFileInfo *record : records) {
        setRecordProperty(*record, kKeyLocalDownloadFolder, FileDatabase::keyForPath(folder));
        const QString path = localCopyPath(folder, recordTitle(*record));
        if (!database.hasEntry(path))
            continue;
        const QString name = database.entryAttribute(path, QLatin1String(kAttrName));
        if (!name.isEmpty())
            presentLocally = true;
        // A copy changed since it came (by whatever program) carries no stamp: it is not taken
        // for the platform's version, and "update the files present" leaves it alone.
        const QString stamp = database.updateStamp(path);
        if (!stamp.isEmpty() && !database.hasLocalChanges(path))
            setRecordProperty(*record, kKeyLocalTimestamp, stamp);
    }
    return presentLocally;
}

QString downloadedFilePath(const FzFileInfo &record)
{
    return localCopyPath(recordProperty(record, kKeyLocalDownloadFolder),
                         recordProperty(record, kKeyFileName));
}

void recordDownloadedFile(FileDatabase &database, const FzFileInfo &record,
                          qint64 arrivedBeforeMs)
{
    const QString path = downloadedFilePath(record);
    database.recordExchange(path, QString(), recordProperty(record, kKeyName),
                            recordProperty(record, kKeyFileModified),
                            recordProperty(record, kKeyType),
                            ContentFingerprint::hashedElsewhere(
                                path, recordProperty(record, kKeySha256).toLatin1(),
                                recordProperty(record, kKeySize).toLongLong(),
                                arrivedBeforeMs));
}
