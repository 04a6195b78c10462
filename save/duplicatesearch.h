#pragma once

#include "saveset.h"

#include "support/resultjob.h"

#include <QList>
#include <QMap>
#include <QStringList>

// The save dialog's search for platform files whose titles the rows would take, space by
// space, as a job. Made per check on the main thread; the platform outlives the work.
class DuplicateSearch : public ResultJob<QList<SaveSet::Duplicate>>
{
    Q_OBJECT

public:
    DuplicateSearch(AurexPlatform *platform, const QMap<QString, QStringList> &titles,
                    QObject *parent = nullptr);

    // After a good result: the files found.
    QList<SaveSet::Duplicate> duplicates() const { return value(); }
};
