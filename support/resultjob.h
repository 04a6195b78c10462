#pragma once

#include "aurexjob.h"

#include <functional>
#include <memory>

// A job whose work produces one value: the work fills the value it is handed, on its thread,
// and the job takes it over on the main thread once the work has succeeded. One run per job.
template <typename T>
class ResultJob : public AurexJob
{
public:
    using AurexJob::AurexJob;

    // After a good result.
    const T &value() const { return m_value; }
    T takeValue() { return std::move(m_value); }

protected:
    using ValueWork = std::function<QString(JobControl &control, T &value)>;

    void setValueWork(ValueWork work)
    {
        setWork([filled = m_filled, work = std::move(work)](JobControl &control) {
            return work(control, *filled);
        });
    }

private:
    void workSucceeded() override { m_value = std::move(*m_filled); }

    // Filled by the work; shared with it, so a job gone before its work ends leaves it alive.
    std::shared_ptr<T> m_filled = std::make_shared<T>();
    T m_value;
};
