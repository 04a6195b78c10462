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

QString downloadFolderForTitle(const FileDatabase &database, const QString &title)
{
    const QString path =
        database.valueWhere(QLatin1String(kAttrName), title, QLatin1String(kAttrPath));
    return path.isEmpty() ? documentsFolder() : QFileInfo(path).path();
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
        setRecordProperty(*record, kKeyLocalDownloadFolder, folder);
        const QString path = localCopyPath(folder, recordTitle(*record));
        if (!database.valueWhere(QLatin1String(kAttrPath), path, QLatin1String(kAttrName)).isEmpty())
            presentLocally = true;
        const QString stamp =
            database.valueWhere(QLatin1String(kAttrPath), path, QLatin1String(kAttrUpdateStamp));
        if (!stamp.isEmpty())
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
