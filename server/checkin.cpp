#include "checkin.h"

#include "eventlog.h"

#include "contentstore.h"
#include "credentials.h"
#include "database.h"
#include "platformconstants.h"
#include "spacerole.h"
#include "titlerules.h"
#include "uploadsession.h"
#include "versionstore.h"

#include "faults/faultpoint.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QSet>
#include <QSqlQuery>

namespace {

// How long the answer of a keyed check-in is kept for retries, and how long a key may be.
const qint64 kKeptKeySeconds = 2 * 24 * 3600;
const int kMaxKeyCharacters = 200;

QString prop(const QJsonObject &record, const char *key)
{
    return record.value(QLatin1String(key)).toString();
}

} // namespace

CheckIn::CheckIn(const Caller &caller, AccountStore &accounts, const Retention &retention)
    : m_caller(caller), m_accounts(accounts), m_retention(retention), m_objects(caller)
{
}

QList<ObjectRow> CheckIn::run(const QJsonObject &manifest, QIODevice *contents)
{
    const QJsonArray records = manifest.value(QStringLiteral("records")).toArray();
    if (records.isEmpty())
        throw ApiError(400, QStringLiteral("the check-in holds no record"));
    if (records.size() > platform::kMaxRecordsPerRequest)
        throw ApiError(413, QStringLiteral("too many records in one check-in"));
    m_comment = manifest.value(QStringLiteral("comment")).toString();
    VersionStore::checkComment(m_comment);

    Transaction transaction;
    if (!m_key.isEmpty()) {
        // Retries of one check-in take turns; the first one's answer stands for the others.
        Database::lockKey(QStringLiteral("checkin-key:%1:%2").arg(m_caller.userId).arg(m_key));
        const QVariant earlier = Database::value(
            QStringLiteral("SELECT answer FROM checkin_keys WHERE user_id = ? AND key = ?"),
            {m_caller.userId, m_key});
        if (earlier.isValid()) {
            m_repeated = QJsonDocument::fromJson(earlier.toByteArray()).array();
            return {};
        }
    }
    QVector<Placed> placed(records.size());
    QList<ObjectRow> stored;
    QSet<qint64> parents;
    for (int i = 0; i < records.size(); ++i) {
        const QJsonObject record = records.at(i).toObject();
        const int parent = record.value(QStringLiteral("parent")).toInt(-1);
        if (parent >= i || parent < -1)
            throw ApiError(400, QStringLiteral("record %1 names a parent after it").arg(i));
        if ((parent == -1) != (i == 0))
            throw ApiError(400, QStringLiteral("a check-in has exactly one top record"));
        placed[i] = place(record, parent >= 0 ? &placed[parent] : nullptr, contents, &stored);
        if (parent >= 0 && placed[parent].id != 0)
            parents.insert(placed[parent].id);
    }
    // Once every file is in place, each drawing's current version notes the revisions of its
    // references, new ones included.
    for (const qint64 parent : parents)
        VersionStore::noteReferences(parent);
    for (const qint64 objectId : m_versioned)
        m_retention.pruneObject(objectId);
    if (!m_key.isEmpty()) {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        Database::exec(QStringLiteral("DELETE FROM checkin_keys WHERE created_at < ?"),
                       {now - kKeptKeySeconds});
        QJsonArray objects;
        for (const ObjectRow &row : stored)
            objects.append(row.toJson());
        Database::exec(QStringLiteral("INSERT INTO checkin_keys (user_id, key, created_at, "
                                      "answer) VALUES (?, ?, ?, ?)"),
                       {m_caller.userId, m_key, now,
                        QString::fromUtf8(QJsonDocument(objects).toJson(QJsonDocument::Compact))});
    }
    if (FaultPoint::fails("platform.checkin.committing"))
        throw ApiError(500, FaultPoint::failureText("platform.checkin.committing"));
    transaction.commit();
    // Stored, and the answer lost on its way: the client's retry must not store it again.
    if (FaultPoint::fails("platform.checkin.committed"))
        throw ApiError(500, FaultPoint::failureText("platform.checkin.committed"));
    return stored;
}

QJsonArray CheckIn::answer(const QJsonObject &manifest, QIODevice *contents)
{
    m_key = manifest.value(QStringLiteral("key")).toString();
    if (m_key.size() > kMaxKeyCharacters)
        throw ApiError(400, QStringLiteral("a check-in's key is at most %1 characters")
                                .arg(kMaxKeyCharacters));
    const QList<ObjectRow> stored = run(manifest, contents);
    if (m_repeated)
        return *m_repeated;
    QJsonArray objects;
    for (const ObjectRow &row : stored)
        objects.append(row.toJson());
    return objects;
}

CheckIn::Placed CheckIn::place(const QJsonObject &record, const Placed *parent,
                               QIODevice *contents, QList<ObjectRow> *stored)
{
    const QString title = prop(record, "title");
    const QString problem = TitleRules::problem(title);
    if (!problem.isEmpty())
        throw ApiError(400, problem);
    const QString relation = prop(record, "_RelationToParent");
    const bool derived = parent && relation == QLatin1String(platform::kRelationDerivedOutput);
    // An output derived from a file that is not on the platform has nothing to belong to.
    if (derived && parent->id == 0)
        return Placed();
    if (parent && !derived && !relation.isEmpty()
        && relation != QLatin1String(platform::kRelationSubcomponent))
        throw ApiError(400, QStringLiteral("unknown relation \"%1\"").arg(relation));
    // A derived output is named after the object it belongs to.
    QString name = derived ? parent->name + QStringLiteral(".jpg") : prop(record, "name");
    const bool selected = prop(record, "selected") != QLatin1String("false");

    std::optional<ObjectRow> existing;
    if (!name.isEmpty()) {
        // Saves of one file through several processes take turns, so that each reads the
        // revision the one before it wrote and its version gets the next.
        Database::lockKey(ObjectStore::writeKey(name));
        existing = m_objects.resolve(QJsonObject{{QStringLiteral("name"), name}});
    }
    if (!existing && !name.isEmpty()) {
        QSqlQuery other = Database::exec(
            QStringLiteral("SELECT o.trashed_at, s.name FROM objects o JOIN spaces s ON s.id = "
                           "o.space_id WHERE o.name = ?"),
            {name});
        if (other.next()) {
            if (other.value(0).isNull())
                throw ApiError(403, QStringLiteral("no access to %1").arg(title));
            throw ApiError(409, QStringLiteral("%1 was deleted and is in the trash of %2: a "
                                               "manager of the space or whoever deleted it can "
                                               "restore it")
                                    .arg(title, other.value(1).toString()));
        }
    }
    const bool lockedByOther =
        existing && existing->lockedById != 0 && existing->lockedById != m_caller.userId;
    // A preview is written with its drawing, so the drawing's lock guards it too.
    if (derived && !parent->lockedByOther.isEmpty())
        throw ApiError(409, QStringLiteral("%1 is locked by %2")
                                .arg(parent->title, parent->lockedByOther));

    Placed result;
    if (!selected) {
        // Not written, only passed through to its children (a drawing the caller may not save,
        // for instance because a colleague holds its lock): another user's lock stands.
        if (existing) {
            result = Placed{existing->id, existing->name, existing->title,
                            lockedByOther ? existing->lockedBy : QString()};
        }
    } else {
        if (existing)
            SpaceRole::requireWrite(existing->role, existing->space, SpaceRole::Save);
        if (lockedByOther) {
            throw ApiError(409, QStringLiteral("%1 is locked by %2")
                                    .arg(existing->title, existing->lockedBy));
        }
        if (existing && !derived)
            m_objects.refuseIfDrawingLocked(*existing);
        // Local changes based on an older version would silently undo someone else's.
        const QString base = prop(record, "_BaseModified");
        if (existing && !base.isEmpty() && ObjectStore::stampText(existing->modified) != base) {
            throw ApiError(409, QStringLiteral("%1 was changed on the platform by %2")
                                    .arg(existing->title, existing->modifiedBy));
        }
        const bool keepLock = prop(record, "maintainlock") == QLatin1String("true");
        const QVariant lockHolder = keepLock ? QVariant(m_caller.userId)
                                             : QVariant(QVariant::LongLong);
        const DrawingProperties sent = DrawingProperties::fromRecord(record, title);
        QString sha256;
        qint64 size = 0;
        storeContent(record, contents, &sha256, &size);
        const QString type = derived ? QString::fromLatin1(platform::kTypeDerivedOutput)
                                     : ObjectStore::typeForTitle(title);
        const QString cadType = type == QLatin1String(platform::kTypeDrawing)
            ? QString::fromLatin1(platform::kCadTypeAssembly)
            : type == QLatin1String(platform::kTypeInsert)
                ? QString::fromLatin1(platform::kCadTypeInserted)
                : QString();
        const QString format = prop(record, "_Format");
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        if (existing) {
            const bool changed = existing->sha256 != sha256 || existing->title != title;
            // A changed file always gets a later stamp than the one it replaces.
            const qint64 modified = changed ? qMax(now, existing->modified + 1) : existing->modified;
            // The title block is part of the bytes: the same bytes say what they said before.
            const DrawingProperties drawing = existing->sha256 != sha256 ? sent : existing->drawing;
            QVariantList binds{title, title.toLower(), format.isEmpty() ? existing->format : format,
                               sha256, size, modified,
                               changed ? existing->revision + 1 : existing->revision, lockHolder};
            binds += ObjectStore::drawingColumnValues(drawing);
            binds << existing->id << m_caller.userId;
            const QSqlQuery update = Database::exec(
                QStringLiteral("UPDATE objects SET title = ?, title_lc = ?, format = ?, "
                               "sha256 = ?, size = ?, modified = ?, revision = ?, locked_by = ?, "
                               "%1 WHERE id = ? AND (locked_by IS NULL OR locked_by = ?)")
                    .arg(ObjectStore::drawingColumnAssignments()),
                binds);
            if (update.numRowsAffected() != 1)
                throw ApiError(409, QStringLiteral("%1 is locked by another user").arg(title));
            if (changed) {
                ObjectStore::recordWriter(existing->id, m_caller.userId);
                keepVersion(existing->id, existing->revision + 1, title, modified, sha256, size,
                            drawing);
            }
            result = Placed{existing->id, existing->name, title, QString()};
        } else {
            if (name.isEmpty())
                name = m_objects.issueNames(1).first();
            if (!derived)
                claimName(name);
            const QString space = prop(record, "collabspace");
            const AccountStore::Membership membership = m_accounts.membership(m_caller, space);
            SpaceRole::requireWrite(membership.role, space, SpaceRole::Save);
            const qint64 spaceId = membership.spaceId;
            QVariantList binds{Credentials::newObjectId(), name, name.toLower(), title,
                               title.toLower(), type, cadType, format, spaceId, m_caller.userId,
                               lockHolder, now, sha256, size};
            binds += ObjectStore::drawingColumnValues(sent);
            const QStringList drawingColumns = ObjectStore::drawingColumns();
            const QVariant id = Database::value(
                QStringLiteral("INSERT INTO objects (phid, name, name_lc, title, title_lc, type, "
                               "cadtype, format, revision, space_id, owner_id, locked_by, "
                               "modified, sha256, size, %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1, "
                               "?, ?, ?, ?, ?, ?%2) RETURNING id")
                    .arg(drawingColumns.join(QLatin1String(", ")),
                         QStringLiteral(", ?").repeated(drawingColumns.size())),
                binds);
            result = Placed{id.toLongLong(), name, title, QString()};
            ObjectStore::recordWriter(result.id, m_caller.userId);
            keepVersion(result.id, 1, title, now, sha256, size, sent);
        }
        const std::optional<ObjectRow> row =
            m_objects.resolve(QJsonObject{{QStringLiteral("name"), result.name}});
        if (row)
            stored->append(*row);
    }
    if (parent && parent->id != 0 && result.id != 0) {
        Database::exec(QStringLiteral("INSERT INTO relations (parent_id, child_id, kind) "
                                      "VALUES (?, ?, ?) ON CONFLICT DO NOTHING"),
                       {parent->id, result.id,
                        QString::fromLatin1(derived ? platform::kRelationDerivedOutput
                                                    : platform::kRelationSubcomponent)});
    }
    return result;
}

void CheckIn::storeContent(const QJsonObject &record, QIODevice *contents, QString *sha256,
                           qint64 *size)
{
    const QString title = prop(record, "title");
    const QString uploadId = prop(record, "upload");
    if (!uploadId.isEmpty()) {
        const std::optional<UploadSession> upload = UploadSession::open(uploadId, m_caller.userId);
        if (!upload || !upload->isComplete())
            throw ApiError(400, QStringLiteral("the upload of %1 is not complete").arg(title));
        *sha256 = upload->sha256();
        *size = upload->size();
        if (upload->isChunked()) {
            QVector<ChunkStore::Ref> chunks;
            for (const UploadSession::Chunk &chunk : upload->chunks())
                chunks.append(chunk.ref);
            ContentStore::storeChunks(chunks, *size, *sha256, title);
        } else {
            UploadSession::Reader bytes(upload->id());
            ContentStore::store(&bytes, *size, *sha256, title);
        }
        // Spent with this transaction; a refused check-in keeps it for another attempt.
        upload->remove();
        return;
    }
    const double offset = record.value(QStringLiteral("offset")).toDouble(-1);
    const double length = record.value(QStringLiteral("size")).toDouble(-1);
    const qint64 available = contents ? contents->size() : 0;
    if (offset < 0 || length < 0 || offset + length > static_cast<double>(available)
        || (contents && !contents->seek(static_cast<qint64>(offset))))
        throw ApiError(400, QStringLiteral("no content sent for %1").arg(title));
    *sha256 = prop(record, "sha256").toLower();
    *size = static_cast<qint64>(length);
    ContentStore::store(contents, *size, *sha256, title);
}

void CheckIn::keepVersion(qint64 objectId, int revision, const QString &title, qint64 modified,
                          const QString &sha256, qint64 size, const DrawingProperties &drawing)
{
    if (m_checkInId == 0)
        m_checkInId = VersionStore::beginCheckIn(m_caller.userId, m_comment);
    VersionStore::record(objectId, revision, title, modified, m_caller.userId, m_checkInId,
                         sha256, size, drawing);
    EventLog::record(EventLog::kCheckIn, objectId, m_caller.login, m_comment, m_caller.address);
    m_versioned << objectId;
}

void CheckIn::claimName(const QString &name)
{
    // Only a name the platform handed to this caller and that no object ever carried may
    // name a new object, so names are never reused, not even after a delete.
    const QSqlQuery claim = Database::exec(
        QStringLiteral("UPDATE autonames SET used = 1 WHERE name = ? AND issued_to = ? "
                       "AND used = 0"),
        {name, m_caller.userId});
    if (claim.numRowsAffected() != 1)
        throw ApiError(400, QStringLiteral("the name %1 was not issued for a new file").arg(name));
}
