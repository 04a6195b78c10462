#include "whereused.h"

#include "database.h"
#include "platformconstants.h"

#include <QJsonArray>
#include <QSet>
#include <QSqlQuery>

namespace {

// Children whose parents one statement asks for, well within every database's limit of
// parameters.
const int kChildrenPerStatement = 500;

} // namespace

WhereUsed::WhereUsed(const Caller &caller) : m_objects(caller) {}

QHash<qint64, QList<qint64>> WhereUsed::parentsOf(const QList<qint64> &children)
{
    QHash<qint64, QList<qint64>> references;
    for (int first = 0; first < children.size(); first += kChildrenPerStatement) {
        const QList<qint64> some = children.mid(first, kChildrenPerStatement);
        QVariantList binds{QString::fromLatin1(platform::kRelationSubcomponent)};
        for (const qint64 child : some)
            binds << child;
        QSqlQuery pairs = Database::exec(
            QStringLiteral("SELECT r.parent_id, r.child_id FROM relations r JOIN objects p ON "
                           "p.id = r.parent_id WHERE r.kind = ? AND p.trashed_at IS NULL AND "
                           "r.child_id IN (%1)")
                .arg(Database::placeholders(some.size())),
            binds);
        while (pairs.next())
            references[pairs.value(0).toLongLong()] << pairs.value(1).toLongLong();
    }
    return references;
}

QJsonObject WhereUsed::answer(const ObjectRow &object)
{
    // Upwards a level at a time: each drawing first met at a level is at its smallest depth,
    // and one met before (the object itself included) is not walked again, so cycles end.
    QSet<qint64> met{object.id};
    // The level below, in the order answered: visible objects by title, hidden ones after.
    QList<qint64> level{object.id};
    QHash<qint64, QString> visiblePhid{{object.id, object.phid}};
    QList<Found> found;
    int hidden = 0;
    for (int depth = 1; !level.isEmpty(); ++depth) {
        const QHash<qint64, QList<qint64>> references = parentsOf(level);
        QVariantList ids;
        for (auto it = references.cbegin(); it != references.cend(); ++it) {
            if (!met.contains(it.key())) {
                met.insert(it.key());
                ids << it.key();
            }
        }
        // The one it references that comes first below, among those the caller may see.
        const auto viaOf = [&](qint64 parent) {
            const QList<qint64> &children = references.value(parent);
            for (const qint64 child : level) {
                if (children.contains(child) && visiblePhid.contains(child))
                    return visiblePhid.value(child);
            }
            return QString();
        };
        QList<qint64> next;
        QSet<qint64> seen;
        for (const ObjectRow &row : m_objects.byIds(ids)) {
            found.append(Found{row, depth, viaOf(row.id)});
            visiblePhid.insert(row.id, row.phid);
            seen.insert(row.id);
            next << row.id;
        }
        hidden += ids.size() - seen.size();
        for (const QVariant &id : ids) {
            if (!seen.contains(id.toLongLong()))
                next << id.toLongLong();
        }
        level = next;
    }
    QJsonArray drawings;
    for (const Found &drawing : found) {
        QJsonObject json = drawing.row.toJson();
        json.insert(QStringLiteral("_Depth"), QString::number(drawing.depth));
        json.insert(QStringLiteral("_ReferencedVia"), drawing.via);
        drawings.append(json);
    }
    return QJsonObject{{QStringLiteral("object"), object.toJson()},
                       {QStringLiteral("drawings"), drawings},
                       {QStringLiteral("hidden"), hidden}};
}
