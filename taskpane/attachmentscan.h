#pragma once

#include "save/referencetreebuilder.h"

#include <QHash>
#include <QObject>
#include <QRunnable>
#include <QStringList>

class OdDbHostAppServices;

// Reads the referenced drawings of a task-pane rebuild from disk for their images and PDFs, on
// the application's global thread pool (which deletes it afterwards), so that a drawing with
// many references does not hold up the host. The answer travels to the window through the
// queued scanned signal, tagged with the rebuild it belongs to.
class AttachmentScan : public QObject, public QRunnable
{
    Q_OBJECT

public:
    using Result = QHash<QString, DrawingAttachments>;

    // services: the host's, which read drawings for any thread.
    AttachmentScan(const QStringList &drawingPaths, OdDbHostAppServices *services,
                   int generation);

    void run() override;

signals:
    void scanned(const AttachmentScan::Result &attachments, int generation);

private:
    const QStringList m_drawingPaths;
    OdDbHostAppServices *m_services;
    const int m_generation;
};

Q_DECLARE_METATYPE(AttachmentScan::Result)
