#include "openplatformmodel.h"

#include "sessionlogging.h"

#include "connector/aurexplatform.h"
#include "support/hostaccess.h"

#include <cfxdocumentmanager.h>

#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>

QString openPlatformModel(AurexPlatform &platform, const QString &modelId, const QString &folder,
                          QString *errorMessage,
                          const std::function<void(const QString &localPath)> &beforeOpen)
{
    errorMessage->clear();
    if (modelId.isEmpty()) {
        *errorMessage = QCoreApplication::translate("QObject", "No model was named to open.");
        return QString();
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QString localPath = platform.downloadObject(modelId, folder);
    QGuiApplication::restoreOverrideCursor();
    if (localPath.isEmpty() || !QFileInfo(localPath).isFile()) {
        qCDebug(lcSession) << "model" << modelId << "could not be downloaded";
        *errorMessage = QCoreApplication::translate(
                            "QObject", "The model %1 could not be downloaded from the AUREX "
                                       "Platform.")
                            .arg(modelId);
        return QString();
    }
    CFxDocumentManager *documents = HostAccess::documents();
    if (!documents) {
        *errorMessage = QCoreApplication::translate("QObject", "%1 was downloaded, but the "
                                                               "application cannot open drawings.")
                            .arg(localPath);
        return QString();
    }
    if (beforeOpen)
        beforeOpen(localPath);
    if (!documents->OpenDocument(localPath)) {
        *errorMessage = QCoreApplication::translate("QObject", "%1 was downloaded, but it could "
                                                               "not be opened.")
                            .arg(localPath);
        return QString();
    }
    return localPath;
}
