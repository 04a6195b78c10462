#include "safefilewriter.h"

#include <algorithm>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace {
// Large enough that the disk gets long runs, small enough that it starts early on a drawing of
// a few tens of megabytes.
const qint64 kWriteBackBytes = 4 * 1024 * 1024;
} // namespace

SafeFileWriter::SafeFileWriter(const QString &path)
    : m_file(path)
{
}

bool SafeFileWriter::open()
{
    return m_file.open(QIODevice::WriteOnly);
}

bool SafeFileWriter::write(const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 piece = std::min(size, m_handedOver + kWriteBackBytes - m_written);
        if (m_file.write(data, piece) != piece)
            return false;
        m_written += piece;
        data += piece;
        size -= piece;
        if (m_written - m_handedOver >= kWriteBackBytes)
            startWriteBack();
    }
    return true;
}

void SafeFileWriter::startWriteBack()
{
#ifdef Q_OS_LINUX
    // Only a start: the flush in commit() still waits until every byte is on the disk.
    if (m_file.flush())
        ::sync_file_range(m_file.handle(), m_handedOver, m_written - m_handedOver,
                          SYNC_FILE_RANGE_WRITE);
#endif
    m_handedOver = m_written;
}

bool SafeFileWriter::commit()
{
    return m_file.commit();
}

QString SafeFileWriter::errorString() const
{
    return m_file.errorString();
}
