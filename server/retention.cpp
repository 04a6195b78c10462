#include "retention.h"

#include "contentstore.h"
#include "database.h"

#include <QDateTime>
#include <QSet>
#include <QSqlQuery>

namespace {

const qint64 kSecondsPerDay = 24 * 3600;

} // namespace

Retention::Retention(int keepVersions, int keepDays)
    : m_keepVersions(keepVersions), m_keepDays(keepDays)
{
}

int Retention::pruneObject(qint64 objectId) const
{
    if (keepsAll())
        return 0;
    const QVariant current =
        Database::value(QStringLiteral("SELECT revision FROM objects WHERE id = ?"), {objectId});
    if (!current.isValid())
        return 0;
    const qint64 youngFrom = QDateTime::currentSecsSinceEpoch() - m_keepDays * kSecondsPerDay;
    QSqlQuery versions = Database::exec(QStringLiteral("SELECT revision, modified, sha256 FROM "
                                                       "object_versions WHERE object_id = ? "
                                                       "ORDER BY revision DESC"),
                                        {objectId});
    QList<int> doomed;
    QSet<QString> contents;
    for (int newer = 0; versions.next(); ++newer) {
        const int revision = versions.value(0).toInt();
        const bool kept = revision == current.toInt()
            || (m_keepVersions > 0 && newer < m_keepVersions)
            || (m_keepDays > 0 && versions.value(1).toLongLong() >= youngFrom);
        if (!kept) {
            doomed << revision;
            contents.insert(versions.value(2).toString());
        }
    }
    versions.finish();
    for (const int revision : doomed) {
        Database::exec(QStringLiteral("DELETE FROM version_references WHERE object_id = ? "
                                      "AND revision = ?"),
                       {objectId, revision});
        Database::exec(QStringLiteral("DELETE FROM object_versions WHERE object_id = ? "
                                      "AND revision = ?"),
                       {objectId, revision});
    }
    for (const QString &sha256 : contents)
        ContentStore::dropUnused(sha256);
    return doomed.size();
}

int Retention::pruneAll() const
{
    if (keepsAll())
        return 0;
    QList<qint64> objects;
    QSqlQuery several = Database::exec(QStringLiteral("SELECT object_id FROM object_versions "
                                                      "GROUP BY object_id HAVING COUNT(*) > 1"));
    while (several.next())
        objects << several.value(0).toLongLong();
    several.finish();
    int pruned = 0;
    for (const qint64 objectId : objects) {
        Transaction transaction;
        pruned += pruneObject(objectId);
        transaction.commit();
    }
    return pruned;
}
