#pragma once

#include "drawingset/filedetailsjob.h"

#include <QString>
#include <QStringList>

// The platform details query of one task-pane rebuild: a job made per rebuild on the main
// thread, whose answer, with the path of the drawing it was asked for, reaches the window
// through CADObjectDetailsFinished. Queries of quick successive rebuilds run one after the
// other (the module-wide details lock). The window owns it.
class CADObjectDetailsThread : public FileDetailsJob
{
    Q_OBJECT

public:
    // tenant: the file database's tenant, taken on the main thread.
    CADObjectDetailsThread(AurexPlatform *platform, const QStringList &files,
                           const QString &drawingPath, const QString &tenant,
                           QObject *parent = nullptr);

    QString drawingPath() const { return m_drawingPath; }

signals:
    // Main thread, after a good result.
    void CADObjectDetailsFinished(const MAPSTRCADOBJ &details, const QString &drawingPath);

public slots:
    // Starts the query.
    void GetCADObjectDetails();

private:
    const QString m_drawingPath;
};
