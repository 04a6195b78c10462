#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

// A local file read once: its SHA-256, its size and its chunks as the platform cuts contents
// (see ContentChunker), each with its SHA-256 and where it lies in the file.
class FileChunks
{
public:
    struct Chunk {
        QByteArray sha256; // lower-case hex
        qint64 offset = 0;
        qint64 size = 0;
    };

    // Reads the file; false with a reason when it cannot be read.
    bool read(const QString &path, QString *error);

    QString path() const { return m_path; }
    QByteArray sha256() const { return m_sha256; }
    qint64 size() const { return m_size; }
    const QVector<Chunk> &chunks() const { return m_chunks; }
    // Where a chunk of this SHA-256 lies in the file; null when the file has none.
    const Chunk *find(const QByteArray &sha256) const;

private:
    QString m_path;
    QByteArray m_sha256;
    qint64 m_size = 0;
    QVector<Chunk> m_chunks;
    QHash<QByteArray, int> m_index;
};
