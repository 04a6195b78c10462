#pragma once

#include "support/resultjob.h"

#include <QString>

class AurexPlatform;

// Downloads one platform model by its id into a folder, as a job. Made on the main thread per
// model asked for (by the launcher's start-up or the local bridge); the platform outlives the
// work.
class ModelDownload : public ResultJob<QString>
{
    Q_OBJECT

public:
    ModelDownload(AurexPlatform *platform, const QString &modelId, const QString &folder,
                  QObject *parent = nullptr);

    QString modelId() const { return m_modelId; }
    // After a good result: where the model arrived.
    QString localPath() const { return value(); }

private:
    const QString m_modelId;
};
