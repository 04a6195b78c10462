#include "cadobjectdetailsthread.h"

#include "save/detailsquery.h"

CADObjectDetailsThread::CADObjectDetailsThread(const QStringList &files,
                                               const QString &drawingPath, const QString &tenant)
    : m_files(files)
    , m_drawingPath(drawingPath)
    , m_tenant(tenant)
{
    qRegisterMetaType<MAPSTRCADOBJ>("MAPSTRCADOBJ");
    setAutoDelete(true);
}

void CADObjectDetailsThread::run()
{
    GetCADObjectDetails();
}

void CADObjectDetailsThread::GetCADObjectDetails()
{
    emit CADObjectDetailsFinished(queryFileDetails(m_tenant, m_files), m_drawingPath);
}
