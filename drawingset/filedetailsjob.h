#pragma once

#include "fileentry.h"

#include "support/resultjob.h"

#include <QStringList>

class AurexPlatform;

// The platform details of a drawing's files (see queryFileDetails) as a job: made on the main
// thread by the save dialog or the task pane per query. A query that got no answer at all ends
// with the reason the platform cannot be reached. The platform outlives the work.
class FileDetailsJob : public ResultJob<MAPSTRCADOBJ>
{
    Q_OBJECT

public:
    FileDetailsJob(AurexPlatform *platform, const QString &tenant, const QStringList &localPaths,
                   QObject *parent = nullptr);

    // After a good result: the answers keyed by platform name.
    MAPSTRCADOBJ details() const { return value(); }
};
