#pragma once

#include "drawingset/referencetreebuilder.h"

#include "support/resultjob.h"

#include <QHash>
#include <QStringList>

class OdDbHostAppServices;

using AttachmentsByDrawing = QHash<QString, DrawingAttachments>;

// Reads the referenced drawings of a task-pane rebuild from disk for their images and PDFs, as
// a job, so that a drawing with many references does not hold up the host. Made per rebuild
// by the window, which owns it and drops it when a later rebuild takes over.
class AttachmentScan : public ResultJob<AttachmentsByDrawing>
{
    Q_OBJECT

public:
    using Result = AttachmentsByDrawing;

    // services: the host's, which read drawings for any thread; they outlive the work.
    AttachmentScan(const QStringList &drawingPaths, OdDbHostAppServices *services,
                   QObject *parent = nullptr);

    // After a good result: the attachments of each drawing that exists.
    Result attachments() const { return value(); }
};
