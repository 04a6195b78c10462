#include "deltadownload.h"

#include "filechunks.h"
#include "partialdownload.h"
#include "platformconnection.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

DeltaDownload::Outcome DeltaDownload::fetch(const QString &basis, PartialDownload *part,
                                            std::string *expected, QString *stamp,
                                            QString *error)
{
    QJsonObject list;
    QString ignored;
    if (!m_link.getJson(m_object + QStringLiteral("/chunks"), &list, &ignored))
        return Outcome::Unavailable;
    FileChunks local;
    QFile source(basis);
    if (!local.read(basis, &ignored) || !source.open(QIODevice::ReadOnly))
        return Outcome::Unavailable;
    *expected = list.value(QStringLiteral("sha256")).toString().toStdString();
    *stamp = list.value(QStringLiteral("modified")).toString();
    qint64 offset = 0;
    qint64 runFirst = -1; // the first byte of chunks to fetch, not fetched yet
    const auto flush = [&]() {
        const Outcome outcome = runFirst < 0 ? Outcome::Assembled
                                             : fetchRange(runFirst, offset - 1, part, error);
        runFirst = -1;
        return outcome;
    };
    QByteArray bytes;
    for (const QJsonValue value : list.value(QStringLiteral("chunks")).toArray()) {
        const QJsonArray chunk = value.toArray();
        const qint64 size = static_cast<qint64>(chunk.at(1).toDouble());
        const FileChunks::Chunk *have = local.find(chunk.at(0).toString().toLatin1());
        if (!have) {
            if (runFirst < 0)
                runFirst = offset;
            offset += size;
            continue;
        }
        const Outcome before = flush();
        if (before != Outcome::Assembled)
            return before;
        if (!source.seek(have->offset)
            || (bytes = source.read(have->size)).size() != have->size)
            return Outcome::Unavailable;
        if (!part->append(bytes.constData(), static_cast<size_t>(bytes.size()))) {
            *error = QStringLiteral("cannot write %1: %2").arg(m_target, part->errorString());
            return Outcome::Failed;
        }
        if (!m_link.observe(size)) {
            *error = QStringLiteral("cancelled");
            return Outcome::Failed;
        }
        offset += size;
    }
    return flush();
}

DeltaDownload::Outcome DeltaDownload::fetchRange(qint64 first, qint64 last,
                                                 PartialDownload *part, QString *error)
{
    for (int attempt = 1;; ++attempt) {
        bool cancelled = false;
        bool writeFailed = false;
        const int status = m_link.getRange(
            m_object + QStringLiteral("/content"), first, last,
            [&](const char *data, size_t length) {
                if (!part->append(data, length)) {
                    writeFailed = true;
                    return false;
                }
                first += static_cast<qint64>(length);
                cancelled = !m_link.observe(static_cast<qint64>(length));
                return !cancelled;
            },
            error);
        if (writeFailed) {
            *error = QStringLiteral("cannot write %1: %2").arg(m_target, part->errorString());
            return Outcome::Failed;
        }
        if (cancelled) {
            *error = QStringLiteral("cancelled");
            return Outcome::Failed;
        }
        if (first > last)
            return Outcome::Assembled;
        if (status != 0 || attempt == PlatformConnection::transferAttempts()
            || !m_link.waitToRetry(attempt))
            return Outcome::Unavailable;
    }
}
