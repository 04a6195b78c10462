#include "jobsequence.h"

JobSequence::JobSequence(QObject *parent)
    : QObject(parent)
{
}

void JobSequence::runUnder(DialogJobs *jobs)
{
    m_jobs = jobs;
}

JobSequence &JobSequence::step(Make make, Then then)
{
    return add({std::move(make), std::move(then), DialogJobs::PleaseWait});
}

JobSequence &JobSequence::transfer(Make make, Then then)
{
    return add({std::move(make), std::move(then), DialogJobs::Transfer});
}

JobSequence &JobSequence::add(Step step)
{
    m_steps.append(std::move(step));
    return *this;
}

void JobSequence::start()
{
    Q_ASSERT(!m_running && m_next == 0);
    if (m_running)
        return;
    m_running = true;
    runNext();
}

void JobSequence::cancel()
{
    if (m_current)
        m_current->kill(); // its result ends the flow
}

void JobSequence::stop()
{
    m_ending = true;
}

void JobSequence::fail(const QString &reason)
{
    m_ending = true;
    m_error = AurexJob::WorkError;
    m_errorString = reason;
}

void JobSequence::runNext()
{
    // Steps without a job run here one after another; the first job makes the flow wait.
    while (m_next < m_steps.size()) {
        const Step step = m_steps.at(m_next++);
        AurexJob *job = step.make ? step.make() : nullptr;
        if (job) {
            m_current = job;
            connect(job, &AurexJob::result, this, [this, job, then = step.then] {
                stepEnded(job, then);
            });
            if (m_jobs) {
                // The dialog's jobs own the job, show its box and delete it after its result.
                m_jobs->run(job, [] {}, step.box);
            } else {
                job->setParent(this);
                connect(job, &AurexJob::result, job, &QObject::deleteLater);
                job->start();
            }
            return;
        }
        const QPointer<JobSequence> self(this);
        if (step.then)
            step.then();
        if (!self)
            return; // the then() closed what owned the flow
        if (m_ending) {
            end(m_error, m_errorString, nullptr);
            return;
        }
    }
    end(AurexJob::NoError, QString(), nullptr);
}

void JobSequence::stepEnded(AurexJob *job, const Then &then)
{
    m_current = nullptr;
    if (job->error() != AurexJob::NoError) {
        end(job->error(), job->errorString(), job);
        return;
    }
    const QPointer<JobSequence> self(this);
    if (then)
        then();
    if (!self)
        return; // the then() closed what owned the flow
    if (m_ending)
        end(m_error, m_errorString, nullptr);
    else
        runNext();
}

void JobSequence::end(int error, const QString &errorString, AurexJob *job)
{
    m_running = false;
    m_next = m_steps.size();
    m_error = error;
    m_errorString = errorString;
    m_failedJob = job;
    emit finished(this);
    m_failedJob = nullptr;
}
