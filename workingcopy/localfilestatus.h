#pragma once

#include <QString>

class FileDatabase;

// How a local file stands against the platform's version of it. The task pane adds values of
// its own after these.
enum class LocalFileStatus {
    New = 0,             // the file database has no entry for the path
    ModifiedLocally = 1, // saved locally or changed since the last download or check-in
    Current = 2,         // the stored stamp equals the platform's
    OutOfDate = 3,       // not saved locally, and the stored stamp differs or is empty
};

// The status of localPath ("\" separators allowed) against the platform's stamp; *known
// (optional) is false only for New. Uses the given database, so that a caller walking many
// files loads it once.
LocalFileStatus localFileStatus(const FileDatabase &database, const QString &localPath,
                                const QString &platformStamp, bool *known = nullptr);
// The same for one file: opens the tenant's database for the look-up.
LocalFileStatus localFileStatus(const QString &tenant, const QString &localPath,
                                const QString &platformStamp, bool *known = nullptr);
