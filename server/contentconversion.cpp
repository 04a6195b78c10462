#include "contentconversion.h"

#include "contentstore.h"
#include "database.h"
#include "piecereader.h"

#include "faults/faultpoint.h"

#include <QLoggingCategory>
#include <QSqlQuery>
#include <QSqlRecord>

#include <functional>

Q_LOGGING_CATEGORY(lcConversion, "platform.contents")

namespace {

const QString kPiecesTable = QStringLiteral("content_chunks");

// The bytes of a content as an older platform kept them: its pieces in order, or its one
// column.
std::function<QByteArray()> oldPieces(const QString &sha256, bool whole)
{
    return [sha256, whole, next = qint64(0)]() mutable {
        if (whole) {
            return next++ > 0 ? QByteArray()
                               : Database::value(QStringLiteral("SELECT data FROM contents "
                                                                "WHERE sha256 = ?"),
                                                 {sha256})
                                     .toByteArray();
        }
        return Database::value(QStringLiteral("SELECT data FROM content_chunks WHERE sha256 = ? "
                                              "AND seq = ?"),
                               {sha256, next++})
            .toByteArray();
    };
}

// Cuts one old content into chunks; the caller's transaction removes the old form.
void convert(const QString &sha256, qint64 size, bool whole)
{
    PieceReader old(oldPieces(sha256, whole));
    const QString digest = ContentStore::storeParts(&old, size, sha256);
    if (digest != sha256) {
        // Kept as the bytes were: the integrity check names the files that use it.
        qCCritical(lcConversion).noquote()
            << QStringLiteral("content %1 (%2 bytes) was damaged before its conversion into "
                              "chunks: its bytes hash to %3")
                   .arg(sha256)
                   .arg(size)
                   .arg(digest.isEmpty() ? QStringLiteral("nothing (too few bytes)") : digest);
    }
}

// Converts the next content still in pieces; false when none is left.
bool convertNextPieces()
{
    Transaction transaction;
    Database::lockKey(QStringLiteral("content-conversion"));
    if (!Database::connection().tables().contains(kPiecesTable))
        return false;
    QSqlQuery next = Database::exec(QStringLiteral(
        "SELECT c.sha256, c.size FROM contents c WHERE EXISTS (SELECT 1 FROM content_chunks k "
        "WHERE k.sha256 = c.sha256) LIMIT 1"));
    if (!next.next()) {
        next.finish();
        Database::exec(QStringLiteral("DELETE FROM content_chunks"));
        Database::runUnprepared(QStringLiteral("DROP TABLE content_chunks"));
        transaction.commit();
        return false;
    }
    const QString sha256 = next.value(0).toString();
    const qint64 size = next.value(1).toLongLong();
    next.finish();
    Database::exec(QStringLiteral("DELETE FROM content_parts WHERE sha256 = ?"), {sha256});
    convert(sha256, size, false);
    Database::exec(QStringLiteral("DELETE FROM content_chunks WHERE sha256 = ?"), {sha256});
    transaction.commit();
    // Each content converted is kept: a stop here leaves the rest for the next start.
    if (FaultPoint::fails("platform.conversion.converted"))
        throw ApiError(500, FaultPoint::failureText("platform.conversion.converted"));
    return true;
}

} // namespace

void ContentConversion::run()
{
    if (Database::connection().record(QStringLiteral("contents")).contains(QStringLiteral("data"))) {
        // The oldest form, from before contents were streamed: small, converted in one go.
        Transaction transaction;
        Database::lockKey(QStringLiteral("content-conversion"));
        if (Database::connection().record(QStringLiteral("contents"))
                .contains(QStringLiteral("data"))) {
            QSqlQuery all = Database::exec(QStringLiteral("SELECT sha256, size FROM contents"));
            QList<QPair<QString, qint64>> contents;
            while (all.next())
                contents.append({all.value(0).toString(), all.value(1).toLongLong()});
            all.finish();
            for (const auto &content : qAsConst(contents))
                convert(content.first, content.second, true);
            Database::runUnprepared(QStringLiteral("ALTER TABLE contents DROP COLUMN data"));
        }
        transaction.commit();
    }
    if (!Database::connection().tables().contains(kPiecesTable))
        return;
    qCInfo(lcConversion) << "converting the stored contents into chunks";
    int converted = 0;
    while (convertNextPieces())
        ++converted;
    qCInfo(lcConversion).noquote()
        << QStringLiteral("%1 contents converted into chunks").arg(converted);
}
