#pragma once

#include "accountstore.h"
#include "eventlog.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

class ResponseStream;

// Hands the events of the platform's event log to the event streams of signed-in callers: a
// thread of its own reads the log a few times a second (so events recorded by any platform
// process sharing the database arrive), and writes each event to the streams of the callers
// who are members of its space at that moment; at every keep-alive (15 seconds unless serve is
// told otherwise) it writes a comment line that keeps idle connections open through proxies,
// and ends the streams whose sessions ended. A
// stream costs no thread while nothing is sent. Owned by the HTTP service; subscribe() runs on
// the request's thread.
class EventHub
{
public:
    // keepAlive: how often streams get a comment line and have their sessions checked.
    explicit EventHub(std::chrono::seconds keepAlive);
    ~EventHub();
    EventHub(const EventHub &) = delete;
    EventHub &operator=(const EventHub &) = delete;

    void start();
    // Ends every stream (their connections may then close) and the thread.
    void stop();

    // A stream for who, signed in with the session token: first what they missed after
    // lastEventId (negative: nothing asked; an id the log no longer holds, or never gave: one
    // "resync" event), then every new event they may see.
    std::shared_ptr<ResponseStream> subscribe(const Caller &who, const QString &token,
                                              qint64 lastEventId);
    int subscriberCount() const;

private:
    struct Subscriber {
        qint64 userId = 0;
        QString sessionKey;
        std::shared_ptr<ResponseStream> stream;
        qint64 sentThrough = 0; // replayed on subscribing up to here
    };

    void run();
    void poll();
    void keepAlive();
    // Gives the events to the subscribers who are members of their spaces now.
    void deliver(const QVector<PlatformEvent> &events);

    mutable std::mutex m_mutex; // guards the subscribers, m_stopping and the log position
    std::condition_variable m_wake;
    std::vector<Subscriber> m_subscribers;
    bool m_stopping = false;
    bool m_started = false;
    bool m_poked = false; // this process committed events: read the log now
    // The log is read above m_watermark; events above it already given are in m_given (an
    // event numbered lower may still commit on another process).
    qint64 m_watermark = 0;
    std::set<qint64> m_given;
    std::chrono::steady_clock::time_point m_gapSince;
    std::chrono::steady_clock::time_point m_lastKeepAlive;
    std::chrono::steady_clock::time_point m_lastPrune;
    const std::chrono::seconds m_keepAlive;
    std::thread m_thread;
};
