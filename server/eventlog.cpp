#include "eventlog.h"

#include "audittrail.h"
#include "database.h"
#include "objectstore.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <utility>

const char EventLog::kCheckIn[] = "checkin";
const char EventLog::kLock[] = "lock";
const char EventLog::kUnlock[] = "unlock";
const char EventLog::kDelete[] = "delete";
const char EventLog::kRestore[] = "restore";
const char EventLog::kUndelete[] = "undelete";

namespace {
const char kPrunedCounter[] = "events_pruned_through";
thread_local bool t_recorded = false;

void setPrunedThrough(qint64 seq)
{
    Database::exec(QStringLiteral("INSERT INTO counters (name, value) VALUES (?, ?) ON CONFLICT "
                                  "(name) DO UPDATE SET value = excluded.value"),
                   {QString::fromLatin1(kPrunedCounter), seq});
}
} // namespace

bool EventLog::takeRecordedHere()
{
    return std::exchange(t_recorded, false);
}

void EventLog::record(const char *kind, qint64 objectId, const QString &login,
                      const QString &comment, const QString &address, const QString &detail)
{
    AuditTrail::recordObject(kind, objectId, login, address.isEmpty() ? QStringLiteral("local")
                                                                      : address,
                             detail.isEmpty() ? comment : detail);
    Database::exec(
        QStringLiteral("INSERT INTO events (created_at, kind, space_id, phid, name, title, "
                       "revision, modified, user_login, locked_by, comment) SELECT ?, ?, "
                       "o.space_id, o.phid, o.name, o.title, o.revision, o.modified, ?, "
                       "COALESCE(u.login, ''), ? FROM objects o LEFT JOIN users u ON "
                       "u.id = o.locked_by WHERE o.id = ?"),
        {QDateTime::currentSecsSinceEpoch(), QString::fromLatin1(kind), login, comment,
         objectId});
    t_recorded = true;
}

QVector<PlatformEvent> EventLog::after(qint64 seq, int limit)
{
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT e.seq, e.space_id, e.kind, e.phid, e.name, e.title, e.revision, "
                       "e.modified, e.user_login, e.locked_by, e.comment, s.name FROM events e "
                       "JOIN spaces s ON s.id = e.space_id WHERE e.seq > ? ORDER BY e.seq "
                       "LIMIT ?"),
        {seq, limit});
    QVector<PlatformEvent> events;
    while (query.next()) {
        PlatformEvent event;
        event.seq = query.value(0).toLongLong();
        event.spaceId = query.value(1).toLongLong();
        event.kind = query.value(2).toString();
        QJsonObject data{
            {QStringLiteral("kind"), event.kind},
            {QStringLiteral("phid"), query.value(3).toString()},
            {QStringLiteral("name"), query.value(4).toString()},
            {QStringLiteral("title"), query.value(5).toString()},
            {QStringLiteral("revision"), query.value(6).toInt()},
            {QStringLiteral("_filemodified"), ObjectStore::stampText(query.value(7).toLongLong())},
            {QStringLiteral("user"), query.value(8).toString()},
            {QStringLiteral("_LockedBy"), query.value(9).toString()},
            {QStringLiteral("space"), query.value(11).toString()},
        };
        if (!query.value(10).toString().isEmpty())
            data.insert(QStringLiteral("comment"), query.value(10).toString());
        // JSON on one line: a data line of an event stream ends at the first line break.
        event.text = "id: " + QByteArray::number(event.seq) + "\nevent: " + event.kind.toUtf8()
            + "\ndata: " + QJsonDocument(data).toJson(QJsonDocument::Compact) + "\n\n";
        events.append(event);
    }
    return events;
}

qint64 EventLog::latest()
{
    const qint64 last = Database::value(QStringLiteral("SELECT MAX(seq) FROM events")).toLongLong();
    return qMax(last, prunedThrough());
}

qint64 EventLog::prunedThrough()
{
    return Database::value(QStringLiteral("SELECT value FROM counters WHERE name = ?"),
                           {QString::fromLatin1(kPrunedCounter)})
        .toLongLong();
}

int EventLog::prune(int olderThanSeconds)
{
    Transaction transaction;
    const qint64 through =
        Database::value(QStringLiteral("SELECT MAX(seq) FROM events WHERE created_at < ?"),
                        {QDateTime::currentSecsSinceEpoch() - olderThanSeconds})
            .toLongLong();
    if (through == 0)
        return 0;
    const int pruned =
        Database::exec(QStringLiteral("DELETE FROM events WHERE seq <= ?"), {through})
            .numRowsAffected();
    // Never back below a number a restore skipped to.
    setPrunedThrough(qMax(through, prunedThrough()));
    transaction.commit();
    return pruned;
}

void EventLog::skipNumbers(qint64 margin)
{
    const qint64 floor = latest() + margin;
    Database::raiseSequence(QStringLiteral("events"), QStringLiteral("seq"), floor);
    setPrunedThrough(floor);
}

QByteArray EventLog::resyncText()
{
    return QByteArrayLiteral("event: resync\ndata: {}\n\n");
}

QByteArray EventLog::keepAliveText()
{
    return QByteArrayLiteral(": keep-alive\n\n");
}
