#pragma once

#include "fileitemdetails.h"

#include "support/resultjob.h"

#include <QStringList>
#include <QVector>

// Works out what the task pane shows for each listed file from a details answer, the file
// database and the outbox, as a job: the file database is read on the job's thread, never on
// the host's. Made by the pane's model per answer.
class FileStatusScan : public ResultJob<QVector<FileItemDetails>>
{
    Q_OBJECT

public:
    // paths: the listed files, in the lists' order (a file listed twice stands twice).
    // stale: the answer is the last one known, the platform did not answer now.
    FileStatusScan(const QString &tenant, const QStringList &paths, const MAPSTRCADOBJ &details,
                   const QString &currentUser, bool stale, QObject *parent = nullptr);
};
