#pragma once

#include "jobcontrol.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QThread;
class QTimer;

// One piece of platform or disk work that can take more than a moment (a search, a details
// query, a download, a check-in, a scan of drawings), in one shape: start() runs its work on a
// thread of its own, progressed() reports files and bytes done, kill() ends it at once, and
// result() comes exactly once with error() and a user-facing errorString(). The job object
// lives on the main thread; its owner (usually its parent) decides when it goes. The work
// never touches the job: it sees only its JobControl and the data it captured, so a killed or
// deleted job may leave its work finishing in the background, which then undoes what it did.
class AurexJob : public QObject
{
    Q_OBJECT

public:
    enum Error { NoError = 0, KilledError, TimedOutError, WorkError };

    // Runs on the worker thread; returns "" when it succeeded, else what the user is told. It
    // checks control.isCancelled() between steps and stops, leaving nothing half done.
    using Work = std::function<QString(JobControl &control)>;

    explicit AurexJob(QObject *parent = nullptr);
    // A job destroyed while it runs is killed first (without result()).
    ~AurexJob() override;

    // How long the work may go without any progress or sign of life before the job gives up
    // (TimedOutError); 0 waits for ever. Set before start(). By default, the time a platform
    // may stay silent (AUREX_PLATFORM_SILENCE_SECONDS, else 90 seconds: longer than the
    // connector waits for the answer to one call, much shorter than it waits in a transfer).
    void setNoProgressTimeout(int msecs);

    void start();
    // Runs the work on the calling thread and returns after result(): for command-line tools
    // and benchmarks that have nothing else to do meanwhile.
    void runHere();
    // Ends a running job now with KilledError; its work is told to stop. False when the job
    // was not running.
    bool kill();

    bool isRunning() const { return m_running; }
    int error() const { return m_error; }
    QString errorString() const { return m_errorString; }
    JobProgress progress() const;

    // Waits up to msecs for the work's thread to end (also after a kill); for tests and for
    // shutdown. True when no work thread is left.
    bool waitForWork(int msecs);
    // Tells the work of every job still running, also of jobs already gone, to stop, and waits
    // up to msecs in all for it to end: the work's code leaves with the module. Main thread;
    // true when none is left.
    static bool stopAll(int msecs);

signals:
    void progressed(AurexJob *job);
    void result(AurexJob *job);

protected:
    void setWork(Work work);
    // Main thread, after the work succeeded and before result(): takes over what the work
    // produced. The default does nothing.
    virtual void workSucceeded() {}

private:
    static int defaultNoProgressTimeout();
    bool beginRun();
    void workEnded();
    void watchWork();
    void finish(int error, const QString &errorString);

    Work m_work;
    std::shared_ptr<JobControl> m_control;
    std::shared_ptr<QString> m_workError; // written by the work, read after its thread ended
    QPointer<QThread> m_thread;           // deletes itself when the work ends
    QTimer *m_watch; // reads the work's progress and sign of life while it runs
    quint64 m_seenChanges = 0;
    int m_noProgressTimeout;
    bool m_running = false;
    int m_error = NoError;
    QString m_errorString;
};
