#include "retentionsweeper.h"

#include "database.h"

#include <QLoggingCategory>

#include <chrono>

Q_LOGGING_CATEGORY(lcRetention, "platform.retention")

RetentionSweeper::RetentionSweeper(const Retention &retention) : m_retention(retention)
{
    if (!m_retention.keepsAll())
        m_thread = std::thread([this] { run(); });
}

RetentionSweeper::~RetentionSweeper()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void RetentionSweeper::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    do {
        lock.unlock();
        try {
            const int pruned = m_retention.pruneAll();
            if (pruned > 0)
                qCInfo(lcRetention) << "pruned" << pruned << "versions";
        } catch (const ApiError &failure) {
            qCWarning(lcRetention) << "pruning failed:" << failure.what();
        }
        lock.lock();
    } while (!m_wake.wait_for(lock, std::chrono::hours(1), [this] { return m_stopping; }));
}
