#include "trash.h"

#include "audittrail.h"
#include "database.h"
#include "eventlog.h"
#include "platformconstants.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {
const qint64 kSecondsPerDay = 24 * 3600;
} // namespace

Trash::Trash(const Caller &caller) : m_objects(caller), m_caller(caller) {}

QList<ObjectRow> Trash::list()
{
    return m_objects.selectAny(
        QStringLiteral("AND o.trashed_at IS NOT NULL AND o.type <> ? AND (m.role = ? OR "
                       "o.trashed_by = ?) "),
        {QString::fromLatin1(platform::kTypeDerivedOutput), SpaceRole::name(SpaceRole::Manager),
         m_caller.userId},
        QStringLiteral("ORDER BY o.trashed_at DESC, o.title_lc, o.id"));
}

QList<ObjectRow> Trash::restore(const QJsonArray &refs)
{
    if (refs.size() > platform::kMaxRecordsPerRequest)
        throw ApiError(413, QStringLiteral("too many objects in one request"));
    Transaction transaction;
    QList<ObjectRow> restored;
    for (const QJsonValue &value : refs) {
        const QJsonObject ref = value.toObject();
        const QString phid = ref.value(QStringLiteral("phid")).toString();
        const QString name = ref.value(QStringLiteral("name")).toString();
        const QList<ObjectRow> rows = m_objects.selectAny(
            QStringLiteral("AND o.trashed_at IS NOT NULL AND (o.phid = ? OR o.name = ?) "),
            {phid.isEmpty() ? QStringLiteral("-") : phid, name.isEmpty() ? QStringLiteral("-")
                                                                         : name});
        if (rows.isEmpty())
            throw ApiError(404, QStringLiteral("%1 is not in the trash")
                                    .arg(name.isEmpty() ? phid : name));
        const ObjectRow &row = rows.first();
        if (row.role < SpaceRole::Manager && row.trashedBy != m_caller.login)
            throw ApiError(403, QStringLiteral("Only a manager of %1 or %2, who deleted it, can "
                                               "restore %3.")
                                    .arg(row.space, row.trashedBy, row.title));
        putBack(row.id, m_caller.login, m_caller.address);
        restored << m_objects.resolveOrThrow(QJsonObject{{QStringLiteral("phid"), row.phid}});
    }
    transaction.commit();
    return restored;
}

void Trash::putBack(qint64 objectId, const QString &login, const QString &address)
{
    // Its preview went with it, and comes back with it.
    Database::exec(QStringLiteral("UPDATE objects SET trashed_at = NULL, trashed_by = NULL "
                                  "WHERE id = ? OR id IN (SELECT child_id FROM relations "
                                  "WHERE parent_id = ? AND kind = ?)"),
                   {objectId, objectId, QString::fromLatin1(platform::kRelationDerivedOutput)});
    EventLog::record(EventLog::kUndelete, objectId, login, QString(), address,
                     QStringLiteral("restored from the trash"));
}

int Trash::purge(int keepDays)
{
    Transaction transaction;
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT id FROM objects WHERE trashed_at IS NOT NULL AND trashed_at <= ?"),
        {QDateTime::currentSecsSinceEpoch() - keepDays * kSecondsPerDay});
    QList<qint64> ids;
    while (query.next())
        ids << query.value(0).toLongLong();
    query.finish();
    for (const qint64 id : ids) {
        AuditTrail::recordObject(
            "purge", id, QStringLiteral("platform"), QStringLiteral("local"),
            QStringLiteral("deleted for good after %1 days in the trash").arg(keepDays));
        ObjectStore::erase(id);
    }
    transaction.commit();
    return ids.size();
}

qint64 Trash::purgeTime(qint64 trashedAt, int keepDays)
{
    return trashedAt + keepDays * kSecondsPerDay;
}
