#include "downloadfolder.h"

#include "filedatabase.h"
#include "workingcopyconstants.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"

#include <fzfileinfo.h>

#include <QFileInfo>
#include <QStandardPaths>

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
        const QString name = database.entryValue(path, QLatin1String(kAttrName));
        if (name == QLatin1String(kNoEntry))
            continue;
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

void recordDownloadedFile(FileDatabase &database, const FzFileInfo &record)
{
    database.recordExchange(downloadedFilePath(record), QString(),
                            recordProperty(record, kKeyName),
                            recordProperty(record, kKeyFileModified),
                            recordProperty(record, kKeyType));
}
