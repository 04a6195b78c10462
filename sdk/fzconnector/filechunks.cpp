#include "filechunks.h"

#include "contentchunker.h"
#include "sha256digest.h"

#include <QFile>

namespace {

const int kReadBlockBytes = 1024 * 1024;

} // namespace

bool FileChunks::read(const QString &path, QString *error)
{
    m_path = path;
    m_size = 0;
    m_chunks.clear();
    m_index.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    Sha256Digest whole;
    Sha256Digest chunk;
    ContentChunker chunker;
    qint64 chunkStart = 0;
    const auto endChunk = [&](qint64 end) {
        const QByteArray sha256 = chunk.hex();
        m_index.insert(sha256, m_chunks.size());
        m_chunks.append({sha256, chunkStart, end - chunkStart});
        chunkStart = end;
    };
    QByteArray block(kReadBlockBytes, Qt::Uninitialized);
    for (qint64 read; (read = file.read(block.data(), block.size())) != 0;) {
        if (read < 0) {
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
            return false;
        }
        whole.add(block.constData(), static_cast<size_t>(read));
        for (qint64 at = 0; at < read;) {
            bool boundary = false;
            const qint64 taken = chunker.scan(block.constData() + at, read - at, &boundary);
            chunk.add(block.constData() + at, static_cast<size_t>(taken));
            at += taken;
            if (boundary)
                endChunk(m_size + at);
        }
        m_size += read;
    }
    if (chunkStart < m_size)
        endChunk(m_size);
    m_sha256 = whole.hex();
    return true;
}

const FileChunks::Chunk *FileChunks::find(const QByteArray &sha256) const
{
    const auto found = m_index.constFind(sha256);
    return found == m_index.constEnd() ? nullptr : &m_chunks[found.value()];
}
