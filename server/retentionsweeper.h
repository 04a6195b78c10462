#pragma once

#include "retention.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// Applies a retention to every object when it starts and every hour after, on a thread of its
// own, so that versions growing older than the retention keeps go without waiting for their
// object's next check-in; objects longer in the trash than trashDays go for good then too.
// Owned by the serve command; stops and joins its thread when it goes.
class RetentionSweeper
{
public:
    RetentionSweeper(const Retention &retention, int trashDays);
    ~RetentionSweeper();
    RetentionSweeper(const RetentionSweeper &) = delete;
    RetentionSweeper &operator=(const RetentionSweeper &) = delete;

private:
    void run();

    Retention m_retention;
    int m_trashDays;
    std::mutex m_mutex; // guards m_stopping
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
