#include "eventhub.h"

#include "credentials.h"
#include "database.h"
#include "responsestream.h"

#include <QDateTime>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>
#include <QStringList>

Q_LOGGING_CATEGORY(lcEvents, "platform.events")

namespace {

using Clock = std::chrono::steady_clock;

const auto kPollInterval = std::chrono::milliseconds(200);
const auto kPruneInterval = std::chrono::minutes(1);
// Events are kept at least this long for subscribers that come back.
const int kKeptSeconds = 10 * 60;
// A number skipped this long belongs to a transaction that will never commit.
const auto kGapPatience = std::chrono::seconds(5);
// What may wait unsent for one subscriber before it is let go.
const qint64 kMaxBufferedBytes = 1024 * 1024;
const int kEventsPerRead = 1000;

// What work returns, with lock released while it runs and held again afterwards, also when it
// throws (the database may be busy for longer than it waits).
template<typename Work>
auto unlockedWhile(std::unique_lock<std::mutex> &lock, Work work)
{
    lock.unlock();
    struct Relock {
        std::unique_lock<std::mutex> &lock;
        ~Relock() { lock.lock(); }
    } relock{lock};
    return work();
}

} // namespace

EventHub::EventHub(std::chrono::seconds keepAlive) : m_keepAlive(keepAlive) {}

EventHub::~EventHub() { stop(); }

void EventHub::start()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_started)
        return;
    m_started = true;
    m_watermark = EventLog::latest();
    m_gapSince = m_lastKeepAlive = m_lastPrune = Clock::now();
    // An event this process records is given out as soon as it is committed; those of other
    // processes at the next read of the log.
    Transaction::setCommitHook([this] {
        if (!EventLog::takeRecordedHere())
            return;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_poked = true;
        }
        m_wake.notify_all();
    });
    m_thread = std::thread([this] { run(); });
}

void EventHub::stop()
{
    Transaction::setCommitHook(nullptr);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        for (const Subscriber &subscriber : m_subscribers)
            subscriber.stream->finish();
        m_subscribers.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

int EventHub::subscriberCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_subscribers.size());
}

std::shared_ptr<ResponseStream> EventHub::subscribe(const Caller &who, const QString &token,
                                                    qint64 lastEventId)
{
    auto stream = std::make_shared<ResponseStream>(kMaxBufferedBytes);
    // Sent at once, so that the client knows the stream is open before any event.
    stream->write(QByteArrayLiteral(": connected\nretry: 2000\n\n"));
    Subscriber subscriber;
    subscriber.userId = who.userId;
    subscriber.sessionKey = Credentials::fingerprint(token);
    subscriber.stream = stream;
    // Under the lock: the thread gives no new event while the missed ones are read, so none is
    // given twice or skipped.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping) {
        stream->finish();
        return stream;
    }
    // What happened before is history, unless the subscriber asks for what it missed.
    if (m_subscribers.empty()) {
        m_watermark = EventLog::latest();
        m_given.clear();
    }
    subscriber.sentThrough = qMax(m_watermark, EventLog::latest());
    if (lastEventId >= 0) {
        subscriber.sentThrough = lastEventId;
        const qint64 latest = EventLog::latest();
        if (lastEventId < EventLog::prunedThrough() || lastEventId > latest) {
            stream->write(EventLog::resyncText());
        } else {
            const QSet<qint64> spaces = [&] {
                QSet<qint64> ids;
                QSqlQuery query = Database::exec(
                    QStringLiteral("SELECT space_id FROM memberships WHERE user_id = ?"),
                    {who.userId});
                while (query.next())
                    ids.insert(query.value(0).toLongLong());
                return ids;
            }();
            for (qint64 from = lastEventId;;) {
                const QVector<PlatformEvent> missed = EventLog::after(from, kEventsPerRead);
                for (const PlatformEvent &event : missed) {
                    if (spaces.contains(event.spaceId))
                        stream->write(event.text);
                    subscriber.sentThrough = qMax(subscriber.sentThrough, event.seq);
                }
                if (missed.size() < kEventsPerRead)
                    break;
                from = missed.last().seq;
            }
        }
    }
    m_subscribers.push_back(subscriber);
    return stream;
}

void EventHub::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait_for(lock, kPollInterval, [this] { return m_stopping || m_poked; });
        if (m_stopping)
            break;
        m_poked = false;
        try {
            if (!m_subscribers.empty())
                poll();
            const Clock::time_point now = Clock::now();
            if (now - m_lastKeepAlive >= m_keepAlive) {
                m_lastKeepAlive = now;
                keepAlive();
            }
            if (now - m_lastPrune >= kPruneInterval) {
                m_lastPrune = now;
                const int pruned = unlockedWhile(lock, [] { return EventLog::prune(kKeptSeconds); });
                if (pruned > 0)
                    qCDebug(lcEvents) << "pruned" << pruned << "events";
            }
        } catch (const ApiError &failure) {
            qCWarning(lcEvents) << "events:" << failure.what();
        }
    }
}

void EventHub::poll()
{
    QVector<PlatformEvent> fresh;
    for (const PlatformEvent &event : EventLog::after(m_watermark, kEventsPerRead)) {
        if (m_given.insert(event.seq).second)
            fresh.append(event);
    }
    if (!fresh.isEmpty())
        deliver(fresh);
    // The log position moves over the numbers given without a gap; a gap is waited for a
    // while (another process's transaction may commit it), then passed over.
    const Clock::time_point now = Clock::now();
    const auto advance = [this, now] {
        while (!m_given.empty() && *m_given.begin() == m_watermark + 1) {
            m_given.erase(m_given.begin());
            ++m_watermark;
            m_gapSince = now;
        }
    };
    advance();
    if (m_given.empty()) {
        m_gapSince = now;
    } else if (now - m_gapSince > kGapPatience) {
        m_watermark = *m_given.begin() - 1;
        advance();
    }
}

void EventHub::deliver(const QVector<PlatformEvent> &events)
{
    // Who may see each space now: a membership removed while subscribed counts from then on.
    QSet<qint64> spaces;
    for (const PlatformEvent &event : events)
        spaces.insert(event.spaceId);
    QStringList marks;
    QVariantList binds;
    for (const qint64 space : qAsConst(spaces)) {
        marks << QStringLiteral("?");
        binds << space;
    }
    QSet<QPair<qint64, qint64>> members;
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT space_id, user_id FROM memberships WHERE space_id IN (%1)")
            .arg(marks.join(QLatin1Char(','))),
        binds);
    while (query.next())
        members.insert({query.value(0).toLongLong(), query.value(1).toLongLong()});

    for (auto it = m_subscribers.begin(); it != m_subscribers.end();) {
        bool open = true;
        for (const PlatformEvent &event : events) {
            if (event.seq > it->sentThrough && members.contains({event.spaceId, it->userId}))
                open = it->stream->write(event.text) && open;
        }
        it = open && !it->stream->isFinished() ? it + 1 : m_subscribers.erase(it);
    }
}

void EventHub::keepAlive()
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (auto it = m_subscribers.begin(); it != m_subscribers.end();) {
        // A session that ended (signed out, expired) ends its stream; the client's next
        // request hears why.
        const bool signedIn =
            Database::value(QStringLiteral("SELECT 1 FROM sessions WHERE token_hash = ? AND "
                                           "expires_at > ?"),
                            {it->sessionKey, now})
                .isValid();
        if (!signedIn)
            it->stream->finish();
        const bool open = signedIn && it->stream->write(EventLog::keepAliveText());
        it = open ? it + 1 : m_subscribers.erase(it);
    }
}
