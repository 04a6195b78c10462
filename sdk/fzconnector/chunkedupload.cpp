#include "chunkedupload.h"

#include "filechunks.h"
#include "platformconnection.h"

#include <QFile>
#include <QJsonArray>
#include <QStringList>
#include <QVector>

namespace {

// One request carries at most this many chunks and bytes, so that its list of places stays
// short and a dropped connection costs little.
const int kBatchChunks = 300;
const qint64 kBatchBytes = 16 * 1024 * 1024;

QVector<int> placesOf(const QJsonValue &list)
{
    QVector<int> places;
    for (const QJsonValue value : list.toArray())
        places << value.toInt();
    return places;
}

// "0-3,7,9-12": the places as runs.
QString runsOf(const QVector<int> &places)
{
    QStringList runs;
    for (int i = 0; i < places.size();) {
        int j = i;
        while (j + 1 < places.size() && places[j + 1] == places[j] + 1)
            ++j;
        runs << (i == j ? QString::number(places[i])
                        : QStringLiteral("%1-%2").arg(places[i]).arg(places[j]));
        i = j + 1;
    }
    return runs.join(QLatin1Char(','));
}

} // namespace

bool ChunkedUpload::send(const FileChunks &file, QString *uploadId, QString *error)
{
    QJsonArray announced;
    for (const FileChunks::Chunk &chunk : file.chunks())
        announced.append(QJsonArray{QString::fromLatin1(chunk.sha256),
                                    static_cast<double>(chunk.size)});
    QJsonObject state;
    if (!m_link.postJson(QStringLiteral("/uploads"),
                         QJsonObject{{QStringLiteral("size"), static_cast<double>(file.size())},
                                     {QStringLiteral("sha256"), QString::fromLatin1(file.sha256())},
                                     {QStringLiteral("chunks"), announced}},
                         &state, error))
        return false;
    if (!state.contains(QStringLiteral("missing")))
        return m_link.uploadResumable({file.path(), file.size()}, file.sha256(), uploadId, error);
    *uploadId = state.value(QStringLiteral("upload")).toString();
    const QString url = QStringLiteral("/uploads/") + *uploadId;
    QFile source(file.path());
    if (!source.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(file.path(), source.errorString());
        return false;
    }
    const QString changed = QStringLiteral("%1 changed while it was sent").arg(file.path());
    qint64 reported = 0;
    for (int attempt = 1;;) {
        // What the platform has counts as moved, also the chunks it had before; bytes sent
        // that never arrived are taken back.
        const qint64 received = static_cast<qint64>(state.value(QStringLiteral("received")).toDouble());
        if (!m_link.observe(received - reported)) {
            *error = QStringLiteral("cancelled");
            return false;
        }
        reported = received;
        const QVector<int> missing = placesOf(state.value(QStringLiteral("missing")));
        if (missing.isEmpty())
            return true;
        QVector<int> batch;
        qint64 bytes = 0;
        for (const int place : missing) {
            const qint64 size = file.chunks().value(place).size;
            if (size <= 0) {
                *error = QStringLiteral("the platform asked for a chunk the file does not have");
                return false;
            }
            if (!batch.isEmpty() && (bytes + size > kBatchBytes || batch.size() == kBatchChunks))
                break;
            batch << place;
            bytes += size;
        }
        int index = 0;
        qint64 within = 0;
        const QJsonObject before = state;
        const int status = m_link.putBytes(
            url + QStringLiteral("?chunks=") + runsOf(batch), bytes,
            [&](char *buffer, qint64 max, QString *readError) -> qint64 {
                const FileChunks::Chunk &chunk = file.chunks()[batch[index]];
                if (within == 0 && !source.seek(chunk.offset)) {
                    *readError = changed;
                    return -1;
                }
                const qint64 got = source.read(buffer, qMin(max, chunk.size - within));
                if (got <= 0) {
                    *readError = changed;
                    return -1;
                }
                within += got;
                if (within == chunk.size) {
                    ++index;
                    within = 0;
                }
                reported += got;
                if (!m_link.observe(got)) {
                    *readError = QStringLiteral("cancelled");
                    return -1;
                }
                return got;
            },
            &state, error);
        if (status == 200) {
            // Each chunk sent is there now, unless the file changed under it.
            const QVector<int> still = placesOf(state.value(QStringLiteral("missing")));
            if (std::any_of(batch.cbegin(), batch.cend(),
                            [&still](int place) { return still.contains(place); })) {
                *error = changed;
                return false;
            }
            attempt = 1;
            continue;
        }
        if (status == 400 && state.contains(QStringLiteral("missing")))
            *error = changed; // a chunk's bytes did not match what was announced
        if (status != 0 || attempt == PlatformConnection::transferAttempts()
            || !m_link.waitToRetry(attempt))
            return false;
        ++attempt;
        // Where the platform stands; when it cannot say, the chunks of before are sent again.
        QString ignored;
        if (!m_link.getJson(url, &state, &ignored))
            state = before;
    }
}
