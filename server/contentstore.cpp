#include "contentstore.h"

#include "contentchunker.h"
#include "database.h"
#include "sha256.h"

#include <QIODevice>
#include <QLoggingCategory>
#include <QSqlQuery>

#include <QMutex>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <functional>

Q_LOGGING_CATEGORY(lcContents, "platform.contents")

namespace {

// Bytes read from a device at a time while they are cut into chunks.
const int kReadBlockBytes = 256 * 1024;

// Contents a download found damaged since the process started.
QMutex g_damagedMutex;
QSet<QString> g_damaged;

// Reads size bytes from device, cut into chunks handed one by one to each; the SHA-256 of the
// whole, or an empty text when fewer bytes came.
QString cutInto(QIODevice *device, qint64 size, const std::function<void(const QByteArray &)> &each)
{
    Sha256 whole;
    ContentChunker chunker;
    QByteArray chunk;
    chunk.reserve(static_cast<int>(ContentChunker::kMaxBytes));
    QByteArray block(kReadBlockBytes, Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const qint64 got =
            device ? device->read(block.data(), qMin<qint64>(block.size(), size - done)) : -1;
        if (got <= 0)
            return QString();
        whole.addData(block.constData(), got);
        done += got;
        for (qint64 at = 0; at < got;) {
            bool boundary = false;
            const qint64 taken = chunker.scan(block.constData() + at, got - at, &boundary);
            chunk.append(block.constData() + at, static_cast<int>(taken));
            at += taken;
            if (boundary) {
                each(chunk);
                chunk.clear();
            }
        }
    }
    if (!chunk.isEmpty())
        each(chunk);
    return whole.hexResult();
}

void insertPart(const QString &sha256, int seq, const QString &chunk, qint64 size)
{
    Database::exec(QStringLiteral("INSERT INTO content_parts (sha256, seq, chunk, size) "
                                  "VALUES (?, ?, ?, ?)"),
                   {sha256, seq, chunk, size});
}

bool isNewContent(const QString &sha256, qint64 size)
{
    return Database::exec(QStringLiteral("INSERT INTO contents (sha256, size) VALUES (?, ?) "
                                         "ON CONFLICT DO NOTHING"),
                          {sha256, size})
               .numRowsAffected()
        == 1;
}

ApiError arrivedDamaged(const QString &title)
{
    return ApiError(400, QStringLiteral("the content of %1 arrived damaged").arg(title));
}

} // namespace

ContentStore::Reader::Reader(const QString &sha256, qint64 size, bool range)
    : m_sha256(sha256), m_size(size), m_hash(std::make_unique<Sha256>()), m_range(range)
{
}

ContentStore::Reader::~Reader() = default;

qint64 ContentStore::Reader::read(qint64 offset, char *buffer, qint64 max)
{
    if (offset >= m_size)
        return 0;
    if (m_failed || (!m_partsLoaded && !loadParts()))
        return -1;
    const int index =
        static_cast<int>(std::upper_bound(m_starts.cbegin(), m_starts.cend(), offset)
                         - m_starts.cbegin())
        - 1;
    if (index != m_index && !load(index))
        return -1;
    const qint64 within = offset - m_starts[index];
    const qint64 length = qMin(max, m_chunk.size() - within);
    if (length <= 0)
        return -1;
    std::memcpy(buffer, m_chunk.constData() + within, static_cast<size_t>(length));
    return length;
}

bool ContentStore::Reader::loadParts()
{
    m_partsLoaded = true;
    m_parts = chunksOf(m_sha256);
    qint64 total = 0;
    for (const ChunkStore::Ref &part : qAsConst(m_parts)) {
        m_starts << total;
        total += part.size;
    }
    return total == m_size
        || damaged(QStringLiteral("its chunks hold %1 bytes").arg(total));
}

bool ContentStore::Reader::load(int index)
{
    m_index = index;
    const ChunkStore::Ref &part = m_parts[index];
    m_chunk = ChunkStore::read(part.sha256);
    if (m_chunk.size() != part.size)
        return damaged(QStringLiteral("chunk %1 is missing or cut short").arg(index));
    if (m_range || index != m_hashedParts) {
        const QString digest = Sha256::hex(m_chunk);
        return digest == part.sha256
            || damaged(QStringLiteral("chunk %1 hashes to %2").arg(index).arg(digest));
    }
    m_hash->addData(m_chunk);
    if (++m_hashedParts < m_parts.size())
        return true;
    const QString digest = m_hash->hexResult();
    return digest == m_sha256 || damaged(QStringLiteral("its bytes hash to %1").arg(digest));
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
    for (const ChunkStore::Ref &part : chunksOf(sha256)) {
        const QByteArray data = ChunkStore::read(part.sha256);
        if (data.size() != part.size)
            return false;
        hash.addData(data);
        total += data.size();
    }
    return total == size && hash.hexResult() == sha256;
}

QString ContentStore::lockKeyOf(const QString &sha256)
{
    return QStringLiteral("content:") + sha256;
}

QString ContentStore::storeParts(QIODevice *device, qint64 size, const QString &sha256)
{
    int seq = 0;
    return cutInto(device, size, [&](const QByteArray &chunk) {
        const QString chunkSha = Sha256::hex(chunk);
        ChunkStore::use(chunkSha, chunk);
        insertPart(sha256, seq++, chunkSha, chunk.size());
    });
}

void ContentStore::store(QIODevice *device, qint64 size, const QString &sha256,
                         const QString &title)
{
    // A delete dropping the same bytes at the same time waits for this check-in, or this one
    // for the delete, and then stores the bytes again.
    Database::lockKey(lockKeyOf(sha256));
    const bool isNew = isNewContent(sha256, size);
    const QString digest = isNew ? storeParts(device, size, sha256)
                                 : cutInto(device, size, [](const QByteArray &) {});
    if (digest.isEmpty())
        throw ApiError(400, QStringLiteral("no content sent for %1").arg(title));
    if (digest != sha256)
        throw arrivedDamaged(title);
}

void ContentStore::storeChunks(const QVector<ChunkStore::Ref> &chunks, qint64 size,
                               const QString &sha256, const QString &title)
{
    Database::lockKey(lockKeyOf(sha256));
    const bool isNew = isNewContent(sha256, size);
    const ApiError gone(409, QStringLiteral("a chunk of %1 is no longer on the platform: the "
                                            "upload needs it again")
                                 .arg(title));
    // The chunks must make the content they claim to be, also when it is stored already:
    // nobody gains a content by naming its checksum.
    Sha256 whole;
    qint64 total = 0;
    for (const ChunkStore::Ref &chunk : chunks) {
        const QByteArray data = ChunkStore::read(chunk.sha256);
        if (data.isEmpty() && chunk.size > 0)
            throw gone;
        whole.addData(data);
        total += data.size();
    }
    if (total != size || whole.hexResult() != sha256)
        throw arrivedDamaged(title);
    if (!isNew)
        return;
    int seq = 0;
    for (const ChunkStore::Ref &chunk : chunks) {
        if (!ChunkStore::useStored(chunk.sha256))
            throw gone;
        insertPart(sha256, seq++, chunk.sha256, chunk.size);
    }
}

QVector<ChunkStore::Ref> ContentStore::chunksOf(const QString &sha256)
{
    QVector<ChunkStore::Ref> parts;
    QSqlQuery query = Database::exec(QStringLiteral("SELECT chunk, size FROM content_parts "
                                                    "WHERE sha256 = ? ORDER BY seq"),
                                     {sha256});
    while (query.next())
        parts.append({query.value(0).toString(), query.value(1).toLongLong()});
    return parts;
}

void ContentStore::dropUnused(const QString &sha256)
{
    // A check-in storing the same bytes at the same time holds this key until it commits, so
    // the content is either seen in use or stored again after it was dropped.
    Database::lockKey(lockKeyOf(sha256));
    // Every object's current content is one of its versions' too.
    if (Database::value(QStringLiteral("SELECT 1 FROM object_versions WHERE sha256 = ?"),
                        {sha256})
            .isValid())
        return;
    QHash<QString, qint64> uses;
    QSqlQuery parts = Database::exec(QStringLiteral("SELECT chunk, COUNT(*) FROM content_parts "
                                                    "WHERE sha256 = ? GROUP BY chunk"),
                                     {sha256});
    while (parts.next())
        uses.insert(parts.value(0).toString(), parts.value(1).toLongLong());
    parts.finish();
    Database::exec(QStringLiteral("DELETE FROM content_parts WHERE sha256 = ?"), {sha256});
    Database::exec(QStringLiteral("DELETE FROM contents WHERE sha256 = ?"), {sha256});
    ChunkStore::release(uses);
}
