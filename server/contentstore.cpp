#include "contentstore.h"

#include "database.h"
#include "sha256.h"

#include <QIODevice>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QSqlRecord>

#include <QMutex>
#include <QSet>

#include <cstring>

Q_LOGGING_CATEGORY(lcContents, "platform.contents")

namespace {

const qint64 kChunkBytes = 1024 * 1024;

QByteArray chunkOf(const QString &sha256, qint64 index)
{
    return Database::value(QStringLiteral("SELECT data FROM content_chunks "
                                          "WHERE sha256 = ? AND seq = ?"),
                           {sha256, index})
        .toByteArray();
}

// Contents a download found damaged since the process started.
QMutex g_damagedMutex;
QSet<QString> g_damaged;

QString lockKeyOf(const QString &sha256) { return QStringLiteral("content:") + sha256; }

void insertChunk(const QString &sha256, qint64 index, const QByteArray &data)
{
    Database::exec(QStringLiteral("INSERT INTO content_chunks (sha256, seq, data) "
                                  "VALUES (?, ?, ?)"),
                   {sha256, index, data});
}

} // namespace

ContentStore::Reader::Reader(const QString &sha256, qint64 size)
    : m_sha256(sha256), m_size(size), m_hash(std::make_unique<Sha256>())
{
}

ContentStore::Reader::~Reader() = default;

qint64 ContentStore::Reader::read(qint64 offset, char *buffer, qint64 max)
{
    if (offset >= m_size)
        return 0;
    const qint64 index = offset / kChunkBytes;
    if (m_failed || (index != m_chunkIndex && !load(index)))
        return -1;
    const qint64 within = offset - index * kChunkBytes;
    const qint64 length = qMin(max, m_chunk.size() - within);
    if (length <= 0)
        return -1;
    std::memcpy(buffer, m_chunk.constData() + within, static_cast<size_t>(length));
    return length;
}

bool ContentStore::Reader::load(qint64 index)
{
    m_chunkIndex = index;
    if (index < m_hashed) { // hashed already: a chunk read again
        m_chunk = chunkOf(m_sha256, index);
        return !m_chunk.isEmpty() || damaged(QStringLiteral("chunk %1 is missing").arg(index));
    }
    // A range that starts further in still has the chunks before it checked.
    for (; m_hashed <= index; ++m_hashed) {
        const QByteArray chunk = chunkOf(m_sha256, m_hashed);
        if (chunk.isEmpty())
            return damaged(QStringLiteral("chunk %1 is missing").arg(m_hashed));
        m_hash->addData(chunk);
        m_hashedBytes += chunk.size();
        if (m_hashed == index)
            m_chunk = chunk;
    }
    if ((index + 1) * kChunkBytes < m_size)
        return true;
    if (m_hashedBytes != m_size)
        return damaged(QStringLiteral("its chunks hold %1 bytes").arg(m_hashedBytes));
    const QString digest = m_hash->hexResult();
    if (digest != m_sha256)
        return damaged(QStringLiteral("its bytes hash to %1").arg(digest));
    return true;
}

bool ContentStore::Reader::damaged(const QString &what)
{
    m_failed = true;
    {
        const QMutexLocker locker(&g_damagedMutex);
        g_damaged.insert(m_sha256);
    }
    qCCritical(lcContents).noquote()
        << QStringLiteral("content %1 (%2 bytes) is damaged: %3; its download was cut short. "
                          "`aurex-platform check` names the files and versions that use it.")
               .arg(m_sha256)
               .arg(m_size)
               .arg(what);
    return false;
}

bool ContentStore::isKnownDamaged(const QString &sha256)
{
    const QMutexLocker locker(&g_damagedMutex);
    return g_damaged.contains(sha256);
}

bool ContentStore::isIntact(const QString &sha256, qint64 size)
{
    // A chunk at a time, as a download reads them, so any content fits in memory.
    Sha256 hash;
    qint64 total = 0;
    for (qint64 index = 0; total < size; ++index) {
        const QByteArray data = chunkOf(sha256, index);
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
