#include "renumbering.h"

#include "database.h"
#include "eventlog.h"
#include "objectstore.h"
#include "versionstore.h"

QString Renumbering::skipPast(qint64 margin)
{
    Transaction transaction;
    const QString next = ObjectStore::skipNames(margin);
    VersionStore::skipCheckInIds(margin);
    EventLog::skipNumbers(margin);
    transaction.commit();
    return next;
}
