#include "accountadmin.h"

#include "accountstore.h"
#include "audittrail.h"
#include "database.h"
#include "eventlog.h"
#include "objectstore.h"
#include "platformconstants.h"
#include "trash.h"
#include "uploadsession.h"

#include <QDateTime>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcAdmin, "platform.admin")

namespace {

// A user's name as the list shows it, from the first and last names.
const char kFullName[] = "TRIM(u.first_name || ' ' || u.last_name)";

qint64 spaceId(const QString &tenant, const QString &space)
{
    const QVariant id =
        Database::value(QStringLiteral("SELECT id FROM spaces WHERE tenant_id = ? AND name = ?"),
                        {AccountStore::tenantId(tenant), space});
    if (!id.isValid())
        throw ApiError(404, QStringLiteral("unknown space %1").arg(space));
    return id.toLongLong();
}

// The first values of the statement's rows, at most limit, and how many there are.
QString sample(const QString &sql, const QVariantList &binds, int limit = 5)
{
    QSqlQuery query = Database::exec(sql, binds);
    QStringList values;
    int count = 0;
    while (query.next()) {
        if (++count <= limit)
            values << query.value(0).toString();
    }
    if (count > limit)
        values << QStringLiteral("and %1 more").arg(count - limit);
    return values.join(QLatin1String(", "));
}

} // namespace

Listing AccountAdmin::users()
{
    return Listing::fromQuery(
        {{"login"}, {"name"}, {"email"}, {"disabled", Listing::Column::YesNo},
         {"lastSignIn", Listing::Column::Stamp}},
        QStringLiteral("SELECT u.login, %1, u.email, COALESCE(s.disabled, 0), "
                       "s.last_sign_in FROM users u LEFT JOIN user_status s ON "
                       "s.user_id = u.id ORDER BY LOWER(u.login)")
            .arg(QLatin1String(kFullName)));
}

Listing AccountAdmin::setDisabled(const QString &login, bool disabled)
{
    Transaction transaction;
    const qint64 user = AccountStore::userId(login);
    Database::exec(QStringLiteral("INSERT INTO user_status (user_id, disabled) VALUES (?, ?) "
                                  "ON CONFLICT (user_id) DO UPDATE SET disabled = "
                                  "excluded.disabled"),
                   {user, disabled ? 1 : 0});
    if (disabled) {
        // Every request of a session ends with 401 from now on, and event streams at their
        // next comment line.
        Database::exec(QStringLiteral("DELETE FROM sessions WHERE user_id = ?"), {user});
        Database::exec(QStringLiteral("DELETE FROM launcher_cookies WHERE user_id = ?"), {user});
    }
    transaction.commit();
    qCInfo(lcAdmin).noquote() << "account" << login << (disabled ? "disabled" : "enabled");
    return locks(QString(), login);
}

void AccountAdmin::remove(const QString &login)
{
    Transaction transaction;
    const qint64 user = AccountStore::userId(login);
    QStringList left;
    const QString locked = sample(
        QStringLiteral("SELECT title FROM objects WHERE locked_by = ? ORDER BY title"), {user});
    if (!locked.isEmpty())
        left << QStringLiteral("holds the locks of %1").arg(locked);
    const QString owned = sample(
        QStringLiteral("SELECT title FROM objects WHERE owner_id = ? ORDER BY title"), {user});
    if (!owned.isEmpty())
        left << QStringLiteral("owns %1").arg(owned);
    const qint64 versions = Database::value(QStringLiteral("SELECT COUNT(*) FROM "
                                                           "object_versions WHERE user_id = ?"),
                                            {user})
                                .toLongLong();
    if (versions > 0)
        left << QStringLiteral("saved versions that are kept: %1").arg(versions);
    if (!left.isEmpty()) {
        throw ApiError(409, QStringLiteral("%1 cannot be removed while the account %2 (release "
                                           "locks with \"lock release\", or disable the account "
                                           "instead)")
                                .arg(login, left.join(QLatin1String("; "))));
    }
    // What only belonged to the account; its history is empty, or it would have been refused.
    const QStringList owners{
        QStringLiteral("DELETE FROM sessions WHERE user_id = ?"),
        QStringLiteral("DELETE FROM launcher_cookies WHERE user_id = ?"),
        QStringLiteral("DELETE FROM memberships WHERE user_id = ?"),
        QStringLiteral("DELETE FROM user_status WHERE user_id = ?"),
        QStringLiteral("DELETE FROM autonames WHERE issued_to = ?"),
        QStringLiteral("DELETE FROM checkin_keys WHERE user_id = ?"),
        QStringLiteral("DELETE FROM checkins WHERE user_id = ?"),
        QStringLiteral("DELETE FROM users WHERE id = ?")};
    UploadSession::removeWhere(QStringLiteral("user_id = ?"), {user});
    for (const QString &statement : owners)
        Database::exec(statement, {user});
    transaction.commit();
    qCInfo(lcAdmin).noquote() << "account" << login << "removed";
}

Listing AccountAdmin::spaces(const QString &tenant)
{
    return Listing::fromQuery(
        {{"space"}, {"members"}, {"objects"}},
        QStringLiteral("SELECT s.name, (SELECT COUNT(*) FROM memberships m WHERE "
                       "m.space_id = s.id), (SELECT COUNT(*) FROM objects o WHERE "
                       "o.space_id = s.id AND o.type <> ? AND o.trashed_at IS NULL) "
                       "FROM spaces s WHERE s.tenant_id = ? ORDER BY s.name"),
        {QString::fromLatin1(platform::kTypeDerivedOutput),
         AccountStore::tenantId(tenant)});
}

Listing AccountAdmin::members(const QString &tenant, const QString &space)
{
    return Listing::fromQuery(
        {{"login"}, {"name"}, {"role"}, {"preferred", Listing::Column::YesNo},
         {"disabled", Listing::Column::YesNo}},
        QStringLiteral("SELECT u.login, %1, m.role, m.preferred, COALESCE(s.disabled, 0) "
                       "FROM memberships m JOIN users u ON u.id = m.user_id LEFT JOIN "
                       "user_status s ON s.user_id = u.id WHERE m.space_id = ? "
                       "ORDER BY LOWER(u.login)")
            .arg(QLatin1String(kFullName)),
        {spaceId(tenant, space)});
}

bool AccountAdmin::isMember(const QString &tenant, const QString &space, const QString &login)
{
    return Database::value(QStringLiteral("SELECT 1 FROM memberships WHERE space_id = ? AND "
                                          "user_id = ?"),
                           {spaceId(tenant, space), AccountStore::userId(login)})
        .isValid();
}

Listing AccountAdmin::locks(const QString &space, const QString &login)
{
    return Listing::fromQuery(
        {{"name"}, {"title"}, {"space"}, {"lockedBy"}},
        QStringLiteral("SELECT o.name, o.title, s.name, u.login FROM objects o JOIN "
                       "spaces s ON s.id = o.space_id JOIN users u ON u.id = "
                       "o.locked_by WHERE o.type <> ? AND (? = '' OR s.name = ?) AND "
                       "(? = '' OR u.login = ?) ORDER BY s.name, o.title_lc, o.name"),
        {QString::fromLatin1(platform::kTypeDerivedOutput), space, space, login,
         login});
}

QString AccountAdmin::releaseLock(const QString &object, const QString &administrator)
{
    Transaction transaction;
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT o.id, o.title, o.name, u.login FROM objects o LEFT JOIN users u "
                       "ON u.id = o.locked_by WHERE o.name = ? OR o.phid = ?"),
        {object, object});
    if (!query.next())
        throw ApiError(404, QStringLiteral("there is no object %1").arg(object));
    const qint64 id = query.value(0).toLongLong();
    const QString what = QStringLiteral("%1 (%2)").arg(query.value(1).toString(),
                                                       query.value(2).toString());
    const QString holder = query.value(3).toString();
    query.finish();
    if (holder.isEmpty())
        return QStringLiteral("%1 was not locked").arg(what);
    const QVariant nobody(QVariant::LongLong);
    Database::exec(QStringLiteral("UPDATE objects SET locked_by = ? WHERE id = ?"), {nobody, id});
    ObjectStore::lockPreviewAlike(id, nobody);
    EventLog::record(EventLog::kUnlock, id, administrator, QString(), QString(),
                     QStringLiteral("released the lock of %1").arg(holder));
    transaction.commit();
    qCInfo(lcAdmin).noquote() << "the lock of" << what << "held by" << holder
                              << "was released by" << administrator;
    return QStringLiteral("released the lock of %1 held by %2").arg(what, holder);
}

Listing AccountAdmin::trash(const QString &space)
{
    return Listing::fromQuery({{"name"}, {"title"}, {"space"}, {"owner"}, {"deletedBy"},
                               {"deletedAt", Listing::Column::Stamp}},
                              QStringLiteral("SELECT o.name, o.title, s.name, ow.login, d.login, "
                                             "o.trashed_at FROM objects o JOIN spaces s ON s.id "
                                             "= o.space_id JOIN users ow ON ow.id = o.owner_id "
                                             "LEFT JOIN users d ON d.id = o.trashed_by WHERE "
                                             "o.trashed_at IS NOT NULL AND o.type <> ? AND (? = "
                                             "'' OR s.name = ?) ORDER BY o.trashed_at DESC, "
                                             "o.title_lc, o.name"),
                              {QString::fromLatin1(platform::kTypeDerivedOutput), space, space});
}

QString AccountAdmin::restoreFromTrash(const QString &object, const QString &administrator)
{
    Transaction transaction;
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT o.id, o.title, o.name, s.name FROM objects o JOIN spaces s ON "
                       "s.id = o.space_id WHERE (o.name = ? OR o.phid = ?) AND o.trashed_at IS "
                       "NOT NULL"),
        {object, object});
    if (!query.next())
        throw ApiError(404, QStringLiteral("%1 is not in the trash").arg(object));
    const qint64 id = query.value(0).toLongLong();
    const QString what = QStringLiteral("%1 (%2) is back in %3")
                             .arg(query.value(1).toString(), query.value(2).toString(),
                                  query.value(3).toString());
    query.finish();
    Trash::putBack(id, administrator, QString());
    transaction.commit();
    qCInfo(lcAdmin).noquote() << what << "restored by" << administrator;
    return what;
}
