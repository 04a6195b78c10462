#include "contentstore.h"

#include "database.h"
#include "sha256.h"

#include <QIODevice>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cstring>

namespace {

const qint64 kChunkBytes = 1024 * 1024;

QString lockKeyOf(const QString &sha256) { return QStringLiteral("content:") + sha256; }

void insertChunk(const QString &sha256, qint64 index, const QByteArray &data)
{
    Database::exec(QStringLiteral("INSERT INTO content_chunks (sha256, seq, data) "
                                  "VALUES (?, ?, ?)"),
                   {sha256, index, data});
}

} // namespace

ContentStore::Reader::Reader(const QString &sha256, qint64 size) : m_sha256(sha256), m_size(size)
{
}

qint64 ContentStore::Reader::read(qint64 offset, char *buffer, qint64 max)
{
    if (offset >= m_size)
        return 0;
    const qint64 index = offset / kChunkBytes;
    if (index != m_chunkIndex) {
        m_chunk = Database::value(QStringLiteral("SELECT data FROM content_chunks "
                                                 "WHERE sha256 = ? AND seq = ?"),
                                  {m_sha256, index})
                      .toByteArray();
        m_chunkIndex = index;
    }
    const qint64 within = offset - index * kChunkBytes;
    const qint64 length = qMin(max, m_chunk.size() - within);
    if (length <= 0)
        return -1;
    std::memcpy(buffer, m_chunk.constData() + within, static_cast<size_t>(length));
    return length;
}

bool ContentStore::isIntact(const QString &sha256, qint64 size)
{
    // A chunk at a time, as a download reads them, so any content fits in memory.
    Sha256 hash;
    qint64 total = 0;
    for (qint64 index = 0; total < size; ++index) {
        const QVariant chunk = Database::value(
            QStringLiteral("SELECT data FROM content_chunks WHERE sha256 = ? AND seq = ?"),
            {sha256, index});
        if (!chunk.isValid())
            return false;
        const QByteArray data = chunk.toByteArray();
        if (data.isEmpty())
            return false;
        hash.addData(data);
        total += data.size();
    }
    return total == size && hash.hexResult() == sha256;
}

void ContentStore::store(QIODevice *device, qint64 size, const QString &sha256,
                         const QString &title)
{
    // A delete dropping the same bytes at the same time waits for this check-in, or this one
    // for the delete, and then stores the bytes again.
    Database::lockKey(lockKeyOf(sha256));
    const bool isNew = Database::exec(QStringLiteral("INSERT INTO contents (sha256, size) "
                                                     "VALUES (?, ?) ON CONFLICT DO NOTHING"),
                                      {sha256, size})
                           .numRowsAffected()
        == 1;
    Sha256 hash;
    for (qint64 index = 0, done = 0; done < size; ++index) {
        const QByteArray chunk = device ? device->read(qMin(kChunkBytes, size - done))
                                        : QByteArray();
        if (chunk.isEmpty())
            throw ApiError(400, QStringLiteral("no content sent for %1").arg(title));
        hash.addData(chunk);
        if (isNew)
            insertChunk(sha256, index, chunk);
        done += chunk.size();
    }
    if (hash.hexResult() != sha256)
        throw ApiError(400, QStringLiteral("the content of %1 arrived damaged").arg(title));
}

void ContentStore::dropUnused(const QString &sha256)
{
    // A check-in storing the same bytes at the same time holds this key until it commits, so
    // the content is either seen in use or stored again after it was dropped.
    Database::lockKey(lockKeyOf(sha256));
    // Every object's current content is one of its versions' too.
    const QString unused =
        QStringLiteral("NOT EXISTS (SELECT 1 FROM object_versions WHERE sha256 = ?)");
    Database::exec(QStringLiteral("DELETE FROM content_chunks WHERE sha256 = ? AND ") + unused,
                   {sha256, sha256});
    Database::exec(QStringLiteral("DELETE FROM contents WHERE sha256 = ? AND ") + unused,
                   {sha256, sha256});
}

void ContentStore::migrateWholeContents()
{
    if (!Database::connection().record(QStringLiteral("contents")).contains(QStringLiteral("data")))
        return;
    QStringList hashes;
    QSqlQuery all = Database::exec(QStringLiteral("SELECT sha256 FROM contents"));
    while (all.next())
        hashes << all.value(0).toString();
    all.finish();
    for (const QString &sha256 : hashes) {
        const QByteArray data = Database::value(
            QStringLiteral("SELECT data FROM contents WHERE sha256 = ?"), {sha256}).toByteArray();
        for (qint64 offset = 0, index = 0; offset < data.size(); offset += kChunkBytes, ++index)
            insertChunk(sha256, index, data.mid(static_cast<int>(offset),
                                                static_cast<int>(kChunkBytes)));
    }
    Database::runUnprepared(QStringLiteral("ALTER TABLE contents DROP COLUMN data"));
}
