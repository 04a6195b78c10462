#include "attachmentscan.h"

#include <QFileInfo>

AttachmentScan::AttachmentScan(const QStringList &drawingPaths, OdDbHostAppServices *services,
                               QObject *parent)
    : AurexJob(parent)
    , m_scanned(std::make_shared<Result>())
{
    setWork([drawingPaths, services, scanned = m_scanned](JobControl &control) {
        control.setTotals(drawingPaths.size(), 0);
        for (const QString &path : drawingPaths) {
            if (control.isCancelled())
                break;
            control.setCurrentName(path);
            if (!scanned->contains(path) && QFileInfo::exists(path))
                scanned->insert(path, attachmentsOnDisk(services, path));
            control.addProcessed(1, 0);
        }
        return QString();
    });
}

AttachmentScan::~AttachmentScan() = default;

void AttachmentScan::workSucceeded()
{
    m_attachments = std::move(*m_scanned);
}
