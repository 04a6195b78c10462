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
    // A local save empties the stored stamp, so a saved file is never current.
    if (!storedStamp.isEmpty() && storedStamp == platformStamp)
        return LocalFileStatus::Current;
    if (database.isLocallyModified(path) == QLatin1String(kTrue))
        return LocalFileStatus::ModifiedLocally;
    return LocalFileStatus::OutOfDate;
}

LocalFileStatus localFileStatus(const QString &tenant, const QString &localPath,
                                const QString &platformStamp, bool *known)
{
    const FileDatabase database(tenant);
    return localFileStatus(database, localPath, platformStamp, known);
}
