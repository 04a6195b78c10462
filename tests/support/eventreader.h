#pragma once

#include "platformclient.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// One subscriber's event stream of a test platform, signed in as a demo user and read on a
// thread of its own until the reader goes.
class EventReader
{
public:
    // lastEventId: sent as Last-Event-ID unless empty.
    EventReader(const QString &serverHost, const QString &user,
                const std::string &lastEventId = std::string());
    ~EventReader();
    EventReader(const EventReader &) = delete;
    EventReader &operator=(const EventReader &) = delete;

    bool isSignedIn() const { return m_signedIn; }
    // The stream ended (the platform closed it); its HTTP status then.
    bool hasEnded() const { return m_ended; }
    int status() const { return m_status; }
    // The stream is open: its first comment came.
    bool isOpen() const;
    QByteArray text() const;
    // One line per event, "kind title user revision lockedBy comment" ("resync" for a resync),
    // in the order they came.
    QStringList events() const;
    // The id of the last event that came, or "".
    std::string lastId() const;

private:
    PlatformClient m_client;
    bool m_signedIn = false;
    mutable std::mutex m_mutex; // guards m_text
    QByteArray m_text;
    std::atomic<bool> m_ended{false};
    std::atomic<int> m_status{0};
    std::thread m_thread;
};
