#include "aurexjob.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {
// How often a running job looks at its work's progress and last sign of life.
constexpr int kWatchIntervalMs = 100;
// How long the end of the application waits for work still running, in milliseconds.
constexpr int kStopAtExitMs = 10000;
// How long platform work may go without a sign of life before its job gives up, in seconds,
// unless the environment variable says otherwise.
constexpr int kDefaultSilenceSeconds = 90;
const char kSilenceVariable[] = "AUREX_PLATFORM_SILENCE_SECONDS";

// Work that has not ended yet, whether or not its job still exists. Main thread only.
struct RunningWork
{
    QPointer<QThread> thread;
    std::shared_ptr<JobControl> control;
};

QList<RunningWork> &runningWork()
{
    static QList<RunningWork> running;
    return running;
}
} // namespace

bool AurexJob::stopAll(int msecs)
{
    const QDeadlineTimer deadline(msecs);
    for (const RunningWork &work : qAsConst(runningWork()))
        work.control->cancel();
    bool allEnded = true;
    for (const RunningWork &work : qAsConst(runningWork())) {
        if (work.thread && !work.thread->wait(deadline))
            allEnded = false;
    }
    return allEnded;
}

int AurexJob::defaultNoProgressTimeout()
{
    static const int msecs = [] {
        bool ok = false;
        const int seconds = qEnvironmentVariableIntValue(kSilenceVariable, &ok);
        return (ok && seconds > 0 ? seconds : kDefaultSilenceSeconds) * 1000;
    }();
    return msecs;
}

AurexJob::AurexJob(QObject *parent)
    : QObject(parent)
    , m_watch(new QTimer(this))
    , m_noProgressTimeout(defaultNoProgressTimeout())
{
    m_watch->setInterval(kWatchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &AurexJob::watchWork);
}

AurexJob::~AurexJob()
{
    if (m_control)
        m_control->cancel();
}

void AurexJob::setWork(Work work)
{
    m_work = std::move(work);
}

void AurexJob::setNoProgressTimeout(int msecs)
{
    m_noProgressTimeout = msecs;
}

JobProgress AurexJob::progress() const
{
    return m_control ? m_control->progress() : JobProgress();
}

bool AurexJob::beginRun()
{
    Q_ASSERT(!m_running && m_work);
    if (m_running || !m_work)
        return false;
    m_running = true;
    m_error = NoError;
    m_errorString.clear();
    // Each run has its own control and error slot: a killed run that is still finishing
    // reports into its own, which nobody reads any more.
    m_control = std::make_shared<JobControl>();
    m_workError = std::make_shared<QString>();
    return true;
}

void AurexJob::start()
{
    if (!beginRun())
        return;
    // Work still running as the application object goes is told to stop and waited for, so
    // that no work thread outlives what it uses.
    static const bool stopsAtExit = [] {
        qAddPostRoutine([] { stopAll(kStopAtExitMs); });
        return true;
    }();
    Q_UNUSED(stopsAtExit)
    QThread *thread = QThread::create(
        [work = m_work, control = m_control, workError = m_workError] {
            *workError = work(*control);
        });
    m_thread = thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        // A killed run that ends late, or one replaced by a later start(), reports nothing.
        if (m_running && thread == m_thread)
            workEnded();
    });
    runningWork().append({thread, m_control});
    connect(thread, &QThread::finished, thread, [thread] {
        runningWork().erase(std::remove_if(runningWork().begin(), runningWork().end(),
                                           [thread](const RunningWork &work) {
                                               return work.thread == thread;
                                           }),
                            runningWork().end());
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_seenChanges = 0;
    m_watch->start();
    thread->start();
}

void AurexJob::runHere()
{
    if (!beginRun())
        return;
    *m_workError = m_work(*m_control);
    workEnded();
}

bool AurexJob::kill()
{
    if (!m_running)
        return false;
    finish(KilledError, tr("Cancelled."));
    return true;
}

bool AurexJob::waitForWork(int msecs)
{
    return !m_thread || m_thread->wait(static_cast<unsigned long>(msecs));
}

void AurexJob::workEnded()
{
    const QString failure = *m_workError;
    if (failure.isEmpty())
        workSucceeded();
    finish(failure.isEmpty() ? NoError : WorkError, failure);
}

void AurexJob::watchWork()
{
    if (!m_running || !m_control)
        return;
    const quint64 changes = m_control->changeCount();
    if (changes != m_seenChanges) {
        m_seenChanges = changes;
        emit progressed(this);
    }
    if (m_noProgressTimeout <= 0 || m_control->msecsSinceAlive() < m_noProgressTimeout)
        return;
    const int seconds = (m_noProgressTimeout + 999) / 1000;
    finish(TimedOutError, seconds == 1
                              ? tr("The AUREX Platform did not answer for 1 second.")
                              : tr("The AUREX Platform did not answer for %1 seconds.")
                                    .arg(seconds));
}

void AurexJob::finish(int error, const QString &errorString)
{
    m_watch->stop();
    m_running = false;
    if (error != NoError && m_control)
        m_control->cancel();
    m_error = error;
    m_errorString = errorString;
    emit result(this);
}
