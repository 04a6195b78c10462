#include "filestatusscan.h"

#include "save/outbox.h"
#include "workingcopy/filedatabase.h"

FileStatusScan::FileStatusScan(const QString &tenant, const QStringList &paths,
                               const MAPSTRCADOBJ &details, const QString &currentUser,
                               bool stale, QObject *parent)
    : ResultJob(parent)
{
    // This computer's files, not the platform: never given up for silence.
    setNoProgressTimeout(0);
    setValueWork([tenant, paths, details, currentUser,
                  stale](JobControl &control, QVector<FileItemDetails> &statuses) {
        control.setTotals(paths.size(), 0);
        const QSet<QString> waiting = Outbox(tenant).waitingKeys();
        const FileDatabase database(tenant);
        statuses.reserve(paths.size());
        for (const QString &path : paths) {
            if (control.isCancelled())
                break;
            statuses.append(fileItemDetails(database, path, details, currentUser, stale, waiting));
        }
        control.addProcessed(paths.size(), 0);
        return QString();
    });
}
