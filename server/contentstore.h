#pragma once

#include "chunkstore.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>

class QIODevice;
class Sha256;

// File contents in the database, each stored once per SHA-256 as the ordered list of its
// chunks (see ContentChunker and ChunkStore), so that storing and sending a file holds a chunk
// or two in memory whatever the file's size, and a small edit stores a chunk or two more.
// Stateless apart from the reader; runs on the calling thread's database connection.
class ContentStore
{
public:
    // Reads a content chunk by chunk for an answer; lives for one download. A download of the
    // whole hashes it as it goes, and its last chunk goes out only when the whole content
    // hashes to its SHA-256; a range (a resumed transfer, the chunks a client lacks) checks
    // each chunk against its own SHA-256 before it goes out. A damaged content is said in the
    // log and its download cut short, never served as if it were whole.
    class Reader
    {
    public:
        Reader(const QString &sha256, qint64 size, bool range = false);
        ~Reader();
        // Up to max bytes from offset; -1 when the content is gone or damaged.
        qint64 read(qint64 offset, char *buffer, qint64 max);

    private:
        bool loadParts();
        // Loads part index into m_chunk; false when it is missing or proves damaged.
        bool load(int index);
        bool damaged(const QString &what);

        QString m_sha256;
        qint64 m_size;
        QVector<ChunkStore::Ref> m_parts;
        QVector<qint64> m_starts;
        bool m_partsLoaded = false;
        int m_index = -1;
        QByteArray m_chunk;
        std::unique_ptr<Sha256> m_hash; // of the whole, while the parts come in order
        int m_hashedParts = 0;
        bool m_range;
        bool m_failed = false;
    };

    // Stores size bytes read from device as the content with this SHA-256, unless it is stored
    // already; the bytes are hashed as they are read, and ApiError(400) names title when they
    // differ. Runs inside the caller's transaction, which a failure rolls back.
    static void store(QIODevice *device, qint64 size, const QString &sha256,
                      const QString &title);
    // Stores the content with this SHA-256 as these chunks, all of them on the platform
    // already; their bytes must add up to size and hash to sha256 (ApiError(400) naming title
    // otherwise), whether or not the content is stored already. ApiError(409) when a chunk
    // went meanwhile. Inside the caller's transaction.
    static void storeChunks(const QVector<ChunkStore::Ref> &chunks, qint64 size,
                            const QString &sha256, const QString &title);
    // The chunks a content is made of, in order.
    static QVector<ChunkStore::Ref> chunksOf(const QString &sha256);
    // Drops a content that no version of any object uses any more, and the chunks that only it
    // used; inside the caller's transaction.
    static void dropUnused(const QString &sha256);
    // Whether a download of this process found the content damaged: later requests for it are
    // refused at once with the reason, rather than cut short again.
    static bool isKnownDamaged(const QString &sha256);
    // Whether the stored chunks of a content add up to its size and SHA-256: a damaged disk or
    // a hand-edited database shows here rather than in a user's download.
    static bool isIntact(const QString &sha256, qint64 size);
    // Cuts size bytes read from device into chunks and stores them as the parts of the content
    // with this SHA-256; gives the SHA-256 of what was read, empty when fewer bytes came (the
    // caller then rolls back). The caller holds the content's lock key.
    static QString storeParts(QIODevice *device, qint64 size, const QString &sha256);
    // The key a store and a drop of the same content take turns on.
    static QString lockKeyOf(const QString &sha256);
};
