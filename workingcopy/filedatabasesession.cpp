#include "filedatabasesession.h"

#include "workingcopyconstants.h"
#include "workingcopylogging.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// How long a use waiting for another process sleeps between two tries of the lock.
const unsigned long kLockRetryMs = 20;

// The sessions of this process, one per database file in use, and the document of the file
// used last with the bytes it was read from or written to.
struct Registry
{
    QMutex mutex; // guards sessions and the kept document
    QWaitCondition released;
    QHash<QString, FileDatabaseSession *> sessions;
    QString keptPath;
    QByteArray keptBytes;
    FileDatabaseDocument keptDocument;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

} // namespace

FileDatabaseSession::FileDatabaseSession(const QString &filePath)
    : m_filePath(filePath)
    , m_owner(std::this_thread::get_id())
{
}

FileDatabaseSession::~FileDatabaseSession()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd); // closing the only descriptor of the lock file drops the lock
}

FileDatabaseSession *FileDatabaseSession::acquire(const QString &filePath, int waitMs,
                                                 bool *joined)
{
    *joined = false;
    if (filePath.isEmpty())
        return new FileDatabaseSession(filePath);

    const QDeadlineTimer deadline(waitMs);
    Registry &r = registry();
    QMutexLocker locker(&r.mutex);
    for (;;) {
        FileDatabaseSession *session = r.sessions.value(filePath);
        if (!session)
            break;
        if (session->m_owner == std::this_thread::get_id()) {
            ++session->m_uses;
            *joined = true;
            return session;
        }
        if (!r.released.wait(&r.mutex, deadline) && r.sessions.contains(filePath))
            return nullptr;
    }
    auto *session = new FileDatabaseSession(filePath);
    r.sessions.insert(filePath, session);
    locker.unlock();
    // Other threads of this process now wait on the registry; only this one waits for
    // another process.
    if (!session->lockAcrossProcesses(deadline)) {
        release(session);
        return nullptr;
    }
    return session;
}

void FileDatabaseSession::release(FileDatabaseSession *session)
{
    if (!session)
        return;
    if (session->m_filePath.isEmpty()) {
        delete session;
        return;
    }
    Registry &r = registry();
    QMutexLocker locker(&r.mutex);
    if (--session->m_uses > 0)
        return;
    // Only a document that reads back from the file exactly as it is held is kept: one with
    // other content than elements may be laid out otherwise when it is read again.
    if (!session->dirty && !session->fileBytes.isNull() && session->document.isElementOnly()) {
        r.keptPath = session->m_filePath;
        r.keptBytes = session->fileBytes;
        r.keptDocument = std::move(session->document);
    }
    r.sessions.remove(session->m_filePath);
    delete session;
    r.released.wakeAll();
}

bool FileDatabaseSession::adoptKeptDocument(const QByteArray &bytes)
{
    Registry &r = registry();
    QMutexLocker locker(&r.mutex);
    if (r.keptPath != m_filePath || r.keptBytes != bytes)
        return false;
    document = std::move(r.keptDocument);
    r.keptDocument = FileDatabaseDocument();
    r.keptPath.clear();
    r.keptBytes.clear();
    return true;
}

bool FileDatabaseSession::lockAcrossProcesses(const QDeadlineTimer &deadline)
{
    // flock locks belong to the open file description and vanish with the process, so a
    // crashed user never leaves the database locked.
    const QByteArray lockPath = QFile::encodeName(m_filePath + QLatin1String(kLockFileSuffix));
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_lockFd < 0) // an existing lock file in a folder we may not write to
        m_lockFd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC);
    if (m_lockFd < 0) {
        qCWarning(lcWorkingCopy) << "cannot open the lock file" << lockPath << ":"
                                 << std::strerror(errno)
                                 << "- other processes are not kept out of the file database";
        return true;
    }
    // flock cannot wait with a deadline: try, and sleep a little between tries.
    while (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(kLockRetryMs);
        } else if (errno != EINTR) {
            qCWarning(lcWorkingCopy) << "cannot lock" << lockPath << ":" << std::strerror(errno);
            return true;
        }
    }
    return true;
}
