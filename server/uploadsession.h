#pragma once

#include "chunkstore.h"
#include "piecereader.h"

#include <QIODevice>
#include <QJsonObject>
#include <QString>

#include <optional>

// One resumable upload of a file's content, kept in the database until a check-in uses it or it
// expires: what was announced (owner, size, SHA-256) and the bytes received so far, in pieces
// as they arrived. Every process of a platform sharing the database sees it, so an upload goes
// on wherever its next request lands. A connection that drops leaves the bytes that arrived, so
// the client sends only the rest. Within one process, appends take turns (see takeOver()).
//
// An upload announced with the file's chunks (see ContentChunker) is sent chunk by chunk
// instead, and only the chunks the platform lacks travel: those no content readable by the
// user holds and none of the user's uploads brought already. A chunk's bytes are checked
// against its SHA-256 as it arrives.
class UploadSession
{
public:
    // The bytes of a complete upload, read piece by piece for a check-in.
    class Reader : public PieceReader
    {
    public:
        explicit Reader(const QString &id);
    };

    // A chunk of an upload announced as chunks: its place in the file and what it is.
    struct Chunk {
        int seq = 0;
        ChunkStore::Ref ref;
    };

    // Announces an upload of size bytes with this SHA-256 for the user, as these chunks (none:
    // sent as bytes); its id is new.
    static UploadSession create(qint64 userId, qint64 size, const QString &sha256,
                                const QVector<ChunkStore::Ref> &chunks = {});
    // The user's upload of that id; none when it does not exist or belongs to someone else.
    static std::optional<UploadSession> open(const QString &id, qint64 userId);
    // Removes uploads announced more than maxAgeSeconds ago.
    static void removeExpired(qint64 maxAgeSeconds);
    // Removes the uploads that a condition on the uploads table picks ("user_id = ?"), with
    // every byte they brought that nothing else uses.
    static void removeWhere(const QString &condition, const QVariantList &binds);

    QString id() const { return m_id; }
    qint64 size() const { return m_size; }
    QString sha256() const { return m_sha256; }
    bool isChunked() const { return m_chunked; }
    // Bytes received so far; of an upload announced as chunks, those of the chunks the
    // platform has.
    qint64 received() const;
    bool isComplete() const;
    // What a client needs to go on: {"upload", "received", "size"}, and of an upload announced
    // as chunks "missing": the places of the chunks the platform still needs.
    QJsonObject state() const;

    // The chunks of an upload announced as chunks, in order.
    QVector<Chunk> chunks() const;
    // The places of the chunks still needed; a chunk counted as there that has gone since (the
    // last content holding it was deleted) is needed again.
    QVector<int> missing() const;
    // Keeps the bytes of a chunk that arrived and checked out.
    void arrived(const ChunkStore::Ref &chunk, const QByteArray &data) const;
    void remove() const;

    // Makes the caller the one append of this upload in this process, and returns its turn. An
    // append still running (its client gone, its connection not yet noticed as closed) loses
    // its turn: what it stores from then on is dropped, so the bytes of the new append follow
    // the ones received so far.
    quint64 takeOver() const;
    void release(quint64 turn) const;
    // Stores bytes that arrived, beginning at start, while the turn lasts; false once another
    // append took over.
    bool append(quint64 turn, qint64 start, const QByteArray &bytes) const;

private:
    UploadSession() = default;

    QString m_id;
    qint64 m_size = 0;
    QString m_sha256;
    bool m_chunked = false;
};
