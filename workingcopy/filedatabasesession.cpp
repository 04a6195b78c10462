#include "filedatabasesession.h"

#include "processfilelock.h"
#include "workingcopyconstants.h"
#include "workingcopylogging.h"

#include <QHash>
#include <QMutex>
#include <QWaitCondition>

namespace {

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

FileDatabaseSession::~FileDatabaseSession() = default;

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
    m_lock = std::make_unique<ProcessFileLock>(m_filePath + QLatin1String(kLockFileSuffix));
    return m_lock->tryLock(deadline);
}
