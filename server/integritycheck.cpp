#include "integritycheck.h"

#include "contentstore.h"
#include "database.h"

#include <QSqlQuery>

#include <utility>

IntegrityCheck::IntegrityCheck()
    : m_damaged({QStringLiteral("name"), QStringLiteral("title"), QStringLiteral("space"),
                 QStringLiteral("revision")})
{
    QList<std::pair<QString, qint64>> contents;
    QSqlQuery query =
        Database::exec(QStringLiteral("SELECT sha256, size FROM contents ORDER BY sha256"));
    while (query.next())
        contents.append({query.value(0).toString(), query.value(1).toLongLong()});
    query.finish();
    for (const auto &[sha256, size] : contents) {
        ++m_checked;
        if (ContentStore::isIntact(sha256, size))
            continue;
        QSqlQuery versions = Database::exec(
            QStringLiteral("SELECT o.name, o.title, s.name, v.revision FROM object_versions v "
                           "JOIN objects o ON o.id = v.object_id JOIN spaces s ON s.id = "
                           "o.space_id WHERE v.sha256 = ? ORDER BY o.name, v.revision"),
            {sha256});
        while (versions.next()) {
            m_damaged.append({versions.value(0), versions.value(1), versions.value(2),
                              versions.value(3)});
        }
    }
}
