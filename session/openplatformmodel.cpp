#include "openplatformmodel.h"

#include "modeldownload.h"
#include "sessionlogging.h"

#include "support/hostaccess.h"

#include <cfxdocumentmanager.h>

#include <QCoreApplication>

namespace {

// Opens what arrived in the host; "" when it did, else the reason.
QString openInHost(const QString &localPath,
                   const std::function<void(const QString &localPath)> &beforeOpen)
{
    CFxDocumentManager *documents = HostAccess::documents();
    if (!documents)
        return QObject::tr("%1 was downloaded, but the application cannot open drawings.")
            .arg(localPath);
    if (beforeOpen)
        beforeOpen(localPath);
    if (!documents->OpenDocument(localPath))
        return QObject::tr("%1 was downloaded, but it could not be opened.").arg(localPath);
    return QString();
}

} // namespace

void openPlatformModel(AurexPlatform *platform, const QString &modelId, const QString &folder,
                       std::function<void(const QString &localPath)> beforeOpen,
                       std::function<void(const QString &localPath, const QString &error)> done)
{
    if (modelId.isEmpty()) {
        done(QString(), QObject::tr("No model was named to open."));
        return;
    }
    auto *download = new ModelDownload(platform, modelId, folder); // deletes itself at the end
    QObject::connect(download, &AurexJob::result, download,
                     [download, beforeOpen = std::move(beforeOpen), done = std::move(done)] {
        download->deleteLater();
        if (download->error() != AurexJob::NoError) {
            qCDebug(lcSession) << "model" << download->modelId() << "could not be downloaded";
            done(QString(), download->errorString());
            return;
        }
        const QString localPath = download->localPath();
        const QString error = openInHost(localPath, beforeOpen);
        done(error.isEmpty() ? localPath : QString(), error);
    });
    download->start();
}
