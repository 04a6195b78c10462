#pragma once

#include "save/fileentry.h"

#include <QObject>
#include <QRunnable>
#include <QStringList>

// The platform details query of one task-pane rebuild, run once on the application's global
// thread pool, which deletes it afterwards. The answer, with the path of the drawing it was
// asked for, travels to the window through the queued CADObjectDetailsFinished signal. Queries
// of quick successive rebuilds run one after the other (the module-wide details lock).
class CADObjectDetailsThread : public QObject, public QRunnable
{
    Q_OBJECT

public:
    // tenant: the file database's tenant, taken on the main thread.
    CADObjectDetailsThread(const QStringList &files, const QString &drawingPath,
                           const QString &tenant);

    void run() override;

signals:
    void CADObjectDetailsFinished(const MAPSTRCADOBJ &details, const QString &drawingPath);

public slots:
    void GetCADObjectDetails();

private:
    const QStringList m_files;
    const QString m_drawingPath;
    const QString m_tenant;
};
