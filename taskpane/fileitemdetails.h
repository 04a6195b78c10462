#pragma once

#include "drawingset/fileentry.h"

#include <QSet>
#include <QString>

class FileDatabase;
class FileItemView;

// What the task pane shows for one listed file once a details answer has arrived: its status
// and lock state, whether the platform knows it, and the platform's details.
struct FileItemDetails
{
    int status = 4;
    int lockState = 3;
    bool known = false;
    QString name; // the platform name the file database knows the file by, or ""
    FileEntry entry;
    // The platform's modification time of the entry in milliseconds since the epoch (0 when
    // unknown): the lists' date order, worked out once with the rest.
    qint64 modified = 0;
};

// Decides the status and lock of the file at localPath from the details answer: the answer's
// entry is found through the platform name the file database holds for the path; a file
// without a database entry is new, unless it belongs to an earlier version opened for viewing.
// With stale details (the last known, the platform did not answer now), a file they have no
// entry for keeps an unknown status unless it has local changes or is new. A file whose key
// (lower case) is among waiting waits in the outbox, whatever the details say.
FileItemDetails fileItemDetails(const FileDatabase &database, const QString &localPath,
                                const MAPSTRCADOBJ &details, const QString &currentUser,
                                bool stale = false,
                                const QSet<QString> &waiting = QSet<QString>());
// Shows the details on a row or tile of the file named fileName.
void showFileItemDetails(FileItemView &view, const FileItemDetails &details,
                         const QString &fileName);
