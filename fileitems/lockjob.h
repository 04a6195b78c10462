#pragma once

#include "support/aurexjob.h"

#include <QString>

#include <memory>

class AurexPlatform;
class FzFileInfo;

// Locks or unlocks one file on the platform, as a job, so that a platform slow to answer
// never holds the CAD application. A refusal's errorString() names the file and, when the
// platform cannot be reached, why. The platform outlives the work.
class LockJob : public AurexJob
{
    Q_OBJECT

public:
    LockJob(AurexPlatform *platform, std::unique_ptr<FzFileInfo> request, bool lock,
            const QString &name, QObject *parent = nullptr);
};
