#pragma once

#include "filedatabasedocument.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <memory>
#include <thread>

class ProcessFileLock;

// The use of one database file by one thread: it holds the file's lock from load to save and
// the document that every FileDatabase of that thread on that file shares. The lock is
// exclusive across the threads of this process and, through a lock file beside the database,
// across processes; a thread that asks again for a file it already uses joins its own session,
// so nested uses neither deadlock nor overwrite each other's changes. The document of the last
// use is kept with the bytes of the file: a file that still holds them is not parsed again, which
// spares the uses that follow each other (one per downloaded file) most of their time.
// Internal to the file database.
class FileDatabaseSession
{
public:
    // Waits until the calling thread may use the file, then returns its session; *joined
    // tells whether the thread was already using it. An empty path gives a session of its own
    // that locks nothing. Null when another thread or process still holds the file after
    // waitMs milliseconds.
    static FileDatabaseSession *acquire(const QString &filePath, int waitMs, bool *joined);
    // Ends one use; the last one unlocks the file and frees the session.
    static void release(FileDatabaseSession *session);

    // When the file holds bytes and the last use of it in this process left its document
    // unchanged, takes that document instead of parsing bytes again. False otherwise.
    bool adoptKeptDocument(const QByteArray &bytes);

    FileDatabaseDocument document;
    // What the file holds as far as this session knows: the bytes it read or wrote last, null
    // when it has neither read nor written the file. The last use keeps the document together
    // with them for the next use in this process, unless the document changed since.
    QByteArray fileBytes;
    // The document holds changes that are not in the file yet.
    bool dirty = false;
    // False while the file on disk could not be read and could not be kept aside: it must not
    // be overwritten.
    bool writable = true;

private:
    explicit FileDatabaseSession(const QString &filePath);
    ~FileDatabaseSession();
    // False when another process still holds the lock file at the deadline.
    bool lockAcrossProcesses(const QDeadlineTimer &deadline);

    QString m_filePath;
    std::thread::id m_owner;
    int m_uses = 1;
    std::unique_ptr<ProcessFileLock> m_lock; // held while the session lives
};
