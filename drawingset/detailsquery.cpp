#include "detailsquery.h"

#include "drawingsetlogging.h"

#include "connector/aurexplatform.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "session/signedin.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/localcopyrequest.h"

#include <fzfileinfo.h>

#include <QMutex>
#include <QMutexLocker>

QMutex &detailsQueryMutex()
{
    static QMutex mutex;
    return mutex;
}

MAPSTRCADOBJ queryFileDetails(AurexPlatform &platform, const QString &tenant,
                              const QStringList &localPaths, bool *answered)
{
    if (answered)
        *answered = true;
    QMutexLocker locker(&detailsQueryMutex());
    RecordList requests;
    {
        const FileDatabase database(tenant);
        requests = detailRequestsForLocalCopies(database, localPaths);
    }
    MAPSTRCADOBJ details;
    if (requests.empty() || !signedIn())
        return details;
    const bool allAnswered = platform.details(requests);
    if (!allAnswered)
        qCDebug(lcDrawingSet) << "details: not every file was answered";
    for (const FzFileInfo *record : requests) {
        const QString modified = recordProperty(*record, kKeyFileModified);
        if (modified.isEmpty())
            continue; // not on the platform, or not visible to the user
        FileEntry entry;
        entry.fileModified = modified;
        entry.lockedBy = recordProperty(*record, kKeyLockedBy);
        entry.collaborativeSpace = recordProperty(*record, kKeySpace);
        entry.owner = recordProperty(*record, kKeyOwner);
        entry.modifiedBy = recordProperty(*record, kKeyModifiedBy);
        // A request carries a revision of its own until the platform's answer replaces it.
        const QString revision = recordProperty(*record, kKeyRevision);
        entry.revision = revision == QLatin1String(kLocalRevision) ? QString() : revision;
        entry.comment = recordProperty(*record, kKeyComment);
        entry.role = recordProperty(*record, kKeyRole);
        details.insert(recordProperty(*record, kKeyName), entry);
    }
    if (answered)
        *answered = allAnswered || !details.isEmpty();
    return details;
}
