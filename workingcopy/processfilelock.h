#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

// An exclusive lock between processes (and between uses within one process) on a lock file,
// held from tryLock() until destruction. The system drops it when the holding process ends,
// however it ends (killed, crashed, or left unreaped by its parent), so a program that is gone
// never keeps the next one waiting.
class ProcessFileLock
{
public:
    explicit ProcessFileLock(const QString &lockFilePath);
    ~ProcessFileLock();
    ProcessFileLock(const ProcessFileLock &) = delete;
    ProcessFileLock &operator=(const ProcessFileLock &) = delete;

    // True once held; false when another holder still has it at the deadline. A lock file that
    // cannot be opened or locked at all (a read-only folder, a file system without locks) is
    // logged and counts as held: other processes are then not kept out.
    bool tryLock(const QDeadlineTimer &deadline);

private:
    QByteArray m_path;
    int m_fd = -1;
};
