#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

class OutboxDelivery;
class QTimer;
class ShowAurexTaskPane;

// What the task pane knows of its connection to the platform, and what it does about it: the
// line under the lists (the platform cannot be reached and since when the statuses stand,
// working offline, the outbox waiting or being sent), the offer to work offline while the
// platform cannot be reached, asking again after a while that doubles each time, going online
// again by itself once the platform answers after the user took that offer, and sending the
// outbox on the first answer after the pane starts, the user refreshes or goes online, or the
// platform comes back. Main thread only; the session and the delivery outlive it.
class ConnectionMonitor : public QObject
{
    Q_OBJECT

public:
    ConnectionMonitor(ShowAurexTaskPane *session, OutboxDelivery *delivery,
                      QObject *parent = nullptr);

    // How long to wait before asking again the first time, and the longest wait.
    void setRetryDelays(int firstMs, int longestMs);

    // The line to show ("" for none); a problem shows red.
    QString line() const { return m_line; }
    bool isProblem() const { return m_problem; }
    // Whether the pane offers to work offline until the platform is back.
    bool offersOffline() const { return m_offerOffline; }

    // The details query was answered: by the platform, or, offline, by the file database.
    void platformAnswered();
    // The details query got no answer: says why and since when the statuses stand, offers to
    // work offline and asks again later.
    void platformUnreachable(const QString &reason);
    // The user asked for fresh statuses: the next answer also sends the outbox.
    void refreshAsked();
    // The user took the offer: offline now, online again by itself once the platform answers.
    void workOfflineUntilBack();
    // Shows line until something else is to be said.
    void say(const QString &line, bool problem = false);

signals:
    // The line or the offer changed.
    void changed();
    // The statuses are to be asked for again: the platform may be back, the user went online
    // or offline, or saves from the outbox reached the platform.
    void refreshDue();

private:
    void offlineChanged(bool offline);
    void retry();
    void retryLater();
    void setOffer(bool offer);

    ShowAurexTaskPane *m_session;
    OutboxDelivery *m_delivery;
    QString m_line;
    bool m_problem = false;
    bool m_offerOffline = false;
    // Offline since the user took that offer: online again by itself once the platform answers.
    bool m_onlineWhenBack = false;
    // The next answer of the platform starts sending the outbox: set when the pane starts, the
    // user goes online or refreshes, and while the platform cannot be reached; not after a
    // sending that stopped, which would only be refused again.
    bool m_sendOutbox = true;
    QTimer *m_retryTimer;
    int m_firstRetryMs;
    int m_longestRetryMs;
    int m_retryDelayMs;
    QDateTime m_knownAt; // when the platform last answered
};
