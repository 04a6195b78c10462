#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

// The chunks every stored content is made of, each kept once per SHA-256 with the number of
// content parts that use it, so that every version and every file holding the same bytes
// shares them. A chunk that arrived for an upload is kept unused until its check-in commits or
// the upload goes. Runs on the calling thread's database connection, inside the caller's
// transaction where there is one.
class ChunkStore
{
public:
    struct Ref {
        QString sha256;
        qint64 size = 0;
        bool operator==(const Ref &other) const
        {
            return sha256 == other.sha256 && size == other.size;
        }
    };

    // Stores a chunk of a content being stored, or counts one more use of it.
    static void use(const QString &sha256, const QByteArray &data);
    // Counts one more use of a chunk stored already; false when it is not there (any more).
    static bool useStored(const QString &sha256);
    // Keeps a chunk that arrived for an upload, unless it is stored already.
    static void keep(const QString &sha256, const QByteArray &data);
    // Gives up uses of chunks, counted per chunk; a chunk left unused goes.
    static void release(const QHash<QString, qint64> &uses);
    // Drops those of these chunks that no content uses, once no upload still waits to use them.
    static void dropUnused(const QStringList &chunks);
    // The chunk's bytes; empty when it is not there.
    static QByteArray read(const QString &sha256);
    // Of these chunks, those stored that are part of a content the user may read: the versions
    // of the objects in the spaces they are a member of.
    static QSet<QString> readableBy(qint64 userId, const QStringList &chunks);
    // Of these chunks, those stored that uploads of the user brought.
    static QSet<QString> broughtBy(qint64 userId, const QStringList &chunks);
};
