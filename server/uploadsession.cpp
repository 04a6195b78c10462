#include "uploadsession.h"

#include "credentials.h"
#include "database.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlQuery>

#include <cstring>
#include <map>
#include <mutex>

namespace {

// Whose turn it is to append to each upload in this process; held while a piece is stored, so
// an append that lost its turn stores nothing after the new one began.
std::mutex turnMutex;
std::map<QString, quint64> turnOf; // guarded by turnMutex
quint64 lastTurn = 0;              // guarded by turnMutex

} // namespace

UploadSession::Reader::Reader(const QString &id) : m_id(id)
{
    open(QIODevice::ReadOnly);
}

qint64 UploadSession::Reader::readData(char *data, qint64 maxSize)
{
    if (m_used == m_piece.size()) {
        QSqlQuery next = Database::exec(QStringLiteral("SELECT data FROM upload_pieces "
                                                       "WHERE upload_id = ? AND start = ?"),
                                        {m_id, m_next});
        if (!next.next())
            return 0;
        m_piece = next.value(0).toByteArray();
        m_used = 0;
        m_next += m_piece.size();
    }
    const qint64 length = qMin(maxSize, m_piece.size() - m_used);
    std::memcpy(data, m_piece.constData() + m_used, static_cast<size_t>(length));
    m_used += length;
    return length;
}

UploadSession UploadSession::create(qint64 userId, qint64 size, const QString &sha256)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    if (size < 0 || !hex.match(sha256).hasMatch())
        throw ApiError(400, QStringLiteral("an upload names its size and SHA-256"));
    UploadSession session;
    session.m_id = Credentials::newObjectId();
    session.m_size = size;
    session.m_sha256 = sha256;
    Database::exec(QStringLiteral("INSERT INTO uploads (id, user_id, size, sha256, created_at) "
                                  "VALUES (?, ?, ?, ?, ?)"),
                   {session.m_id, userId, size, sha256,
                    QDateTime::currentSecsSinceEpoch()});
    return session;
}

std::optional<UploadSession> UploadSession::open(const QString &id, qint64 userId)
{
    QSqlQuery found = Database::exec(QStringLiteral("SELECT size, sha256 FROM uploads "
                                                    "WHERE id = ? AND user_id = ?"),
                                     {id, userId});
    if (!found.next())
        return std::nullopt;
    UploadSession session;
    session.m_id = id;
    session.m_size = found.value(0).toLongLong();
    session.m_sha256 = found.value(1).toString();
    return session;
}

void UploadSession::removeExpired(qint64 maxAgeSeconds)
{
    const qint64 oldest = QDateTime::currentSecsSinceEpoch() - maxAgeSeconds;
    Database::exec(QStringLiteral("DELETE FROM upload_pieces WHERE upload_id IN "
                                  "(SELECT id FROM uploads WHERE created_at < ?)"),
                   {oldest});
    Database::exec(QStringLiteral("DELETE FROM uploads WHERE created_at < ?"), {oldest});
}

QJsonObject UploadSession::state() const
{
    return QJsonObject{{QStringLiteral("upload"), m_id},
                       {QStringLiteral("received"), static_cast<double>(received())},
                       {QStringLiteral("size"), static_cast<double>(m_size)}};
}

qint64 UploadSession::received() const
{
    return Database::value(QStringLiteral("SELECT COALESCE(SUM(length), 0) FROM upload_pieces "
                                          "WHERE upload_id = ?"),
                           {m_id})
        .toLongLong();
}

void UploadSession::remove() const
{
    Database::exec(QStringLiteral("DELETE FROM upload_pieces WHERE upload_id = ?"), {m_id});
    Database::exec(QStringLiteral("DELETE FROM uploads WHERE id = ?"), {m_id});
}

quint64 UploadSession::takeOver() const
{
    const std::lock_guard<std::mutex> lock(turnMutex);
    return turnOf[m_id] = ++lastTurn;
}

void UploadSession::release(quint64 turn) const
{
    const std::lock_guard<std::mutex> lock(turnMutex);
    const auto current = turnOf.find(m_id);
    if (current != turnOf.end() && current->second == turn)
        turnOf.erase(current);
}

bool UploadSession::append(quint64 turn, qint64 start, const QByteArray &bytes) const
{
    const std::lock_guard<std::mutex> lock(turnMutex);
    const auto current = turnOf.find(m_id);
    if (current == turnOf.end() || current->second != turn)
        return false;
    Database::exec(QStringLiteral("INSERT INTO upload_pieces (upload_id, start, length, data) "
                                  "VALUES (?, ?, ?, ?)"),
                   {m_id, start, bytes.size(), bytes});
    return true;
}
