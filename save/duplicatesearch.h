#pragma once

#include "saveset.h"

#include "support/resultjob.h"

#include <QList>
#include <QMap>
#include <QStringList>

// The save dialog's search for platform files whose titles the set's new rows would take,
// space by space, as a job. A file found that holds exactly the bytes of the new file here and
// that the user saved is the one an earlier save stored whose answer was lost: the tenant's file
// database records it, and it is no duplicate. Made per check on the main thread; the platform
// outlives the work.
class DuplicateSearch : public ResultJob<QList<SaveSet::Duplicate>>
{
    Q_OBJECT

public:
    DuplicateSearch(AurexPlatform *platform, const SaveSet &set, const QString &tenant,
                    QObject *parent = nullptr);

    // After a good result: the files found.
    QList<SaveSet::Duplicate> duplicates() const { return value(); }
};
