#include "retentionsweeper.h"

#include "database.h"
#include "trash.h"

#include <QLoggingCategory>

#include <chrono>

Q_LOGGING_CATEGORY(lcRetention, "platform.retention")

RetentionSweeper::RetentionSweeper(const Retention &retention, int trashDays)
    : m_retention(retention), m_trashDays(trashDays)
{
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
            const int pruned = m_retention.keepsAll() ? 0 : m_retention.pruneAll();
            if (pruned > 0)
                qCInfo(lcRetention) << "pruned" << pruned << "versions";
            const int purged = Trash::purge(m_trashDays);
            if (purged > 0)
                qCInfo(lcRetention) << "deleted" << purged << "objects for good from the trash";
        } catch (const ApiError &failure) {
            qCWarning(lcRetention) << "pruning failed:" << failure.what();
        }
        lock.lock();
    } while (!m_wake.wait_for(lock, std::chrono::hours(1), [this] { return m_stopping; }));
}
