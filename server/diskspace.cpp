#include "diskspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>
#include <QStorageInfo>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcDisk, "platform.disk")

namespace {
QMutex g_mutex;
QString g_folder;
std::atomic<qint64> g_warningBytes{0};
qint64 g_reserveBytes = 0;
bool g_low = false; // the last check was below the warning level
bool g_givenBack = false; // the reserve went to a full disk and has not been made again

const char kReserveFileName[] = "space-reserve";

qint64 freeBytesOf(const QString &folder)
{
    if (folder.isEmpty())
        return -1;
    const QStorageInfo storage(folder);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

QString reservePath()
{
    return g_folder.isEmpty() ? QString()
                              : QDir(g_folder).filePath(QLatin1String(kReserveFileName));
}

// Makes the reserve file with its blocks taken on the disk; none is left half made.
void makeReserve()
{
    const QString path = reservePath();
    if (path.isEmpty() || g_reserveBytes <= 0 || QFileInfo(path).size() == g_reserveBytes)
        return;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC,
                          0600);
    const bool made = fd >= 0 && ::posix_fallocate(fd, 0, g_reserveBytes) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!made) {
        QFile::remove(path);
        return;
    }
    g_givenBack = false;
    qCInfo(lcDisk).noquote() << QStringLiteral("a reserve of %1 MiB is kept in %2")
                                    .arg(g_reserveBytes / (1024 * 1024))
                                    .arg(path);
}
} // namespace

void DiskSpace::setFolder(const QString &folder)
{
    QMutexLocker locker(&g_mutex);
    g_folder = folder;
    g_low = false;
}

void DiskSpace::setReserveBytes(qint64 bytes)
{
    QMutexLocker locker(&g_mutex);
    g_reserveBytes = bytes;
    if (bytes <= 0)
        QFile::remove(reservePath());
}

void DiskSpace::releaseReserve()
{
    QMutexLocker locker(&g_mutex);
    const QString path = reservePath();
    if (path.isEmpty() || !QFileInfo::exists(path) || !QFile::remove(path))
        return;
    g_givenBack = true;
    qCWarning(lcDisk).noquote()
        << QStringLiteral("No space left on device: the reserve of %1 MiB is given back, so that "
                          "files can be deleted to make room; free space on the disk of %2")
               .arg(g_reserveBytes / (1024 * 1024))
               .arg(g_folder);
}

bool DiskSpace::takesNewContents()
{
    QMutexLocker locker(&g_mutex);
    return !g_givenBack;
}

void DiskSpace::setWarningBytes(qint64 bytes)
{
    g_warningBytes = bytes;
}

qint64 DiskSpace::warningBytes()
{
    return g_warningBytes;
}

qint64 DiskSpace::freeBytes()
{
    QMutexLocker locker(&g_mutex);
    return freeBytesOf(g_folder);
}

bool DiskSpace::isFull(const QString &reason)
{
    static const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));
    if (reason.contains(noSpace, Qt::CaseInsensitive)
        || reason.contains(QLatin1String("database or disk is full"), Qt::CaseInsensitive))
        return true;
    const qint64 free = freeBytes();
    return free >= 0 && free < kFullBytes;
}

QString DiskSpace::fullText()
{
    return QStringLiteral("No space left on device: the platform cannot store this until space "
                          "is freed on its disk");
}

QString DiskSpace::failureText(const QString &what, const QString &reason)
{
    return isFull(reason) ? fullText() : what;
}

qint64 DiskSpace::check()
{
    const qint64 warning = g_warningBytes;
    QMutexLocker locker(&g_mutex);
    qint64 free = freeBytesOf(g_folder);
    if (free >= 2 * g_reserveBytes && g_reserveBytes > 0 && !QFileInfo::exists(reservePath())) {
        makeReserve();
        free = freeBytesOf(g_folder);
    }
    if (free < 0 || warning <= 0)
        return free;
    const bool low = free < warning;
    if (low != g_low) {
        g_low = low;
        if (low)
            qCWarning(lcDisk).noquote()
                << QStringLiteral("free space low: %1 MiB left in %2 (warning below %3 MiB)")
                       .arg(free / (1024 * 1024))
                       .arg(g_folder)
                       .arg(warning / (1024 * 1024));
        else
            qCInfo(lcDisk).noquote()
                << QStringLiteral("free space back above the warning level: %1 MiB left in %2")
                       .arg(free / (1024 * 1024))
                       .arg(g_folder);
    }
    return free;
}
