#include "localfilestatus.h"

#include "filedatabase.h"
#include "workingcopyconstants.h"

#include "connector/recordconstants.h"

LocalFileStatus localFileStatus(const FileDatabase &database, const QString &localPath,
                                const QString &platformStamp, bool *known)
{
    const QString path = FileDatabase::keyForPath(localPath);
    const bool hasEntry = database.hasEntry(path);
    if (known)
        *known = hasEntry;
    if (!hasEntry)
        return LocalFileStatus::New;
    const QString storedStamp = database.entryAttribute(path, QLatin1String(kAttrUpdateStamp));
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
