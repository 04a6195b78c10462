#include "partialdownload.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/file.h>

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
    if (!m_file.open(QIODevice::ReadWrite)) {
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
    return m_file.resize(0) && m_file.seek(0);
}

bool PartialDownload::append(const char *data, size_t length)
{
    if (m_file.write(data, static_cast<qint64>(length)) != static_cast<qint64>(length))
        return false;
    m_digest.add(data, length);
    m_size += static_cast<qint64>(length);
    return true;
}

bool PartialDownload::commit(const QString &targetPath, QString *error)
{
    m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
                          | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (!m_file.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(targetPath, m_file.errorString());
        return false;
    }
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
