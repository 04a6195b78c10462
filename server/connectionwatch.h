#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

// Keeps account of the open connections of the HTTP server: how many each client address holds,
// and since when each one has been waiting for a request's head. A connection that sends no
// request within the idle deadline, or no complete head within the head deadline, is shut down
// by a watcher thread, however slowly it trickles bytes. Called from the server's threads;
// thread-safe.
class ConnectionWatch
{
public:
    struct Limits {
        int idleSeconds = 5;
        int headSeconds = 10;
        int perClient = 256;
        // Addresses exempt from the per-client limit (a reverse proxy carries many clients).
        QStringList exempt;
    };

    explicit ConnectionWatch(const Limits &limits);
    ~ConnectionWatch();

    // Whether a new connection from this address may be taken.
    bool admits(const QString &address) const;
    void opened(const void *connection, int fd, const QString &address);
    void closed(const void *connection);
    void headBegun(const void *connection);
    void requestBegun(const void *connection);
    void requestEnded(const void *connection);
    // Connections with a request in progress.
    int busy() const;
    // Connections open now.
    int open() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        int fd = -1;
        QString address;
        Clock::time_point waitingSince;
        bool headBegun = false;
        bool inRequest = false;
        bool shutDown = false;
    };

    void watch();

    const Limits m_limits;
    mutable std::mutex m_mutex; // guards m_connections, m_perAddress, m_stopping
    std::map<const void *, Entry> m_connections;
    std::map<QString, int> m_perAddress;
    bool m_stopping = false;
    std::condition_variable m_wake;
    std::thread m_watcher;
};
