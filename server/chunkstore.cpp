#include "chunkstore.h"

#include "database.h"

#include <QSqlQuery>

namespace {

// Chunks named in one statement: well within every database's limit of bound values.
const int kBatch = 400;

// Runs statement once per batch of chunks, "%1" in it standing for the batch's placeholders,
// with the chunks bound first and then extra; the first values of every row it gives.
QSet<QString> perBatch(const QString &statement, const QStringList &chunks,
                       const QVariantList &extra = {})
{
    QSet<QString> found;
    for (int start = 0; start < chunks.size(); start += kBatch) {
        const QStringList batch = chunks.mid(start, kBatch);
        QVariantList binds;
        for (const QString &chunk : batch)
            binds << chunk;
        binds << extra;
        QSqlQuery query =
            Database::exec(statement.arg(Database::placeholders(batch.size())), binds);
        while (query.isSelect() && query.next())
            found.insert(query.value(0).toString());
    }
    return found;
}

} // namespace

void ChunkStore::use(const QString &sha256, const QByteArray &data)
{
    Database::exec(QStringLiteral("INSERT INTO chunks (sha256, size, refs, data) VALUES "
                                  "(?, ?, 1, ?) ON CONFLICT (sha256) DO UPDATE SET refs = "
                                  "chunks.refs + 1"),
                   {sha256, data.size(), data});
}

bool ChunkStore::useStored(const QString &sha256)
{
    return Database::exec(QStringLiteral("UPDATE chunks SET refs = refs + 1 WHERE sha256 = ?"),
                          {sha256})
               .numRowsAffected()
        == 1;
}

void ChunkStore::keep(const QString &sha256, const QByteArray &data)
{
    Database::exec(QStringLiteral("INSERT INTO chunks (sha256, size, refs, data) VALUES "
                                  "(?, ?, 0, ?) ON CONFLICT DO NOTHING"),
                   {sha256, data.size(), data});
}

void ChunkStore::release(const QHash<QString, qint64> &uses)
{
    QStringList released;
    for (auto use = uses.cbegin(); use != uses.cend(); ++use) {
        Database::exec(QStringLiteral("UPDATE chunks SET refs = refs - ? WHERE sha256 = ?"),
                       {use.value(), use.key()});
        released << use.key();
    }
    dropUnused(released);
}

void ChunkStore::dropUnused(const QStringList &chunks)
{
    // The count is read again on the row itself, so a check-in that began to use a chunk
    // meanwhile keeps it.
    perBatch(QStringLiteral("DELETE FROM chunks WHERE refs <= 0 AND sha256 IN (%1) AND NOT "
                            "EXISTS (SELECT 1 FROM upload_chunks u WHERE u.chunk = "
                            "chunks.sha256 AND u.needed = 0)"),
             chunks);
}

QByteArray ChunkStore::read(const QString &sha256)
{
    return Database::value(QStringLiteral("SELECT data FROM chunks WHERE sha256 = ?"), {sha256})
        .toByteArray();
}

QSet<QString> ChunkStore::readableBy(qint64 userId, const QStringList &chunks)
{
    return perBatch(
        QStringLiteral("SELECT DISTINCT p.chunk FROM content_parts p WHERE p.chunk IN (%1) AND "
                       "EXISTS (SELECT 1 FROM object_versions v JOIN objects o ON o.id = "
                       "v.object_id JOIN memberships m ON m.space_id = o.space_id WHERE "
                       "v.sha256 = p.sha256 AND m.user_id = ?)"),
        chunks, {userId});
}

QSet<QString> ChunkStore::broughtBy(qint64 userId, const QStringList &chunks)
{
    return perBatch(
        QStringLiteral("SELECT DISTINCT c.chunk FROM upload_chunks c JOIN uploads u ON u.id = "
                       "c.upload_id JOIN chunks k ON k.sha256 = c.chunk WHERE c.chunk IN (%1) "
                       "AND c.needed = 0 AND u.user_id = ?"),
        chunks, {userId});
}
