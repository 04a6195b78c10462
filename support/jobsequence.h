#pragma once

#include "aurexjob.h"
#include "dialogjobs.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

#include <functional>

// Steps that run one after another, each usually a job whose outcome the next reads: a flow of
// platform and disk work (spaces, then details, then rows; names, then the check-in) written
// top to bottom in one place. A step makes its job only when its turn comes, so it can use what
// the steps before it produced, and makes none when it has nothing to do; its then() runs on
// the main thread after the job succeeded and may end the flow early (stop(), fail()). The
// first step that fails ends the flow: one error path, finished() with error() and
// errorString(), and failedJob() to look at the job that failed. cancel() kills the running
// job and ends the flow the same way. Under a dialog each job runs under the dialog's box
// (DialogJobs), whose Cancel cancels the flow. Main thread; one run per sequence.
class JobSequence : public QObject
{
    Q_OBJECT

public:
    using Make = std::function<AurexJob *()>;
    using Then = std::function<void()>;

    explicit JobSequence(QObject *parent = nullptr);
    // Runs each job under the dialog's boxes instead of on its own. Before start().
    void runUnder(DialogJobs *jobs);

    // Adds a step: make returns the job (taken over) or null when there is nothing to do.
    JobSequence &step(Make make, Then then = Then());
    // A step without a job: the flow goes on after it, unless it ends it.
    JobSequence &then(Then then) { return step(Make(), std::move(then)); }
    // A step whose job moves files: under a dialog, it shows the transfer progress.
    JobSequence &transfer(Make make, Then then = Then());
    // Steps whose then() reads the job they made, of class J; it runs only when there was one.
    template <typename J>
    JobSequence &step(std::function<J *()> make, std::function<void(J &)> then)
    {
        return add(typed(std::move(make), std::move(then), DialogJobs::PleaseWait));
    }
    template <typename J>
    JobSequence &transfer(std::function<J *()> make, std::function<void(J &)> then)
    {
        return add(typed(std::move(make), std::move(then), DialogJobs::Transfer));
    }

    void start();
    // Kills the running job; the flow ends with KilledError.
    void cancel();
    // From a then(): the flow ends well after it, the steps after it do not run.
    void stop();
    // From a then(): the flow ends after it with this user-facing reason (WorkError).
    void fail(const QString &reason);

    bool isRunning() const { return m_running; }
    // After finished(): NoError when every step ran (or stop() ended it), else how it failed.
    int error() const { return m_error; }
    QString errorString() const { return m_errorString; }
    // During finished(): the job that failed, or null (all went well, or a then() failed).
    AurexJob *failedJob() const { return m_failedJob; }

signals:
    void finished(JobSequence *sequence);

private:
    struct Step
    {
        Make make;
        Then then;
        DialogJobs::Box box;
    };

    template <typename J>
    static Step typed(std::function<J *()> make, std::function<void(J &)> then,
                      DialogJobs::Box box)
    {
        // The job made is deleted only after its then() has run.
        auto made = std::make_shared<QPointer<J>>();
        return {[make = std::move(make), made]() -> AurexJob * { return *made = make(); },
                [then = std::move(then), made] {
                    if (*made)
                        then(**made);
                },
                box};
    }
    JobSequence &add(Step step);
    void runNext();
    void stepEnded(AurexJob *job, const Then &then);
    void end(int error, const QString &errorString, AurexJob *job);

    QVector<Step> m_steps;
    int m_next = 0;
    QPointer<DialogJobs> m_jobs;
    QPointer<AurexJob> m_current;
    AurexJob *m_failedJob = nullptr;
    bool m_running = false;
    bool m_ending = false; // a then() asked to end the flow after it
    int m_error = AurexJob::NoError;
    QString m_errorString;
};
