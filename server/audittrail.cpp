#include "audittrail.h"

#include "database.h"

#include <QDateTime>


void AuditTrail::recordObject(const char *action, qint64 objectId, const QString &login,
                              const QString &address, const QString &detail)
{
    Database::exec(
        QStringLiteral("INSERT INTO audit (created_at, action, user_login, address, space, "
                       "object_name, title, revision, detail) SELECT ?, ?, ?, ?, s.name, o.name, "
                       "o.title, o.revision, ? FROM objects o JOIN spaces s ON s.id = "
                       "o.space_id WHERE o.id = ?"),
        {QDateTime::currentSecsSinceEpoch(), QString::fromLatin1(action), login, address,
         detail, objectId});
}

void AuditTrail::recordSpace(const char *action, const QString &space, const QString &login,
                             const QString &address, const QString &detail)
{
    Database::exec(QStringLiteral("INSERT INTO audit (created_at, action, user_login, address, "
                                  "space, object_name, title, revision, detail) VALUES (?, ?, ?, "
                                  "?, ?, '', '', 0, ?)"),
                   {QDateTime::currentSecsSinceEpoch(), QString::fromLatin1(action), login,
                    address, space, detail});
}

std::optional<qint64> AuditTrail::timeOf(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid())
        time = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0), Qt::UTC);
    else if (time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    if (!time.isValid())
        return std::nullopt;
    return time.toSecsSinceEpoch();
}

Listing AuditTrail::list(const Filter &filter)
{
    QString where = QStringLiteral("WHERE 1 = 1 ");
    QVariantList binds;
    const auto add = [&](const QString &condition, const QVariantList &values) {
        where += QStringLiteral("AND ") + condition + QLatin1Char(' ');
        binds += values;
    };
    if (!filter.user.isEmpty())
        add(QStringLiteral("LOWER(user_login) = ?"), {filter.user.toLower()});
    if (!filter.space.isEmpty())
        add(QStringLiteral("space = ?"), {filter.space});
    if (!filter.object.isEmpty())
        add(QStringLiteral("(object_name = ? OR LOWER(title) = ?)"),
            {filter.object, filter.object.toLower()});
    if (filter.since > 0)
        add(QStringLiteral("created_at >= ?"), {filter.since});
    if (filter.until > 0)
        add(QStringLiteral("created_at < ?"), {filter.until});
    if (filter.restricted) {
        QVariantList spaces;
        for (const QString &space : filter.spaces)
            spaces << space;
        add(spaces.isEmpty()
                ? QStringLiteral("1 = 0")
                : QStringLiteral("space IN (%1)").arg(Database::placeholders(spaces.size())),
            spaces);
    }
    return Listing::fromQuery({{"time", Listing::Column::Stamp},
                               {"user"},
                               {"address"},
                               {"action"},
                               {"space"},
                               {"name"},
                               {"title"},
                               {"revision"},
                               {"detail"}},
                              QStringLiteral("SELECT created_at, user_login, address, action, "
                                             "space, object_name, title, revision, detail FROM "
                                             "audit ") + where + QStringLiteral("ORDER BY seq"),
                              binds);
}
