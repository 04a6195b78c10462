#pragma once

#include "drawingset/referencetreebuilder.h"

#include "support/aurexjob.h"

#include <QHash>
#include <QStringList>

#include <memory>

class OdDbHostAppServices;

// Reads the referenced drawings of a task-pane rebuild from disk for their images and PDFs, as
// a job, so that a drawing with many references does not hold up the host. Made per rebuild
// by the window, which owns it and drops it when a later rebuild takes over.
class AttachmentScan : public AurexJob
{
    Q_OBJECT

public:
    using Result = QHash<QString, DrawingAttachments>;

    // services: the host's, which read drawings for any thread; they outlive the work.
    AttachmentScan(const QStringList &drawingPaths, OdDbHostAppServices *services,
                   QObject *parent = nullptr);
    ~AttachmentScan() override;

    // After a good result: the attachments of each drawing that exists.
    Result attachments() const { return m_attachments; }

private:
    void workSucceeded() override;

    std::shared_ptr<Result> m_scanned;
    Result m_attachments;
};
