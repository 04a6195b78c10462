#include "responsestream.h"

#include <cstring>

ResponseStream::ResponseStream(qint64 maxBufferedBytes) : m_maxBuffered(maxBufferedBytes) {}

bool ResponseStream::write(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_finished)
        return false;
    if (m_waiting.size() + bytes.size() > m_maxBuffered) {
        // A reader this far behind is let go; what it missed it asks for when it comes back.
        m_waiting.clear();
        m_finished = true;
        wakeLocked();
        return false;
    }
    m_waiting.append(bytes);
    wakeLocked();
    return true;
}

void ResponseStream::finish()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished = true;
    wakeLocked();
}

bool ResponseStream::isFinished() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_finished;
}

qint64 ResponseStream::read(char *buffer, qint64 max, std::function<void()> suspend,
                            std::function<void()> resume)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_waiting.isEmpty()) {
        const qint64 taken = qMin<qint64>(max, m_waiting.size());
        std::memcpy(buffer, m_waiting.constData(), static_cast<size_t>(taken));
        m_waiting.remove(0, static_cast<int>(taken));
        return taken;
    }
    if (m_finished)
        return -1;
    // Set aside under the lock: a write cannot slip in between and find nothing to resume.
    m_resume = std::move(resume);
    m_suspended = true;
    suspend();
    return 0;
}

void ResponseStream::detach()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished = true;
    m_suspended = false;
    m_resume = nullptr;
}

void ResponseStream::wakeLocked()
{
    if (!m_suspended || !m_resume)
        return;
    m_suspended = false;
    m_resume();
}
