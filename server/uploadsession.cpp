#include "uploadsession.h"

#include "credentials.h"
#include "database.h"

#include <QDateTime>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlQuery>

#include <map>
#include <mutex>

namespace {

// Bounds of an announced chunk: the largest is held in memory while it arrives, and a file
// cannot be announced as a multitude of tiny ones.
const qint64 kMaxChunkBytes = 1024 * 1024;
const qint64 kMinChunkBytes = 4096;

// Whose turn it is to append to each upload in this process; held while a piece is stored, so
// an append that lost its turn stores nothing after the new one began.
std::mutex turnMutex;
std::map<QString, quint64> turnOf; // guarded by turnMutex
quint64 lastTurn = 0;              // guarded by turnMutex

} // namespace

UploadSession::Reader::Reader(const QString &id)
    : PieceReader([id, next = qint64(0)]() mutable {
          // Each piece starts where the one before ended.
          QSqlQuery piece = Database::exec(QStringLiteral("SELECT data FROM upload_pieces "
                                                          "WHERE upload_id = ? AND start = ?"),
                                           {id, next});
          const QByteArray data = piece.next() ? piece.value(0).toByteArray() : QByteArray();
          next += data.size();
          return data;
      })
{
}

UploadSession UploadSession::create(qint64 userId, qint64 size, const QString &sha256,
                                    const QVector<ChunkStore::Ref> &chunks)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    if (size < 0 || !hex.match(sha256).hasMatch())
        throw ApiError(400, QStringLiteral("an upload names its size and SHA-256"));
    qint64 total = 0;
    QStringList hashes;
    for (const ChunkStore::Ref &chunk : chunks) {
        if (!hex.match(chunk.sha256).hasMatch() || chunk.size < 1
            || chunk.size > kMaxChunkBytes)
            throw ApiError(400, QStringLiteral("a chunk is named by its SHA-256 and its size, "
                                               "1 byte to 1 MiB"));
        total += chunk.size;
        hashes << chunk.sha256;
    }
    if (!chunks.isEmpty() && total != size)
        throw ApiError(400, QStringLiteral("the chunks of an upload add up to its size"));
    if (chunks.size() > 1 + size / kMinChunkBytes)
        throw ApiError(400, QStringLiteral("the chunks of an upload hold 4 KiB or more each"));
    UploadSession session;
    session.m_id = Credentials::newObjectId();
    session.m_size = size;
    session.m_sha256 = sha256;
    session.m_chunked = !chunks.isEmpty();
    Transaction transaction;
    Database::exec(QStringLiteral("INSERT INTO uploads (id, user_id, size, sha256, created_at) "
                                  "VALUES (?, ?, ?, ?, ?)"),
                   {session.m_id, userId, size, sha256,
                    QDateTime::currentSecsSinceEpoch()});
    // What the user has already: chunks of contents they may read, and chunks their other
    // uploads brought. A chunk only someone else could read is needed like any other, so that
    // nobody learns by announcing it whether it exists.
    hashes.removeDuplicates();
    QSet<QString> present = ChunkStore::readableBy(userId, hashes);
    QStringList rest;
    for (const QString &hash : qAsConst(hashes))
        if (!present.contains(hash))
            rest << hash;
    present.unite(ChunkStore::broughtBy(userId, rest));
    for (int seq = 0; seq < chunks.size(); ++seq) {
        Database::exec(QStringLiteral("INSERT INTO upload_chunks (upload_id, seq, chunk, size, "
                                      "needed) VALUES (?, ?, ?, ?, ?)"),
                       {session.m_id, seq, chunks[seq].sha256, chunks[seq].size,
                        present.contains(chunks[seq].sha256) ? 0 : 1});
    }
    transaction.commit();
    return session;
}

std::optional<UploadSession> UploadSession::open(const QString &id, qint64 userId)
{
    QSqlQuery found = Database::exec(QStringLiteral("SELECT size, sha256 FROM uploads "
                                                    "WHERE id = ? AND user_id = ?"),
                                     {id, userId});
    if (!found.next())
        return std::nullopt;
    UploadSession session;
    session.m_id = id;
    session.m_size = found.value(0).toLongLong();
    session.m_sha256 = found.value(1).toString();
    found.finish();
    session.m_chunked = Database::value(QStringLiteral("SELECT 1 FROM upload_chunks WHERE "
                                                       "upload_id = ? AND seq = 0"),
                                        {id})
                            .isValid();
    return session;
}

void UploadSession::removeExpired(qint64 maxAgeSeconds)
{
    removeWhere(QStringLiteral("created_at < ?"),
                {QDateTime::currentSecsSinceEpoch() - maxAgeSeconds});
}

void UploadSession::removeWhere(const QString &condition, const QVariantList &binds)
{
    const QString ids = QStringLiteral("(SELECT id FROM uploads WHERE %1)").arg(condition);
    QStringList brought;
    QSqlQuery chunks = Database::exec(QStringLiteral("SELECT DISTINCT chunk FROM upload_chunks "
                                                     "WHERE needed = 0 AND upload_id IN ")
                                          + ids,
                                      binds);
    while (chunks.next())
        brought << chunks.value(0).toString();
    chunks.finish();
    Database::exec(QStringLiteral("DELETE FROM upload_pieces WHERE upload_id IN ") + ids, binds);
    Database::exec(QStringLiteral("DELETE FROM upload_chunks WHERE upload_id IN ") + ids, binds);
    Database::exec(QStringLiteral("DELETE FROM uploads WHERE ") + condition, binds);
    ChunkStore::dropUnused(brought);
}

QJsonObject UploadSession::state() const
{
    QJsonObject state{{QStringLiteral("upload"), m_id},
                      {QStringLiteral("received"), static_cast<double>(received())},
                      {QStringLiteral("size"), static_cast<double>(m_size)}};
    if (m_chunked) {
        QJsonArray missing;
        for (const int seq : this->missing())
            missing.append(seq);
        state.insert(QStringLiteral("missing"), missing);
    }
    return state;
}

qint64 UploadSession::received() const
{
    if (m_chunked) {
        return m_size
            - Database::value(QStringLiteral("SELECT COALESCE(SUM(size), 0) FROM upload_chunks "
                                             "WHERE upload_id = ? AND needed = 1"),
                              {m_id})
                  .toLongLong();
    }
    return Database::value(QStringLiteral("SELECT COALESCE(SUM(length), 0) FROM upload_pieces "
                                          "WHERE upload_id = ?"),
                           {m_id})
        .toLongLong();
}

bool UploadSession::isComplete() const
{
    return m_chunked ? missing().isEmpty() : received() == m_size;
}

QVector<UploadSession::Chunk> UploadSession::chunks() const
{
    QVector<Chunk> chunks;
    QSqlQuery rows = Database::exec(QStringLiteral("SELECT seq, chunk, size FROM upload_chunks "
                                                   "WHERE upload_id = ? ORDER BY seq"),
                                    {m_id});
    while (rows.next())
        chunks.append({rows.value(0).toInt(), {rows.value(1).toString(), rows.value(2).toLongLong()}});
    return chunks;
}

QVector<int> UploadSession::missing() const
{
    Database::exec(QStringLiteral("UPDATE upload_chunks SET needed = 1 WHERE upload_id = ? AND "
                                  "needed = 0 AND NOT EXISTS (SELECT 1 FROM chunks k WHERE "
                                  "k.sha256 = upload_chunks.chunk)"),
                   {m_id});
    QVector<int> missing;
    QSqlQuery rows = Database::exec(QStringLiteral("SELECT seq FROM upload_chunks WHERE "
                                                   "upload_id = ? AND needed = 1 ORDER BY seq"),
                                    {m_id});
    while (rows.next())
        missing.append(rows.value(0).toInt());
    return missing;
}

void UploadSession::arrived(const ChunkStore::Ref &chunk, const QByteArray &data) const
{
    Transaction transaction;
    ChunkStore::keep(chunk.sha256, data);
    Database::exec(QStringLiteral("UPDATE upload_chunks SET needed = 0 WHERE upload_id = ? AND "
                                  "chunk = ?"),
                   {m_id, chunk.sha256});
    transaction.commit();
}

void UploadSession::remove() const
{
    removeWhere(QStringLiteral("id = ?"), {m_id});
}

quint64 UploadSession::takeOver() const
{
    const std::lock_guard<std::mutex> lock(turnMutex);
    return turnOf[m_id] = ++lastTurn;
}

void UploadSession::release(quint64 turn) const
{
    const std::lock_guard<std::mutex> lock(turnMutex);
    const auto current = turnOf.find(m_id);
    if (current != turnOf.end() && current->second == turn)
        turnOf.erase(current);
}

bool UploadSession::append(quint64 turn, qint64 start, const QByteArray &bytes) const
{
    const std::lock_guard<std::mutex> lock(turnMutex);
    const auto current = turnOf.find(m_id);
    if (current == turnOf.end() || current->second != turn)
        return false;
    Database::exec(QStringLiteral("INSERT INTO upload_pieces (upload_id, start, length, data) "
                                  "VALUES (?, ?, ?, ?)"),
                   {m_id, start, bytes.size(), bytes});
    return true;
}
