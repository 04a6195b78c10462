#pragma once

#include "support/aurexjob.h"

#include <QString>

#include <memory>

class AurexPlatform;

// Downloads one platform model by its id into a folder, as a job. Made on the main thread per
// model asked for (by the launcher's start-up or the local bridge); the platform outlives the
// work.
class ModelDownload : public AurexJob
{
    Q_OBJECT

public:
    ModelDownload(AurexPlatform *platform, const QString &modelId, const QString &folder,
                  QObject *parent = nullptr);
    ~ModelDownload() override;

    QString modelId() const { return m_modelId; }
    // After a good result: where the model arrived.
    QString localPath() const { return m_localPath; }

private:
    void workSucceeded() override;

    const QString m_modelId;
    std::shared_ptr<QString> m_arrived;
    QString m_localPath;
};
