#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <mutex>
#include <thread>

// A TCP relay on the loopback between a client and a server that stands in for a network link:
// it counts the bytes each way, can hold each way to a rate, and can cut every connection once
// a way has carried a given number of bytes, or pass requests without a header as an
// intermediary that does not know it would. Relays on a thread of its own, so a client that
// blocks in the calling thread is served.
class LinkProxy
{
public:
    enum Way { ToServer, ToClient };

    explicit LinkProxy(quint16 serverPort);
    ~LinkProxy();
    LinkProxy(const LinkProxy &) = delete;
    LinkProxy &operator=(const LinkProxy &) = delete;

    // 0 when the proxy could not listen.
    quint16 port() const { return m_port; }
    // Bytes per second each way; 0 for as fast as the loopback goes.
    void setRate(qint64 bytesPerSecond) { m_rate = bytesPerSecond; }
    // Once the way has carried this many bytes in all, every open connection is closed; then
    // the link carries on as before. A negative count cancels a cut not made yet.
    void cutOnceAt(Way way, qint64 bytes);
    // Requests reach the server with the header of this name renamed, so the server does not
    // see it; an empty name passes them as they are.
    void hideRequestHeader(const QByteArray &name);
    qint64 bytes(Way way) const { return m_bytes[way]; }
    bool hasCut() const { return m_cut; }

private:
    void run();

    int m_listener = -1;
    quint16 m_port = 0;
    int m_wake[2] = {-1, -1};
    std::atomic<qint64> m_rate{0};
    std::atomic<qint64> m_bytes[2] = {{0}, {0}};
    std::atomic<qint64> m_cutAt[2] = {{-1}, {-1}};
    std::atomic<bool> m_cut{false};
    std::atomic<bool> m_stop{false};
    std::mutex m_hiddenMutex;
    QByteArray m_hidden; // "\r\nName:" of the hidden header, or empty
    std::thread m_thread;
};
