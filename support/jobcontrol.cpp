#include "jobcontrol.h"

#include <QMutexLocker>

JobControl::JobControl()
{
    m_alive.start();
}

void JobControl::setTotals(qint64 files, qint64 bytes)
{
    QMutexLocker locker(&m_mutex);
    m_progress.totalFiles = files;
    m_progress.totalBytes = bytes;
    ++m_changes;
    m_alive.restart();
}

void JobControl::setCurrentName(const QString &name)
{
    QMutexLocker locker(&m_mutex);
    m_progress.currentName = name;
    ++m_changes;
    m_alive.restart();
}

void JobControl::addProcessed(qint64 files, qint64 bytes)
{
    QMutexLocker locker(&m_mutex);
    m_progress.processedFiles += files;
    m_progress.processedBytes += bytes;
    ++m_changes;
    m_alive.restart();
}

void JobControl::alive()
{
    QMutexLocker locker(&m_mutex);
    m_alive.restart();
}

JobProgress JobControl::progress() const
{
    QMutexLocker locker(&m_mutex);
    return m_progress;
}

quint64 JobControl::changeCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_changes;
}

qint64 JobControl::msecsSinceAlive() const
{
    QMutexLocker locker(&m_mutex);
    return m_alive.elapsed();
}
