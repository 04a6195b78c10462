#include "connectionwatch.h"

#include <QLoggingCategory>

#include <sys/socket.h>

Q_LOGGING_CATEGORY(lcConnections, "platform.connections", QtInfoMsg)

namespace {

// Whether bytes wait in the socket that the server has not read yet.
bool hasUnreadBytes(int fd)
{
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
}

} // namespace

ConnectionWatch::ConnectionWatch(const Limits &limits)
    : m_limits(limits), m_watcher([this] { watch(); })
{
}

ConnectionWatch::~ConnectionWatch()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_watcher.join();
}

bool ConnectionWatch::admits(const QString &address) const
{
    if (m_limits.exempt.contains(address))
        return true;
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_perAddress.find(address);
    const bool admitted = it == m_perAddress.end() || it->second < m_limits.perClient;
    if (!admitted)
        qCInfo(lcConnections).noquote() << "connection from" << address << "refused:" << it->second
                                        << "open already";
    return admitted;
}

void ConnectionWatch::opened(const void *connection, int fd, const QString &address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Entry entry;
    entry.fd = fd;
    entry.address = address;
    entry.waitingSince = Clock::now();
    m_connections[connection] = entry;
    ++m_perAddress[address];
}

void ConnectionWatch::closed(const void *connection)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_connections.find(connection);
    if (it == m_connections.end())
        return;
    const auto count = m_perAddress.find(it->second.address);
    if (count != m_perAddress.end() && --count->second <= 0)
        m_perAddress.erase(count);
    m_connections.erase(it);
}

void ConnectionWatch::headBegun(const void *connection)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_connections.find(connection);
    if (it != m_connections.end())
        it->second.headBegun = true;
}

void ConnectionWatch::requestBegun(const void *connection)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_connections.find(connection);
    if (it != m_connections.end())
        it->second.inRequest = true;
}

void ConnectionWatch::requestEnded(const void *connection)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_connections.find(connection);
    if (it == m_connections.end())
        return;
    it->second.inRequest = false;
    it->second.headBegun = false;
    it->second.waitingSince = Clock::now();
}

int ConnectionWatch::busy() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int count = 0;
    for (const auto &entry : m_connections)
        count += entry.second.inRequest ? 1 : 0;
    return count;
}

int ConnectionWatch::open() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_connections.size());
}

void ConnectionWatch::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        m_wake.wait_for(lock, std::chrono::milliseconds(250));
        const Clock::time_point now = Clock::now();
        for (auto &[connection, entry] : m_connections) {
            if (entry.inRequest || entry.shutDown)
                continue;
            const auto waited = now - entry.waitingSince;
            const bool idleTooLong =
                !entry.headBegun && waited > std::chrono::seconds(m_limits.idleSeconds);
            const bool headTooSlow = waited > std::chrono::seconds(m_limits.headSeconds);
            if (!idleTooLong && !headTooSlow)
                continue;
            // A request that came in time but waits unread, while the connection's server
            // thread answers another connection's request, has begun: the client is not idle,
            // and its request is answered once the thread is free (the head deadline still
            // holds for it).
            if (!headTooSlow && hasUnreadBytes(entry.fd)) {
                entry.headBegun = true;
                continue;
            }
            // The server still owns the socket: it sees the end of the connection and closes
            // it, which removes the entry. The socket stays open until then, so the number
            // cannot belong to another connection yet.
            ::shutdown(entry.fd, SHUT_RDWR);
            entry.shutDown = true;
            if (headTooSlow && entry.headBegun)
                qCInfo(lcConnections).noquote()
                    << "connection from" << entry.address << "closed: no complete request head";
        }
    }
}
