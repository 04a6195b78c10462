#pragma once

#include <QByteArray>

#include <functional>
#include <mutex>

// The body of an answer that has no end known in advance (an event stream): whoever feeds it
// writes from any thread, and the connection that sends it reads what is there. A connection
// with nothing to send is set aside (costing no thread) and taken up again by the next write.
// What is written but not yet sent is bounded: a reader that does not keep up is cut off (it
// reconnects and catches up on its own). Shared by the server's request and the feeder.
class ResponseStream
{
public:
    explicit ResponseStream(qint64 maxBufferedBytes);

    // Feeder side. False when the stream has ended (or ends now: too much waits unsent).
    bool write(const QByteArray &bytes);
    // What is written still goes out; then the body ends.
    void finish();
    bool isFinished() const;

    // Server side. Copies up to max waiting bytes into buffer and returns how many; 0 when none
    // wait, in which case suspend() has been called and the next write calls resume(); -1 at
    // the end. suspend and resume are kept until detach().
    qint64 read(char *buffer, qint64 max, std::function<void()> suspend,
                std::function<void()> resume);
    // The connection is gone: nothing is resumed from now on, and writes fail.
    void detach();

private:
    void wakeLocked();

    const qint64 m_maxBuffered;
    mutable std::mutex m_mutex; // guards all below
    QByteArray m_waiting;
    bool m_finished = false;
    bool m_suspended = false;
    std::function<void()> m_resume;
};
