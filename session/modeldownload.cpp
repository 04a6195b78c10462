#include "modeldownload.h"

#include "connector/aurexplatform.h"

#include <QCoreApplication>
#include <QFileInfo>

ModelDownload::ModelDownload(AurexPlatform *platform, const QString &modelId,
                             const QString &folder, QObject *parent)
    : ResultJob(parent)
    , m_modelId(modelId)
{
    setValueWork([platform, modelId, folder](JobControl &control, QString &arrived) {
        control.setTotals(1, 0);
        control.setCurrentName(modelId);
        const QString path = platform->downloadObject(modelId, folder);
        if (path.isEmpty() || !QFileInfo(path).isFile())
            return QCoreApplication::translate(
                       "QObject", "The model %1 could not be downloaded from the AUREX Platform.")
                .arg(modelId);
        arrived = path;
        control.addProcessed(1, QFileInfo(path).size());
        return QString();
    });
}
