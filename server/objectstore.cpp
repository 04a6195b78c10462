#include "objectstore.h"

#include "eventlog.h"

#include "contentstore.h"
#include "database.h"
#include "platformconstants.h"
#include "spacerole.h"
#include "titlerules.h"
#include "versionstore.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>

namespace {

// Parents whose children one statement asks for, well within every database's limit of
// parameters.
const int kParentsPerStatement = 500;

const char kSelectObjects[] =
    "SELECT o.id, o.phid, o.name, o.title, o.type, o.cadtype, o.format, o.revision, "
    "o.space_id, s.name, ow.login, o.locked_by, lk.login, o.modified, o.sha256, o.size, "
    "wu.login, m.role, o.trashed_at, tb.login, o.drawing_number, o.drawing_title, "
    "o.drawing_revision, o.drawing_sheet "
    "FROM objects o JOIN spaces s ON s.id = o.space_id "
    "JOIN memberships m ON m.space_id = o.space_id AND m.user_id = ? "
    "JOIN users ow ON ow.id = o.owner_id LEFT JOIN users lk ON lk.id = o.locked_by "
    "LEFT JOIN object_writers w ON w.object_id = o.id LEFT JOIN users wu ON wu.id = w.user_id "
    "LEFT JOIN users tb ON tb.id = o.trashed_by "
    "WHERE s.tenant_id = ? ";

ObjectRow readRow(const QSqlQuery &query)
{
    ObjectRow row;
    row.id = query.value(0).toLongLong();
    row.phid = query.value(1).toString();
    row.name = query.value(2).toString();
    row.title = query.value(3).toString();
    row.type = query.value(4).toString();
    row.cadType = query.value(5).toString();
    row.format = query.value(6).toString();
    row.revision = query.value(7).toInt();
    row.spaceId = query.value(8).toLongLong();
    row.space = query.value(9).toString();
    row.owner = query.value(10).toString();
    row.lockedById = query.value(11).isNull() ? 0 : query.value(11).toLongLong();
    row.lockedBy = query.value(12).toString();
    row.modified = query.value(13).toLongLong();
    row.sha256 = query.value(14).toString();
    row.size = query.value(15).toLongLong();
    // Objects saved before writers were recorded were saved by their owner.
    row.modifiedBy = query.value(16).isNull() ? row.owner : query.value(16).toString();
    row.role = SpaceRole::stored(query.value(17).toString());
    row.trashedAt = query.value(18).isNull() ? 0 : query.value(18).toLongLong();
    row.trashedBy = query.value(19).toString();
    for (int field = 0; field < DrawingProperties::FieldCount; ++field)
        row.drawing.setValue(field, query.value(20 + field).toString());
    return row;
}

// "*" is the only wildcard of the platform's patterns; SQL's own wildcards are taken literally.
QString likePattern(const QString &pattern)
{
    QString out;
    for (const QChar c : pattern.toLower()) {
        if (c == QLatin1Char('*'))
            out += QLatin1Char('%');
        else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('!'))
            out += QLatin1Char('!') + c;
        else
            out += c;
    }
    return out;
}

// Adds the condition that column matches a pattern. The common "*text*" is a plain search for
// the text, much faster than LIKE; any other pattern goes through LIKE.
// Adds the condition that one of columns matches pattern.
void matchPattern(const QStringList &columns, const QString &pattern, QString *where,
                  QVariantList *binds)
{
    if (pattern.isEmpty() || pattern == QLatin1String("*"))
        return;
    const QString inner = pattern.mid(1, pattern.size() - 2);
    const bool contains = pattern.size() > 2 && pattern.startsWith(QLatin1Char('*'))
        && pattern.endsWith(QLatin1Char('*')) && !inner.contains(QLatin1Char('*'));
    const QLatin1String find(Database::backend() == Database::Backend::Sqlite ? "instr"
                                                                             : "strpos");
    QStringList conditions;
    for (const QString &column : columns) {
        if (contains) {
            conditions << QStringLiteral("%1(%2, ?) > 0").arg(find, column);
            *binds << inner.toLower();
        } else {
            conditions << QStringLiteral("%1 LIKE ? ESCAPE '!'").arg(column);
            *binds << likePattern(pattern);
        }
    }
    *where += QStringLiteral("AND (%1) ").arg(conditions.join(QLatin1String(" OR ")));
}

QString str(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toString();
}

// Automatic names count up: AX000000001, AX000000002...
QString autoname(qint64 number)
{
    return QStringLiteral("AX%1").arg(number, 9, 10, QLatin1Char('0'));
}

qint64 advanceNameCounter(qint64 by)
{
    return Database::value(
        QStringLiteral("UPDATE counters SET value = value + ? WHERE name = ? RETURNING value"),
        {by, QString::fromLatin1(platform::kAutonameCounter)}).toLongLong();
}

} // namespace

QJsonObject ObjectRow::toJson() const
{
    QJsonObject json{
        {QStringLiteral("phid"), phid},
        {QStringLiteral("name"), name},
        {QStringLiteral("title"), title},
        {QStringLiteral("type"), type},
        {QStringLiteral("cadtype"), cadType},
        {QStringLiteral("revision"), QString::number(revision)},
        {QStringLiteral("_Format"), format},
        {QStringLiteral("_CS"), space},
        {QStringLiteral("_Owner"), owner},
        {QStringLiteral("_LockedBy"), lockedBy},
        {QStringLiteral("_filemodified"), ObjectStore::stampText(modified)},
        {QStringLiteral("_ModifiedBy"), modifiedBy},
        {QStringLiteral("_size"), QString::number(size)},
        {QStringLiteral("_sha256"), sha256},
        {QStringLiteral("_Role"), SpaceRole::name(role)},
    };
    drawing.addTo(&json);
    return json;
}

ObjectStore::ObjectStore(const Caller &caller) : m_caller(caller) {}

QString ObjectStore::stampText(qint64 secondsSinceEpoch)
{
    // Put together by hand: formatting a date-time with a pattern costs more than the rest of
    // an object's record, and lists of versions carry thousands of stamps.
    const qint64 day = secondsSinceEpoch >= 0 ? secondsSinceEpoch / 86400
                                              : (secondsSinceEpoch - 86399) / 86400;
    const int second = static_cast<int>(secondsSinceEpoch - day * 86400);
    int year = 0;
    int month = 0;
    int dayOfMonth = 0;
    QDate(1970, 1, 1).addDays(day).getDate(&year, &month, &dayOfMonth);
    char text[] = "0000/00/00@00:00:00:GMT";
    const auto put = [&text](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            text[at + i] = static_cast<char>('0' + value % 10);
    };
    put(0, year, 4);
    put(5, month, 2);
    put(8, dayOfMonth, 2);
    put(11, second / 3600, 2);
    put(14, second / 60 % 60, 2);
    put(17, second % 60, 2);
    return QString::fromLatin1(text, sizeof(text) - 1);
}

QString ObjectStore::writeKey(const QString &name)
{
    return QStringLiteral("object:") + name;
}

QString ObjectStore::typeForTitle(const QString &title)
{
    const QString suffix = QFileInfo(title).suffix().toUpper();
    return suffix == QLatin1String("DWG") || suffix == QLatin1String("DXF")
        ? QString::fromLatin1(platform::kTypeDrawing)
        : QString::fromLatin1(platform::kTypeInsert);
}

QList<ObjectRow> ObjectStore::select(const QString &where, const QVariantList &binds,
                                     const QString &tail)
{
    return selectAny(QStringLiteral("AND o.trashed_at IS NULL ") + where, binds, tail);
}

QList<ObjectRow> ObjectStore::selectAny(const QString &where, const QVariantList &binds,
                                        const QString &tail)
{
    QVariantList all{m_caller.userId, m_caller.tenantId};
    all += binds;
    QSqlQuery query = Database::exec(QLatin1String(kSelectObjects) + where + tail, all);
    QList<ObjectRow> rows;
    while (query.next())
        rows << readRow(query);
    return rows;
}

QList<ObjectRow> ObjectStore::search(const QJsonObject &query)
{
    refuseUnknownKeys(query);
    // Every value of a query is a short text: a title, a name, a pattern or a list of types.
    for (auto it = query.begin(); it != query.end(); ++it) {
        if (it.value().toString().size() > platform::kMaxQueryTextLength)
            throw ApiError(400, QStringLiteral("the query's %1 is longer than %2 characters")
                                    .arg(TitleRules::printable(it.key().left(64)))
                                    .arg(platform::kMaxQueryTextLength));
    }
    QString where;
    QVariantList binds;
    const QString space = str(query, "_CS");
    if (!space.isEmpty()) {
        where += QStringLiteral("AND s.name = ? ");
        binds << space;
    }
    QStringList types;
    for (const QString &type : str(query, "_TypePattern").split(QLatin1Char(','))) {
        if (type.trimmed() == QLatin1String("*")) {
            types.clear();
            break;
        }
        if (!type.trimmed().isEmpty())
            types << type.trimmed();
    }
    if (types.size() > platform::kMaxTypesPerQuery)
        throw ApiError(413, QStringLiteral("too many types in one query"));
    if (!types.isEmpty()) {
        where +=
            QStringLiteral("AND o.type IN (%1) ").arg(Database::placeholders(types.size()));
        for (const QString &type : types)
            binds << type;
    }
    // A name pattern finds titles too: users type what they see, the title, or what they know
    // a drawing by, the number and title of its title block.
    matchPattern({QStringLiteral("o.name_lc"), QStringLiteral("o.title_lc"),
                  QStringLiteral("o.drawing_number_lc"), QStringLiteral("o.drawing_title_lc")},
                 str(query, "_NamePattern"), &where, &binds);
    matchPattern({QStringLiteral("o.title_lc")}, str(query, "_TitlePattern"), &where, &binds);
    QStringList titles;
    for (int i = 0; query.contains(QStringLiteral("_or_title_%1").arg(i)); ++i) {
        if (i == platform::kMaxTitlesPerQuery)
            throw ApiError(413, QStringLiteral("too many titles in one query"));
        titles << query.value(QStringLiteral("_or_title_%1").arg(i)).toString().toLower();
    }
    if (!titles.isEmpty()) {
        where += QStringLiteral("AND o.title_lc IN (%1) ")
                     .arg(Database::placeholders(titles.size()));
        for (const QString &title : titles)
            binds << title;
    }
    bool ok = false;
    int limit = str(query, "_Pagelimit").toInt(&ok);
    if (!ok || limit <= 0)
        limit = platform::kDefaultSearchResults;
    if (str(query, "_Pagination") == QLatin1String("true")) {
        const int pageSize = str(query, "_Pagesize").toInt(&ok);
        if (ok && pageSize > 0)
            limit = qMin(limit, pageSize);
    }
    limit = qMin(limit, platform::kMaxSearchResults);
    return select(where, binds,
                  QStringLiteral("ORDER BY o.title_lc, o.id LIMIT %1").arg(limit));
}

void ObjectStore::refuseUnknownKeys(const QJsonObject &query)
{
    // A key the platform does not know would otherwise be passed over, and the search answer
    // with more than was asked for. "_DOWNLOADPREVIEWS" is the connector's own, and "name" and
    // "title" the query record's own identity, all sent along and ignored.
    static const QSet<QString> known = {
        QStringLiteral("_CS"),          QStringLiteral("_TypePattern"),
        QStringLiteral("_NamePattern"), QStringLiteral("_TitlePattern"),
        QStringLiteral("_Pagelimit"),   QStringLiteral("_Pagination"),
        QStringLiteral("_Pagesize"),    QStringLiteral("_NoIndex"),
        QStringLiteral("_DOWNLOADPREVIEWS"), QStringLiteral("name"),
        QStringLiteral("title")};
    static const QRegularExpression orTitle(QStringLiteral("^_or_title_(0|[1-9][0-9]{0,8})$"));
    QStringList unknown;
    for (auto it = query.begin(); it != query.end(); ++it) {
        if (!known.contains(it.key()) && !orTitle.match(it.key()).hasMatch())
            unknown << TitleRules::printable(it.key().left(64));
    }
    if (unknown.isEmpty())
        return;
    const int shown = 5;
    QString names = unknown.mid(0, shown).join(QStringLiteral(", "));
    if (unknown.size() > shown)
        names += QStringLiteral(" and %1 more").arg(unknown.size() - shown);
    throw ApiError(400, QStringLiteral("unknown query %1: %2")
                            .arg(unknown.size() == 1 ? QStringLiteral("key")
                                                     : QStringLiteral("keys"),
                                 names));
}

QList<ObjectRow> ObjectStore::searchCurrentSpace()
{
    QString where = QStringLiteral("AND o.type = ? ");
    QVariantList binds{QString::fromLatin1(platform::kTypeDrawing)};
    if (m_caller.contextSpaceId != 0) {
        where += QStringLiteral("AND o.space_id = ? ");
        binds << m_caller.contextSpaceId;
    }
    return select(where, binds,
                  QStringLiteral("ORDER BY o.title_lc, o.id LIMIT %1")
                      .arg(platform::kDefaultSearchResults));
}

std::optional<ObjectRow> ObjectStore::byPhid(const QString &phid)
{
    const QList<ObjectRow> rows = select(QStringLiteral("AND o.phid = ?"), {phid});
    return rows.isEmpty() ? std::nullopt : std::optional<ObjectRow>(rows.first());
}

QList<ObjectRow> ObjectStore::byIds(const QVariantList &ids)
{
    QList<ObjectRow> rows;
    for (int first = 0; first < ids.size(); first += kParentsPerStatement) {
        const QVariantList some = ids.mid(first, kParentsPerStatement);
        rows += select(
            QStringLiteral("AND o.id IN (%1) ").arg(Database::placeholders(some.size())), some,
            QStringLiteral("ORDER BY o.title_lc, o.id"));
    }
    // Each statement's rows come in order; those of several are put in order here.
    if (ids.size() > kParentsPerStatement) {
        std::sort(rows.begin(), rows.end(), [](const ObjectRow &a, const ObjectRow &b) {
            const int byTitle = a.title.compare(b.title, Qt::CaseInsensitive);
            return byTitle != 0 ? byTitle < 0 : a.id < b.id;
        });
    }
    return rows;
}

std::optional<ObjectRow> ObjectStore::resolve(const QJsonObject &ref)
{
    const QString phid = str(ref, "phid");
    if (!phid.isEmpty())
        return byPhid(phid);
    const QString name = str(ref, "name");
    if (name.isEmpty())
        return std::nullopt;
    const QList<ObjectRow> rows = select(QStringLiteral("AND o.name = ?"), {name});
    if (rows.isEmpty())
        return std::nullopt;
    const QString type = str(ref, "type");
    if (!type.isEmpty() && type != rows.first().type)
        return std::nullopt;
    return rows.first();
}

ObjectRow ObjectStore::resolveOrThrow(const QJsonObject &ref)
{
    const std::optional<ObjectRow> row = resolve(ref);
    if (!row)
        throw ApiError(404, QStringLiteral("no such object"));
    return *row;
}

QList<ObjectRow> ObjectStore::structure(const ObjectRow &root)
{
    // Breadth first, a level at a time: a level's children come with two statements for every
    // few hundred parents rather than one statement for each parent.
    QList<ObjectRow> out{root};
    QSet<qint64> seen{root.id};
    for (int begin = 0; begin < out.size();) {
        const int end = out.size();
        QHash<qint64, QList<ObjectRow>> childrenOf;
        for (int first = begin; first < end; first += kParentsPerStatement) {
            QVariantList parents;
            for (int i = first; i < qMin(end, first + kParentsPerStatement); ++i)
                parents << out.at(i).id;
            addChildren(parents, &childrenOf);
        }
        for (int i = begin; i < end; ++i) {
            for (const ObjectRow &child : childrenOf.value(out.at(i).id)) {
                if (!seen.contains(child.id)) {
                    seen.insert(child.id);
                    out << child;
                }
            }
        }
        begin = end;
    }
    return out;
}

void ObjectStore::addChildren(const QVariantList &parents,
                              QHash<qint64, QList<ObjectRow>> *childrenOf)
{
    const QString among = QStringLiteral("kind = ? AND parent_id IN (%1)")
                              .arg(Database::placeholders(parents.size()));
    QVariantList binds{QString::fromLatin1(platform::kRelationSubcomponent)};
    binds += parents;
    QHash<qint64, QList<qint64>> parentsOf;
    QSqlQuery pairs = Database::exec(
        QStringLiteral("SELECT parent_id, child_id FROM relations WHERE ") + among, binds);
    while (pairs.next())
        parentsOf[pairs.value(1).toLongLong()] << pairs.value(0).toLongLong();
    const QList<ObjectRow> children =
        select(QStringLiteral("AND o.id IN (SELECT child_id FROM relations WHERE %1) ").arg(among),
               binds, QStringLiteral("ORDER BY o.title_lc, o.id"));
    for (const ObjectRow &child : children) {
        for (const qint64 parent : parentsOf.value(child.id))
            (*childrenOf)[parent] << child;
    }
}

std::optional<ObjectRow> ObjectStore::previewOf(const ObjectRow &object)
{
    const QList<ObjectRow> rows = select(
        QStringLiteral("AND o.id IN (SELECT child_id FROM relations WHERE parent_id = ? "
                       "AND kind = ?) "),
        {object.id, QString::fromLatin1(platform::kRelationDerivedOutput)},
        QStringLiteral("ORDER BY o.modified DESC, o.id DESC LIMIT 1"));
    return rows.isEmpty() ? std::nullopt : std::optional<ObjectRow>(rows.first());
}

ObjectRow ObjectStore::changeLock(const QJsonObject &ref, bool lock)
{
    Transaction transaction;
    // A lock is asked for by the object's name; the type a client sends along (the module
    // sends every file as a drawing) is not what decides which object it is.
    QJsonObject byName = ref;
    byName.remove(QStringLiteral("type"));
    ObjectRow row = resolveOrThrow(byName);
    SpaceRole::requireWrite(row.role, row.space, SpaceRole::Lock);
    refuseIfDrawingLocked(row);
    // A manager may release a colleague's lock (one who left, or is away), never take it over.
    const bool release = !lock && row.role == SpaceRole::Manager && row.lockedById != 0
        && row.lockedById != m_caller.userId;
    // One conditional statement decides, so two callers racing for a lock cannot both win.
    const QVariant holder = lock ? QVariant(m_caller.userId) : QVariant(QVariant::LongLong);
    const QSqlQuery update = Database::exec(
        QStringLiteral("UPDATE objects SET locked_by = ? WHERE id = ? "
                       "AND (locked_by IS NULL OR locked_by = ? OR ? = 1)"),
        {holder, row.id, m_caller.userId, release ? 1 : 0});
    if (update.numRowsAffected() != 1)
        throw ApiError(409, QStringLiteral("%1 is locked by %2").arg(row.title, row.lockedBy));
    // A drawing's preview follows its drawing's lock.
    lockPreviewAlike(row.id, holder);
    EventLog::record(lock ? EventLog::kLock : EventLog::kUnlock, row.id, m_caller.login,
                     QString(), m_caller.address,
                     release ? QStringLiteral("released the lock of %1").arg(row.lockedBy)
                             : QString());
    transaction.commit();
    row.lockedById = lock ? m_caller.userId : 0;
    row.lockedBy = lock ? m_caller.login : QString();
    return row;
}

std::optional<ObjectRow> ObjectStore::drawingOf(const ObjectRow &preview)
{
    if (preview.type != QLatin1String(platform::kTypeDerivedOutput))
        return std::nullopt;
    const QList<ObjectRow> rows = select(
        QStringLiteral("AND o.id IN (SELECT parent_id FROM relations WHERE child_id = ? "
                       "AND kind = ?) "),
        {preview.id, QString::fromLatin1(platform::kRelationDerivedOutput)},
        QStringLiteral("ORDER BY o.id LIMIT 1"));
    return rows.isEmpty() ? std::nullopt : std::optional<ObjectRow>(rows.first());
}

void ObjectStore::refuseIfDrawingLocked(const ObjectRow &object)
{
    const std::optional<ObjectRow> drawing = drawingOf(object);
    if (drawing && drawing->lockedById != 0 && drawing->lockedById != m_caller.userId)
        throw ApiError(409, QStringLiteral("%1 belongs to %2, which is locked by %3")
                                .arg(object.title, drawing->title, drawing->lockedBy));
}

ObjectRow ObjectStore::lock(const QJsonObject &ref) { return changeLock(ref, true); }
ObjectRow ObjectStore::unlock(const QJsonObject &ref) { return changeLock(ref, false); }

void ObjectStore::remove(const QJsonArray &refs)
{
    if (refs.size() > platform::kMaxRecordsPerRequest)
        throw ApiError(413, QStringLiteral("too many objects in one request"));
    Transaction transaction;
    QList<ObjectRow> doomed;
    QSet<qint64> ids;
    for (const QJsonValue &ref : refs) {
        const ObjectRow row = resolveOrThrow(ref.toObject());
        SpaceRole::requireWrite(row.role, row.space, SpaceRole::Delete);
        if (row.role < SpaceRole::Manager && row.owner != m_caller.login)
            throw ApiError(403, QStringLiteral("You can delete only your own files in %1; %2 "
                                               "is %3's. A manager of %1 can delete it.")
                                    .arg(row.space, row.title, row.owner));
        if (row.lockedById != 0 && row.lockedById != m_caller.userId)
            throw ApiError(409, QStringLiteral("%1 is locked by %2").arg(row.title, row.lockedBy));
        refuseIfDrawingLocked(row);
        QList<ObjectRow> withOutputs{row};
        if (const std::optional<ObjectRow> preview = previewOf(row))
            withOutputs << *preview;
        for (const ObjectRow &object : withOutputs) {
            if (!ids.contains(object.id)) {
                ids.insert(object.id);
                doomed << object;
            }
        }
    }
    // Into the trash, versions, relations and preview with it; its name stays its own.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (const ObjectRow &row : doomed) {
        EventLog::record(EventLog::kDelete, row.id, m_caller.login, QString(), m_caller.address,
                         QStringLiteral("moved to the trash"));
        // The lock condition is checked again in the statement itself.
        const QSqlQuery gone = Database::exec(
            QStringLiteral("UPDATE objects SET trashed_at = ?, trashed_by = ?, locked_by = NULL "
                           "WHERE id = ? AND (locked_by IS NULL OR locked_by = ?)"),
            {now, m_caller.userId, row.id, m_caller.userId});
        if (gone.numRowsAffected() != 1)
            throw ApiError(409, QStringLiteral("%1 is locked by another user").arg(row.title));
    }
    transaction.commit();
}

void ObjectStore::erase(qint64 objectId)
{
    Database::exec(QStringLiteral("DELETE FROM relations WHERE parent_id = ? OR child_id = ?"),
                   {objectId, objectId});
    Database::exec(QStringLiteral("DELETE FROM object_writers WHERE object_id = ?"), {objectId});
    const QStringList contents = VersionStore::removeAll(objectId);
    Database::exec(QStringLiteral("DELETE FROM objects WHERE id = ?"), {objectId});
    for (const QString &sha256 : contents)
        ContentStore::dropUnused(sha256);
}

void ObjectStore::lockPreviewAlike(qint64 drawingId, const QVariant &holder)
{
    Database::exec(QStringLiteral("UPDATE objects SET locked_by = ? WHERE id IN (SELECT child_id "
                                  "FROM relations WHERE parent_id = ? AND kind = ?)"),
                   {holder, drawingId, QString::fromLatin1(platform::kRelationDerivedOutput)});
}

void ObjectStore::recordWriter(qint64 objectId, qint64 userId)
{
    Database::exec(QStringLiteral("INSERT INTO object_writers (object_id, user_id) VALUES (?, ?) "
                                  "ON CONFLICT (object_id) DO UPDATE SET user_id = "
                                  "excluded.user_id"),
                   {objectId, userId});
}

QStringList ObjectStore::drawingColumns()
{
    return {QStringLiteral("drawing_number"),   QStringLiteral("drawing_number_lc"),
            QStringLiteral("drawing_title"),    QStringLiteral("drawing_title_lc"),
            QStringLiteral("drawing_revision"), QStringLiteral("drawing_sheet")};
}

QString ObjectStore::drawingColumnAssignments()
{
    return drawingColumns().join(QLatin1String(" = ?, ")) + QLatin1String(" = ?");
}

QVariantList ObjectStore::drawingColumnValues(const DrawingProperties &drawing)
{
    const auto number = drawing.value(DrawingProperties::Number);
    const auto title = drawing.value(DrawingProperties::Title);
    return {number, number.toLower(), title, title.toLower(),
            drawing.value(DrawingProperties::Revision), drawing.value(DrawingProperties::Sheet)};
}

QStringList ObjectStore::autonames(int count)
{
    if (count <= 0 || count > platform::kMaxAutonames)
        throw ApiError(400, QStringLiteral("between 1 and %1 names can be asked for at once")
                                .arg(platform::kMaxAutonames));
    Transaction transaction;
    const QStringList names = issueNames(count);
    transaction.commit();
    return names;
}

QString ObjectStore::skipNames(qint64 margin)
{
    return autoname(advanceNameCounter(margin) + 1);
}

QStringList ObjectStore::issueNames(int count)
{
    const qint64 last = advanceNameCounter(count);
    QStringList names;
    for (qint64 n = last - count + 1; n <= last; ++n) {
        const QString name = autoname(n);
        Database::exec(QStringLiteral("INSERT INTO autonames (name, issued_to) VALUES (?, ?)"),
                       {name, m_caller.userId});
        names << name;
    }
    return names;
}
