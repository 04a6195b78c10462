#include "detailsquery.h"

#include "drawingsetlogging.h"

#include "connector/aurexplatform.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "session/signedin.h"
#include "workingcopy/contentfingerprint.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopyconstants.h"
#include "workingcopy/localcopyrequest.h"

#include <fzfileinfo.h>

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

// Changed copies whose bytes are the platform's newer version of them: an earlier check-in
// stored them and its answer was lost (the host stopped, the connection broke) before the file
// database could note it. They are recorded as exchanged now, so that neither the task pane nor
// the next save takes them for someone else's change. Only such copies are read.
void recordVersionsStoredFromHere(const QString &tenant, const QStringList &localPaths,
                                  const RecordList &answers, MAPSTRCADOBJ *details)
{
    QHash<QString, const FzFileInfo *> byName;
    for (const FzFileInfo *answer : answers)
        byName.insert(recordProperty(*answer, kKeyName), answer);
    FileDatabase database(tenant);
    bool recorded = false;
    for (const QString &localPath : localPaths) {
        const QString key = FileDatabase::keyForPath(localPath);
        const QString name = database.entryAttribute(key, QLatin1String(kAttrName));
        const FzFileInfo *answer = byName.value(name);
        const auto entry = details->find(name);
        if (!answer || entry == details->end() || entry->storedFromHere
            || entry->fileModified == database.entryValue(key, QLatin1String(kAttrBaseStamp))
            || !database.hasLocalChanges(key))
            continue;
        const QByteArray sha256 = recordProperty(*answer, kKeySha256).toLatin1();
        const ContentFingerprint here = ContentFingerprint::of(localPath);
        if (sha256.isEmpty() || here.sha256 != sha256)
            continue;
        database.recordExchange(key, recordProperty(*answer, kKeyPhid), name,
                                entry->fileModified, recordProperty(*answer, kKeyType), here);
        entry->storedFromHere = true;
        recorded = true;
    }
    if (recorded && !database.save())
        qCWarning(lcDrawingSet).noquote()
            << "versions stored from here not recorded:" << database.errorString();
}

} // namespace

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
    recordVersionsStoredFromHere(tenant, localPaths, requests, &details);
    if (answered)
        *answered = allAnswered || !details.isEmpty();
    return details;
}
