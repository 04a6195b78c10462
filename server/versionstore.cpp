#include "versionstore.h"

#include "eventlog.h"

#include "database.h"
#include "jsontext.h"
#include "platformconstants.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>

namespace {

// Versions whose references one statement asks for, one or two parameters each.
const int kVersionsPerStatement = 400;

// Versions with who saved them and their check-in's comment, as readVersion() reads them, then
// the columns named in more, from versions v (and whatever else from joins).
QString selectVersions(const char *more, const char *from)
{
    return QStringLiteral("SELECT v.object_id, v.revision, v.title, v.modified, u.login, "
                          "v.checkin_id, c.comment, v.sha256, v.size, v.drawing_number, "
                          "v.drawing_title, v.drawing_revision, v.drawing_sheet%1 FROM %2 "
                          "LEFT JOIN users u ON u.id = v.user_id "
                          "LEFT JOIN checkins c ON c.id = v.checkin_id WHERE ")
        .arg(QLatin1String(more), QLatin1String(from));
}

VersionRow readVersion(const QSqlQuery &query)
{
    VersionRow row;
    row.objectId = query.value(0).toLongLong();
    row.revision = query.value(1).toInt();
    row.title = query.value(2).toString();
    row.modified = query.value(3).toLongLong();
    row.modifiedBy = query.value(4).toString();
    row.checkInId = query.value(5).isNull() ? 0 : query.value(5).toLongLong();
    row.comment = query.value(6).toString();
    row.sha256 = query.value(7).toString();
    row.size = query.value(8).toLongLong();
    for (int field = 0; field < DrawingProperties::FieldCount; ++field)
        row.drawing.setValue(field, query.value(9 + field).toString());
    return row;
}

// A revision of an object, as versions are keyed.
using VersionKey = QPair<qint64, int>;

// A condition that holds for these versions of references' objects, and maybe a few more
// (the objects' other versions of the same revision numbers): the caller keeps the rows of the
// versions it asked for. Written as two lists, which both databases look up in the index of
// versions, where a list of pairs is read row by row.
QString amongVersions(const QList<VersionKey> &keys, QVariantList *binds)
{
    QSet<qint64> objects;
    QSet<int> revisions;
    for (const VersionKey &key : keys) {
        objects.insert(key.first);
        revisions.insert(key.second);
    }
    for (const qint64 object : objects)
        *binds << object;
    for (const int revision : revisions)
        *binds << revision;
    return QStringLiteral("r.object_id IN (%1) AND r.revision IN (%2)")
        .arg(Database::placeholders(objects.size()),
             Database::placeholders(revisions.size()));
}

// A referenced version that retention let go: the file is named, with the revision it had,
// but its bytes, references and drawing properties are gone.
QJsonObject prunedReference(const ObjectRow &object, int revision)
{
    QJsonObject json = object.toJson();
    json.insert(QStringLiteral("revision"), QString::number(revision));
    for (const char *unknown : {"_filemodified", "_ModifiedBy", "_size", "_sha256"})
        json.insert(QLatin1String(unknown), QString());
    for (int field = 0; field < DrawingProperties::FieldCount; ++field)
        json.remove(QLatin1String(DrawingProperties::key(field)));
    json.insert(QStringLiteral("_VersionPruned"), QStringLiteral("true"));
    return json;
}

} // namespace

void VersionRow::write(JsonText *text, const DrawingProperties &current) const
{
    text->beginObject();
    text->field("revision", revision);
    text->field("title", title);
    text->field("_filemodified", ObjectStore::stampText(modified));
    text->field("_ModifiedBy", modifiedBy);
    if (checkInId != 0)
        text->field("_CheckIn", checkInId);
    else
        text->field("_CheckIn", QString());
    text->field("_Comment", comment);
    text->field("_size", size);
    text->field("_sha256", sha256);
    drawing.writeBeside(text, current);
    text->endObject();
}

QJsonObject VersionRow::toJson(const ObjectRow &object) const
{
    ObjectRow then = object;
    then.title = title;
    then.revision = revision;
    then.modified = modified;
    then.modifiedBy = modifiedBy;
    then.sha256 = sha256;
    then.size = size;
    then.drawing = drawing;
    QJsonObject json = then.toJson();
    json.insert(QStringLiteral("_CheckIn"), checkInId ? QString::number(checkInId) : QString());
    json.insert(QStringLiteral("_Comment"), comment);
    return json;
}

VersionStore::VersionStore(const Caller &caller) : m_caller(caller), m_objects(caller) {}

QVector<VersionRow> VersionStore::versions(const ObjectRow &object)
{
    QSqlQuery query = Database::exec(selectVersions("", "object_versions v")
                                         + QStringLiteral("v.object_id = ? "
                                                          "ORDER BY v.revision DESC"),
                                     {object.id});
    QVector<VersionRow> rows;
    while (query.next())
        rows << readVersion(query);
    return rows;
}

QHash<qint64, QString> VersionStore::currentComments(const QList<ObjectRow> &objects)
{
    QHash<qint64, QString> comments;
    for (int first = 0; first < objects.size(); first += kVersionsPerStatement) {
        QVariantList binds;
        for (const ObjectRow &object : objects.mid(first, kVersionsPerStatement))
            binds << object.id;
        QSqlQuery query = Database::exec(
            QStringLiteral("SELECT o.id, c.comment FROM objects o JOIN object_versions v ON "
                           "v.object_id = o.id AND v.revision = o.revision "
                           "LEFT JOIN checkins c ON c.id = v.checkin_id WHERE o.id IN (%1)")
                .arg(Database::placeholders(binds.size())),
            binds);
        while (query.next())
            comments.insert(query.value(0).toLongLong(), query.value(1).toString());
    }
    return comments;
}

VersionRow VersionStore::version(const ObjectRow &object, int revision)
{
    QSqlQuery query = Database::exec(selectVersions("", "object_versions v")
                                         + QStringLiteral("v.object_id = ? AND v.revision = ?"),
                                     {object.id, revision});
    if (query.next())
        return readVersion(query);
    if (revision >= 1 && revision < object.revision)
        throw ApiError(404, QStringLiteral("version %1 of %2 no longer exists: it was pruned")
                                .arg(revision)
                                .arg(object.title));
    throw ApiError(404, QStringLiteral("%1 has no version %2").arg(object.title).arg(revision));
}

QJsonArray VersionStore::structureAsOf(const ObjectRow &object, int revision)
{
    // Breadth first, a level at a time, as the current structure is walked: a level's
    // references with their versions, and their objects, come with two statements for every
    // few hundred versions rather than with statements for each one.
    const VersionRow top = version(object, revision);
    QJsonArray out{top.toJson(object)};
    QSet<qint64> seen{object.id};
    QList<VersionKey> level{{object.id, revision}};
    while (!level.isEmpty()) {
        QHash<VersionKey, QList<VersionKey>> referencesOf;
        QHash<VersionKey, VersionRow> versionOf;
        QVariantList ids;
        for (int first = 0; first < level.size(); first += kVersionsPerStatement) {
            const QList<VersionKey> some = level.mid(first, kVersionsPerStatement);
            const QSet<VersionKey> asked(some.begin(), some.end());
            QVariantList binds;
            const QString among = amongVersions(some, &binds);
            // The references with the versions they name (empty when retention let that
            // version go).
            QSqlQuery query = Database::exec(
                selectVersions(", r.object_id, r.revision, r.child_id, r.child_revision",
                               "version_references r LEFT JOIN object_versions v ON "
                               "v.object_id = r.child_id AND v.revision = r.child_revision")
                    + among,
                binds);
            while (query.next()) {
                const VersionKey parent{query.value(13).toLongLong(), query.value(14).toInt()};
                if (!asked.contains(parent))
                    continue;
                const VersionKey child{query.value(15).toLongLong(), query.value(16).toInt()};
                referencesOf[parent] << child;
                if (!query.value(0).isNull())
                    versionOf.insert(child, readVersion(query));
                ids << child.first;
            }
        }
        // The referenced objects the caller may see, in title order.
        QHash<qint64, ObjectRow> objectOf;
        QHash<qint64, int> rankOf;
        for (const ObjectRow &row : m_objects.byIds(ids)) {
            rankOf.insert(row.id, rankOf.size());
            objectOf.insert(row.id, row);
        }
        QList<VersionKey> next;
        for (const VersionKey &parent : level) {
            QList<VersionKey> children = referencesOf.value(parent);
            std::sort(children.begin(), children.end(),
                      [&rankOf](const VersionKey &a, const VersionKey &b) {
                          return rankOf.value(a.first) < rankOf.value(b.first);
                      });
            for (const VersionKey &child : children) {
                if (!objectOf.contains(child.first) || seen.contains(child.first))
                    continue;
                seen.insert(child.first);
                const ObjectRow &row = objectOf[child.first];
                if (versionOf.contains(child)) {
                    out.append(versionOf[child].toJson(row));
                    next << child;
                } else {
                    out.append(prunedReference(row, child.second));
                }
            }
        }
        level = next;
    }
    return out;
}

ObjectRow VersionStore::restore(const ObjectRow &object, int revision, const QString &comment,
                                const QString &baseModified, const Retention &retention)
{
    checkComment(comment);
    Transaction transaction;
    // Read again inside the transaction, after any save of the object in progress: the rules
    // hold against the object as it is now.
    Database::lockKey(ObjectStore::writeKey(object.name));
    const std::optional<ObjectRow> current = m_objects.byPhid(object.phid);
    if (!current)
        throw ApiError(404, QStringLiteral("no such object"));
    SpaceRole::requireWrite(current->role, current->space, SpaceRole::RestoreVersion);
    if (current->lockedById != 0 && current->lockedById != m_caller.userId)
        throw ApiError(409, QStringLiteral("%1 is locked by %2")
                                .arg(current->title, current->lockedBy));
    m_objects.refuseIfDrawingLocked(*current);
    if (!baseModified.isEmpty() && ObjectStore::stampText(current->modified) != baseModified)
        throw ApiError(409, QStringLiteral("%1 was changed on the platform by %2")
                                .arg(current->title, current->modifiedBy));
    const VersionRow old = version(*current, revision);
    if (old.sha256 == current->sha256)
        return *current;
    // A restored version is a change like any other: a later stamp, the next revision.
    const qint64 modified = qMax(QDateTime::currentSecsSinceEpoch(), current->modified + 1);
    const int next = current->revision + 1;
    // The version's bytes come back with what their title block said.
    QVariantList binds{old.sha256, old.size, modified, next};
    binds += ObjectStore::drawingColumnValues(old.drawing);
    binds << current->id << m_caller.userId;
    const QSqlQuery update = Database::exec(
        QStringLiteral("UPDATE objects SET sha256 = ?, size = ?, modified = ?, revision = ?, %1 "
                       "WHERE id = ? AND (locked_by IS NULL OR locked_by = ?)")
            .arg(ObjectStore::drawingColumnAssignments()),
        binds);
    if (update.numRowsAffected() != 1)
        throw ApiError(409, QStringLiteral("%1 is locked by another user").arg(current->title));
    const QString said =
        comment.isEmpty() ? QStringLiteral("Restored version %1").arg(revision) : comment;
    record(current->id, next, current->title, modified, m_caller.userId,
           beginCheckIn(m_caller.userId, said), old.sha256, old.size, old.drawing);
    EventLog::record(EventLog::kRestore, current->id, m_caller.login, said, m_caller.address);
    ObjectStore::recordWriter(current->id, m_caller.userId);
    noteReferences(current->id);
    retention.pruneObject(current->id);
    transaction.commit();
    return m_objects.byPhid(object.phid).value_or(*current);
}

void VersionStore::checkComment(const QString &comment)
{
    // Characters as users count them, not UTF-16 units.
    if (comment.toUcs4().size() > platform::kMaxCommentCharacters)
        throw ApiError(400, QStringLiteral("the comment is longer than %1 characters")
                                .arg(platform::kMaxCommentCharacters));
}

qint64 VersionStore::beginCheckIn(qint64 userId, const QString &comment)
{
    return Database::value(QStringLiteral("INSERT INTO checkins (user_id, created_at, comment) "
                                          "VALUES (?, ?, ?) RETURNING id"),
                           {userId, QDateTime::currentSecsSinceEpoch(), comment})
        .toLongLong();
}

void VersionStore::skipCheckInIds(qint64 margin)
{
    const qint64 last = Database::value(QStringLiteral("SELECT COALESCE(MAX(id), 0) FROM "
                                                       "checkins")).toLongLong();
    Database::raiseSequence(QStringLiteral("checkins"), QStringLiteral("id"), last + margin);
}

void VersionStore::record(qint64 objectId, int revision, const QString &title, qint64 modified,
                          qint64 userId, qint64 checkInId, const QString &sha256, qint64 size,
                          const DrawingProperties &drawing)
{
    QVariantList binds{objectId, revision, title, modified, userId, checkInId, sha256, size};
    for (int field = 0; field < DrawingProperties::FieldCount; ++field)
        binds << drawing.value(field);
    Database::exec(QStringLiteral("INSERT INTO object_versions (object_id, revision, title, "
                                  "modified, user_id, checkin_id, sha256, size, drawing_number, "
                                  "drawing_title, drawing_revision, drawing_sheet) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   binds);
}

void VersionStore::noteReferences(qint64 objectId)
{
    Database::exec(QStringLiteral("INSERT INTO version_references (object_id, revision, child_id, "
                                  "child_revision) SELECT r.parent_id, p.revision, r.child_id, "
                                  "c.revision FROM relations r JOIN objects p ON p.id = "
                                  "r.parent_id JOIN objects c ON c.id = r.child_id "
                                  "WHERE r.parent_id = ? AND r.kind = ? ON CONFLICT DO NOTHING"),
                   {objectId, QString::fromLatin1(platform::kRelationSubcomponent)});
}

void VersionStore::keepCurrentVersions()
{
    // Objects saved before writers were recorded were saved by their owner.
    Database::exec(QStringLiteral("INSERT INTO object_versions (object_id, revision, title, "
                                  "modified, user_id, checkin_id, sha256, size) SELECT o.id, "
                                  "o.revision, o.title, o.modified, COALESCE(w.user_id, "
                                  "o.owner_id), NULL, o.sha256, o.size FROM objects o LEFT JOIN "
                                  "object_writers w ON w.object_id = o.id"));
    Database::exec(QStringLiteral("INSERT INTO version_references (object_id, revision, child_id, "
                                  "child_revision) SELECT r.parent_id, p.revision, r.child_id, "
                                  "c.revision FROM relations r JOIN objects p ON p.id = "
                                  "r.parent_id JOIN objects c ON c.id = r.child_id "
                                  "WHERE r.kind = ?"),
                   {QString::fromLatin1(platform::kRelationSubcomponent)});
}

QStringList VersionStore::removeAll(qint64 objectId)
{
    QStringList contents;
    QSqlQuery used = Database::exec(
        QStringLiteral("SELECT DISTINCT sha256 FROM object_versions WHERE object_id = ?"),
        {objectId});
    while (used.next())
        contents << used.value(0).toString();
    used.finish();
    Database::exec(QStringLiteral("DELETE FROM version_references WHERE object_id = ? "
                                  "OR child_id = ?"),
                   {objectId, objectId});
    Database::exec(QStringLiteral("DELETE FROM object_versions WHERE object_id = ?"), {objectId});
    return contents;
}
