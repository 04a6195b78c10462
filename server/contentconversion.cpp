#include "contentconversion.h"

#include "contentstore.h"
#include "database.h"

#include <QIODevice>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cstring>

Q_LOGGING_CATEGORY(lcConversion, "platform.contents")

namespace {

const QString kPiecesTable = QStringLiteral("content_chunks");

// The bytes of a content as an older platform kept them: its pieces in order, or its one
// column.
class OldContent : public QIODevice
{
public:
    OldContent(const QString &sha256, bool whole) : m_sha256(sha256), m_whole(whole)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_used == m_piece.size()) {
            if (m_whole && m_next > 0)
                return 0;
            m_piece = m_whole
                ? Database::value(QStringLiteral("SELECT data FROM contents WHERE sha256 = ?"),
                                  {m_sha256})
                      .toByteArray()
                : Database::value(QStringLiteral("SELECT data FROM content_chunks WHERE "
                                                 "sha256 = ? AND seq = ?"),
                                  {m_sha256, m_next})
                      .toByteArray();
            ++m_next;
            m_used = 0;
            if (m_piece.isEmpty())
                return 0;
        }
        const qint64 length = qMin(maxSize, qint64(m_piece.size() - m_used));
        std::memcpy(data, m_piece.constData() + m_used, static_cast<size_t>(length));
        m_used += static_cast<int>(length);
        return length;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QString m_sha256;
    bool m_whole;
    qint64 m_next = 0;
    QByteArray m_piece;
    int m_used = 0;
};

// Cuts one old content into chunks; the caller's transaction removes the old form.
void convert(const QString &sha256, qint64 size, bool whole)
{
    OldContent old(sha256, whole);
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
