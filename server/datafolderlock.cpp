#include "datafolderlock.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const char kLockFileName[] = "serve.lock";
} // namespace

DataFolderLock::~DataFolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool DataFolderLock::acquire(const QString &dataDir, QString *error)
{
    const QString path = QDir(dataDir).filePath(QLatin1String(kLockFileName));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = QStringLiteral("cannot open %1: %2")
                     .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        // The holder wrote its process id into the file.
        char holder[32] = {};
        const ssize_t read = ::pread(fd, holder, sizeof holder - 1, 0);
        ::close(fd);
        *error = reason == EWOULDBLOCK
            ? QStringLiteral("another aurex-platform (process %1) serves the data folder %2 "
                             "already; stop it first or give another --data")
                  .arg(QString::fromLatin1(holder, read > 0 ? static_cast<int>(read) : 0)
                           .trimmed(),
                       QDir::toNativeSeparators(dataDir))
            : QStringLiteral("cannot lock %1: %2")
                  .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(strerror(reason)));
        return false;
    }
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    // The lock holds without it; only the message of a second serve would lack the number.
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.constData(), pid.size(), 0) != pid.size())
        qWarning("cannot note the process id in %s", qPrintable(path));
    m_fd = fd;
    return true;
}
