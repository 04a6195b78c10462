#include "attachmentscan.h"

#include <QFileInfo>

AttachmentScan::AttachmentScan(const QStringList &drawingPaths, OdDbHostAppServices *services,
                               int generation)
    : m_drawingPaths(drawingPaths)
    , m_services(services)
    , m_generation(generation)
{
    qRegisterMetaType<AttachmentScan::Result>();
    setAutoDelete(true);
}

void AttachmentScan::run()
{
    Result attachments;
    for (const QString &path : m_drawingPaths) {
        if (!attachments.contains(path) && QFileInfo::exists(path))
            attachments.insert(path, attachmentsOnDisk(m_services, path));
    }
    emit scanned(attachments, m_generation);
}
