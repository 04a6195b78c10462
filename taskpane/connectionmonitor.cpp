#include "connectionmonitor.h"

#include "connector/aurexplatform.h"
#include "save/outboxdelivery.h"
#include "session/showaurextaskpane.h"
#include "support/hostaccess.h"
#include "support/valuejob.h"

#include <QLocale>
#include <QTimer>

namespace {
// While the platform cannot be reached, the pane asks again after this long, twice as long
// each time up to the longest.
constexpr int kFirstRetryMs = 5000;
constexpr int kLongestRetryMs = 120000;
} // namespace

ConnectionMonitor::ConnectionMonitor(ShowAurexTaskPane *session, OutboxDelivery *delivery,
                                     QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_delivery(delivery)
    , m_retryTimer(new QTimer(this))
    , m_firstRetryMs(kFirstRetryMs)
    , m_longestRetryMs(kLongestRetryMs)
    , m_retryDelayMs(kFirstRetryMs)
{
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &ConnectionMonitor::retry);
    connect(session, &ShowAurexTaskPane::offlineChanged, this,
            &ConnectionMonitor::offlineChanged);
    connect(delivery, &OutboxDelivery::progress, this,
            [this](const QString &line) { say(line); });
    connect(delivery, &OutboxDelivery::finished, this, [this](const QString &line) {
        say(line, !line.isEmpty());
        // What went is current now; a save that did not go leaves the statuses as they are.
        if (m_delivery->sentCount() > 0)
            emit refreshDue();
    });
}

void ConnectionMonitor::setRetryDelays(int firstMs, int longestMs)
{
    m_firstRetryMs = firstMs;
    m_longestRetryMs = longestMs;
    m_retryDelayMs = firstMs;
}

void ConnectionMonitor::platformAnswered()
{
    setOffer(false);
    if (m_session->isOffline()) {
        say(tr("Working offline: statuses as last known; saves wait in the outbox until you go "
               "online."));
        return;
    }
    m_retryTimer->stop();
    m_retryDelayMs = m_firstRetryMs;
    m_knownAt = QDateTime::currentDateTime();
    if (!m_delivery->isRunning())
        say(m_delivery->waitingLine());
    if (m_sendOutbox) {
        m_sendOutbox = false;
        m_delivery->start();
    }
}

void ConnectionMonitor::platformUnreachable(const QString &reason)
{
    const QString since = m_knownAt.isValid()
        ? tr("Statuses as of %1.").arg(QLocale().toString(m_knownAt, QLocale::ShortFormat))
        : tr("No statuses are known yet.");
    m_sendOutbox = true;
    m_offerOffline = true;
    say(reason + QLatin1Char(' ') + since, true);
    retryLater();
}

void ConnectionMonitor::refreshAsked()
{
    m_sendOutbox = true;
}

void ConnectionMonitor::workOfflineUntilBack()
{
    m_session->setOffline(true);
    m_onlineWhenBack = true;
    m_retryTimer->start(m_retryDelayMs);
}

void ConnectionMonitor::say(const QString &line, bool problem)
{
    m_line = line;
    m_problem = problem;
    emit changed();
}

void ConnectionMonitor::setOffer(bool offer)
{
    if (offer == m_offerOffline)
        return;
    m_offerOffline = offer;
    emit changed();
}

void ConnectionMonitor::offlineChanged(bool offline)
{
    m_retryTimer->stop();
    m_retryDelayMs = m_firstRetryMs;
    m_sendOutbox = !offline;
    m_onlineWhenBack = false;
    m_offerOffline = false;
    if (offline)
        say(tr("Working offline."));
    else
        emit changed();
    emit refreshDue();
}

void ConnectionMonitor::retryLater()
{
    m_retryTimer->start(m_retryDelayMs);
    m_retryDelayMs = qMin(m_retryDelayMs * 2, m_longestRetryMs);
}

void ConnectionMonitor::retry()
{
    if (!m_session->isOffline()) {
        emit refreshDue();
        return;
    }
    if (!m_onlineWhenBack)
        return;
    AurexPlatform *platform = m_session->onlinePlatform();
    auto *probe = new ValueJob<QString>([platform](JobControl &, QString &reason) {
        reason = platform->unreachableReason();
        return QString();
    }, this);
    connect(probe, &AurexJob::result, probe, &QObject::deleteLater);
    connect(probe, &AurexJob::result, this, [this, probe] {
        if (!m_session->isOffline() || !m_onlineWhenBack)
            return;
        if (!probe->value().isEmpty()) {
            retryLater();
            return;
        }
        HostAccess::writeToCommandLine(tr("The AUREX Platform answers again: working online."));
        m_session->setOffline(false);
    });
    probe->start();
}
