#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;
class Sha256;

// File contents in the database, stored once per SHA-256 in chunks of a fixed size, so that
// storing and sending a file holds one chunk in memory whatever the file's size. Stateless
// apart from the reader; runs on the calling thread's database connection.
class ContentStore
{
public:
    // Reads a content chunk by chunk for an answer; lives for one download. Every chunk is
    // hashed as it is read (those before a resumed range too), and the last one goes out only
    // when the whole content hashes to its SHA-256: a damaged content is said in the log and
    // its download cut short, never served as if it were whole.
    class Reader
    {
    public:
        Reader(const QString &sha256, qint64 size);
        ~Reader();
        // Up to max bytes from offset; -1 when the content is gone or damaged.
        qint64 read(qint64 offset, char *buffer, qint64 max);

    private:
        // Loads chunk index into m_chunk, hashing it and any not hashed before it; false when
        // a chunk is missing or the content proves damaged.
        bool load(qint64 index);
        bool damaged(const QString &what);

        QString m_sha256;
        qint64 m_size;
        qint64 m_chunkIndex = -1;
        QByteArray m_chunk;
        std::unique_ptr<Sha256> m_hash;
        qint64 m_hashed = 0; // chunks hashed so far, from the first
        qint64 m_hashedBytes = 0;
        bool m_failed = false;
    };

    // Stores size bytes read from device as the content with this SHA-256, unless it is stored
    // already; the bytes are hashed as they are read, and ApiError(400) names title when they
    // differ. Runs inside the caller's transaction, which a failure rolls back.
    static void store(QIODevice *device, qint64 size, const QString &sha256,
                      const QString &title);
    // Drops a content that no version of any object uses any more; inside the caller's
    // transaction.
    static void dropUnused(const QString &sha256);
    // Moves contents kept whole in one column, as older platforms stored them, into chunks.
    static void migrateWholeContents();
    // Whether a download of this process found the content damaged: later requests for it are
    // refused at once with the reason, rather than cut short again.
    static bool isKnownDamaged(const QString &sha256);
    // Whether the stored chunks of a content add up to its size and SHA-256: a damaged disk or
    // a hand-edited database shows here rather than in a user's download.
    static bool isIntact(const QString &sha256, qint64 size);
};
