#include "filechunks.h"

#include "contentchunker.h"
#include "platformconnection.h"
#include "sha256digest.h"

#include <QFile>

#include <thread>

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
    // The whole file's SHA-256 on a thread of its own, which reads the file too: it takes about
    // as long as the chunks' on this one, and the second read comes from the system's cache.
    QString wholeError;
    qint64 wholeSize = 0;
    // On failure hashFile() says why in wholeError, which stays empty otherwise.
    std::thread whole(
        [&] { PlatformConnection::hashFile(path, &m_sha256, &wholeSize, &wholeError); });
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
    qint64 read = 0;
    while ((read = file.read(block.data(), block.size())) > 0) {
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
    whole.join();
    if (read < 0 || !wholeError.isEmpty()) {
        *error = read < 0 ? QStringLiteral("cannot read %1: %2").arg(path, file.errorString())
                          : wholeError;
        return false;
    }
    // A file that changes while it is read gives chunks and a checksum that disagree: the
    // platform refuses such an upload at the check-in.
    if (chunkStart < m_size)
        endChunk(m_size);
    return true;
}

const FileChunks::Chunk *FileChunks::find(const QByteArray &sha256) const
{
    const auto found = m_index.constFind(sha256);
    return found == m_index.constEnd() ? nullptr : &m_chunks[found.value()];
}
