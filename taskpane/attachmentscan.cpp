#include "attachmentscan.h"

#include <QFileInfo>

AttachmentScan::AttachmentScan(const QStringList &drawingPaths, OdDbHostAppServices *services,
                               QObject *parent)
    : ResultJob(parent)
{
    // This computer's disk, not the platform: never given up for silence.
    setNoProgressTimeout(0);
    setValueWork([drawingPaths, services](JobControl &control, Result &scanned) {
        control.setTotals(drawingPaths.size(), 0);
        for (const QString &path : drawingPaths) {
            if (control.isCancelled())
                break;
            control.setCurrentName(path);
            if (!scanned.contains(path) && QFileInfo::exists(path))
                scanned.insert(path, attachmentsOnDisk(services, path));
            control.addProcessed(1, 0);
        }
        return QString();
    });
}
