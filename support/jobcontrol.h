#pragma once

#include <QElapsedTimer>
#include <QMutex>
#include <QString>

#include <atomic>

// How far a job has come: files and bytes done of their totals (a total of 0 is not known),
// and the file being worked on.
struct JobProgress
{
    qint64 processedFiles = 0;
    qint64 totalFiles = 0;
    qint64 processedBytes = 0;
    qint64 totalBytes = 0;
    QString currentName;
};

// The side of a job that its work sees, on the worker thread: where the work reports how far it
// has come and asks whether it should stop. Shared by the job (main thread), which reads it a
// few times a second, and its work, so it lives as long as either of them; every member may be
// called from any thread.
class JobControl
{
public:
    JobControl();

    // Set by the job when it is killed or times out; the work stops at the next check, undoing
    // what it had done.
    bool isCancelled() const { return m_cancelled.load(); }
    void cancel() { m_cancelled.store(true); }

    void setTotals(qint64 files, qint64 bytes);
    void setCurrentName(const QString &name);
    void addProcessed(qint64 files, qint64 bytes);
    // A sign of life without amounts: the work is busy and not stuck.
    void alive();

    JobProgress progress() const;
    // Grows with every change of the progress, so a reader can tell whether anything moved.
    quint64 changeCount() const;
    // Milliseconds since the work last reported anything, or since the control was made.
    qint64 msecsSinceAlive() const;

private:
    std::atomic<bool> m_cancelled{false};
    mutable QMutex m_mutex; // guards m_progress, m_changes, m_alive
    JobProgress m_progress;
    quint64 m_changes = 0;
    QElapsedTimer m_alive;
};
