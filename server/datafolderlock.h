#pragma once

#include <QString>

// Keeps a second serve off a data folder that one serves already: an exclusive lock on a file in
// the folder, held for as long as the object lives and let go by the system when the process
// ends, however it ends. Owned by the serve command.
class DataFolderLock
{
public:
    DataFolderLock() = default;
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

    // False, with the reason, when another process holds the folder's lock or the lock file
    // cannot be made.
    bool acquire(const QString &dataDir, QString *error);

private:
    int m_fd = -1;
};
