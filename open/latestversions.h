#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class AurexPlatform;
class DownloadThread;
class JobSequence;

// Brings the platform's current version of local copies down in their places, as a download
// brings files (local changes kept beside them, the drawing's references repaired): adds to
// flow the details query of the copies, then the download, whose then() sees it done. Each copy
// is its local path and the platform name it is known by. What failed is the flow's failed job:
// the download's report tells why per file.
void addLatestVersionSteps(JobSequence *flow, AurexPlatform *platform,
                           const QList<QPair<QString, QString>> &copies,
                           const QString &drawingPath, const QString &tenant,
                           std::function<void(DownloadThread &)> then);
// Why the flow that addLatestVersionSteps() set up failed, in a line.
QString latestVersionsProblem(const JobSequence &flow);
