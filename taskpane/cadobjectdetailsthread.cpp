#include "cadobjectdetailsthread.h"

CADObjectDetailsThread::CADObjectDetailsThread(AurexPlatform *platform, const QStringList &files,
                                               const QString &drawingPath, const QString &tenant,
                                               QObject *parent)
    : FileDetailsJob(platform, tenant, files, parent)
    , m_drawingPath(drawingPath)
{
    qRegisterMetaType<MAPSTRCADOBJ>("MAPSTRCADOBJ");
    connect(this, &AurexJob::result, this, [this] {
        if (error() == NoError)
            emit CADObjectDetailsFinished(details(), m_drawingPath);
    });
}

void CADObjectDetailsThread::GetCADObjectDetails()
{
    start();
}
