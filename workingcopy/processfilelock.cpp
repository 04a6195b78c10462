#include "processfilelock.h"

#include "workingcopylogging.h"

#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// flock cannot wait with a deadline: it is tried again after this many milliseconds.
constexpr unsigned long kRetryMs = 20;
} // namespace

ProcessFileLock::ProcessFileLock(const QString &lockFilePath)
    : m_path(QFile::encodeName(lockFilePath))
{
}

ProcessFileLock::~ProcessFileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the only descriptor of the lock file drops the lock
}

bool ProcessFileLock::tryLock(const QDeadlineTimer &deadline)
{
    // flock locks belong to the open file description and vanish with the process.
    m_fd = ::open(m_path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0) // an existing lock file in a folder we may not write to
        m_fd = ::open(m_path.constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        qCWarning(lcWorkingCopy) << "cannot open the lock file" << m_path << ":"
                                 << std::strerror(errno) << "- other processes are not kept out";
        return true;
    }
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(kRetryMs);
        } else if (errno != EINTR) {
            qCWarning(lcWorkingCopy) << "cannot lock" << m_path << ":" << std::strerror(errno);
            return true;
        }
    }
    return true;
}
