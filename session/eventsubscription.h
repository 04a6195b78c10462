#pragma once

#include "connector/platformevent.h"

#include <QObject>
#include <QPointer>
#include <QVector>

#include <memory>

class AurexJob;
class AurexPlatform;
class QTimer;

// The platform's event stream of the signed-in user, read while the session is online: one
// stream per host, on a job that comes back after a dropped stream (after 1, 2, 4... up to 30
// seconds) with the id of the last event it had, so that nothing is missed. Each event arrives
// on the main thread by eventArrived(); a resync (the platform could not give what was missed)
// by eventsMissed(); a stream that was open and ended, after what it brought, by
// streamDropped() (the platform may be gone: its answers, not the stream, tell). A refusal of the session ends reading; the connector's session-ended
// handler does the rest. Owned by the session; main thread.
class EventSubscription : public QObject
{
    Q_OBJECT

public:
    explicit EventSubscription(QObject *parent = nullptr);
    ~EventSubscription() override;

    // Reads platform's stream from what happens next, until stop(); platform outlives it.
    void start(AurexPlatform *platform);
    void stop();
    bool isRunning() const;
    // The waits before coming back after a dropped stream, one per attempt in a row (the last
    // repeats).
    void setRetryDelays(const QVector<int> &msecs) { m_retryDelays = msecs; }

signals:
    void eventArrived(const PlatformEvent &event);
    void eventsMissed();
    void streamDropped();

private:
    struct Inbox;
    // Hands on what the job has read.
    void drain();

    std::shared_ptr<Inbox> m_inbox;
    QPointer<AurexJob> m_job;
    QTimer *m_drain;
    QVector<int> m_retryDelays{1000, 2000, 4000, 8000, 16000, 30000};
};
