#include "localfilestatus.h"

#include "filedatabase.h"
#include "workingcopyconstants.h"

#include "connector/recordconstants.h"

LocalFileStatus localFileStatus(const FileDatabase &database, const QString &localPath,
                                const QString &platformStamp, bool *known)
{
    const QString path = FileDatabase::keyForPath(localPath);
    const QString storedStamp = database.updateStamp(path);
    const bool hasEntry = storedStamp != QLatin1String(kNoEntry);
    if (known)
        *known = hasEntry;
    if (!hasEntry)
        return LocalFileStatus::New;
    // Work the platform lacks comes first, whichever program changed the file.
    if (database.hasLocalChanges(path))
        return LocalFileStatus::ModifiedLocally;
    if (!storedStamp.isEmpty() && storedStamp == platformStamp)
        return LocalFileStatus::Current;
    return LocalFileStatus::OutOfDate;
}

LocalFileStatus localFileStatus(const QString &tenant, const QString &localPath,
                                const QString &platformStamp, bool *known)
{
    const FileDatabase database(tenant);
    return localFileStatus(database, localPath, platformStamp, known);
}
