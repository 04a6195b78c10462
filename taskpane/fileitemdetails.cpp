#include "fileitemdetails.h"

#include "fileitems/fileitemview.h"
#include "open/earlierversionfolder.h"
#include "fileitems/filestatus.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/localfilestatus.h"

FileItemDetails fileItemDetails(const FileDatabase &database, const QString &localPath,
                                const MAPSTRCADOBJ &details, const QString &currentUser,
                                bool stale, const QSet<QString> &waiting)
{
    FileItemDetails result;
    // Copies of an earlier version are known to nobody: not new, not the platform's either.
    if (EarlierVersionFolder::revisionHolding(localPath) > 0) {
        result.status = FileStatusEarlierVersion;
        return result;
    }
    const QString key = FileDatabase::keyForPath(localPath);
    // The indexed look-up: a list of hundreds of files asks for each.
    const QString name = database.entryAttribute(key, QStringLiteral("name"));
    result.name = name;
    if (waiting.contains(key.toLower())) {
        result.status = FileStatusWaiting;
        result.entry = details.value(name);
        result.modified = platformStampMSecs(result.entry.fileModified);
        result.known = true;
        return result;
    }
    if (stale && !details.contains(name)) {
        // Nothing is known of the platform's version: no reason to call it newer.
        const LocalFileStatus local = localFileStatus(database, key, QString(), &result.known);
        if (local == LocalFileStatus::New || local == LocalFileStatus::ModifiedLocally)
            result.status = int(local);
        return result;
    }
    result.entry = details.value(name);
    result.modified = platformStampMSecs(result.entry.fileModified);
    result.status = int(localFileStatus(database, key, result.entry.fileModified, &result.known));
    result.lockState = result.known ? lockStateFor(result.entry.lockedBy, currentUser) : NotLocked;
    return result;
}

void showFileItemDetails(FileItemView &view, const FileItemDetails &details,
                         const QString &fileName)
{
    view.setStatus(details.status);
    view.setLockOwner(details.entry.lockedBy);
    view.setLockState(details.lockState);
    view.setKnown(details.known);
    view.setText(fileName, details.entry.fileModified, details.entry.collaborativeSpace);
    view.setVersionStory(versionStoryText(details.entry.revision, details.entry.modifiedBy,
                                          details.entry.fileModified, details.entry.comment));
}
