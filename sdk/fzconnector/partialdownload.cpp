#include "partialdownload.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/file.h>
#include <unistd.h>

PartialDownload::PartialDownload(const QString &folder, const QString &fileName,
                                 const QString &version)
{
    // A name near the system's limit leaves no room for the version.
    const QString stem = fileName.toUtf8().size() > 220 ? QStringLiteral("download") : fileName;
    const QString tag = version.isEmpty() ? QStringLiteral("unknown") : version.left(16);
    m_file.setFileName(QDir(folder).filePath(stem + QLatin1Char('.') + tag
                                             + QStringLiteral(".part")));
}

bool PartialDownload::open(QString *error)
{
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        *error = QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    // Closing the file releases the lock.
    if (::flock(m_file.handle(), LOCK_EX | LOCK_NB) != 0) {
        *error = QStringLiteral("%1 is being downloaded by another program")
                     .arg(m_file.fileName());
        m_file.close();
        return false;
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 read; (read = m_file.read(block.data(), block.size())) > 0;) {
        m_digest.add(block.constData(), static_cast<size_t>(read));
        m_size += read;
    }
    return m_file.seek(m_size);
}

bool PartialDownload::restart()
{
    m_digest.hex();
    m_size = 0;
    if (m_file.resize(0) && m_file.seek(0))
        return true;
    m_error = m_file.errorString();
    return false;
}

bool PartialDownload::append(const char *data, size_t length)
{
    // Written straight to the file, so that a refused write gives the system's reason (a full
    // disk, a file too large) rather than a short count without one.
    for (size_t done = 0; done < length;) {
        const ssize_t written = ::write(m_file.handle(), data + done, length - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_error = QString::fromLocal8Bit(std::strerror(written < 0 ? errno : ENOSPC));
            return false;
        }
        done += size_t(written);
    }
    m_digest.add(data, length);
    m_size += static_cast<qint64>(length);
    return true;
}

bool PartialDownload::commit(const QString &targetPath, QString *error)
{
    m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
                          | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // Replaces an older copy in one step, which QFile::rename refuses to do.
    if (std::rename(QFile::encodeName(m_file.fileName()).constData(),
                    QFile::encodeName(targetPath).constData())
        != 0) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(targetPath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_file.close();
    return true;
}

void PartialDownload::discard()
{
    if (m_file.exists())
        m_file.remove();
}
