#pragma once

#include "accountstore.h"
#include "drawingproperties.h"
#include "spacerole.h"

#include <QByteArray>
#include <QJsonArray>
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// One platform object as the caller may see it.
struct ObjectRow {
    qint64 id = 0;
    QString phid;
    QString name;
    QString title;
    QString type;
    QString cadType;
    QString format;
    int revision = 0;
    qint64 spaceId = 0;
    QString space;
    QString owner;
    qint64 lockedById = 0;
    QString lockedBy;
    qint64 modified = 0;
    QString modifiedBy; // login of whoever saved the current version
    QString sha256;
    qint64 size = 0;
    SpaceRole::Level role = SpaceRole::Reader; // the caller's, in the object's space
    qint64 trashedAt = 0; // 0: not in the trash
    QString trashedBy;
    DrawingProperties drawing; // of the current version

    // The record properties the connector exchanges ("phid", "_LockedBy", "_filemodified"...).
    QJsonObject toJson() const;
};

// Reading and changing platform objects on behalf of a signed-in caller. Every lookup goes
// through the caller's memberships, so an object of a space the caller is not in is reported
// exactly like one that does not exist, and passes over objects in the trash. What the caller
// may change depends on their role in the object's space. Failures throw ApiError.
class ObjectStore
{
public:
    explicit ObjectStore(const Caller &caller);

    // A query record's properties ("_TypePattern", "_NamePattern", "_or_title_0"...); 400
    // naming the keys it does not know.
    QList<ObjectRow> search(const QJsonObject &query);
    // Without a query: the drawings of the caller's current space (or of all their spaces).
    QList<ObjectRow> searchCurrentSpace();
    // Finds the object a request record names: by "phid", else by "name" (and "type" if set).
    std::optional<ObjectRow> resolve(const QJsonObject &ref);
    ObjectRow resolveOrThrow(const QJsonObject &ref);
    std::optional<ObjectRow> byPhid(const QString &phid);
    // The objects of these ids that the caller may see, in title order.
    QList<ObjectRow> byIds(const QVariantList &ids);
    // The drawing first, then every file it references, recursively, each once.
    QList<ObjectRow> structure(const ObjectRow &root);
    std::optional<ObjectRow> previewOf(const ObjectRow &object);
    // The drawing a preview belongs to; nothing for other objects.
    std::optional<ObjectRow> drawingOf(const ObjectRow &preview);
    // A preview is written only by whoever may write its drawing: 409 when another user holds
    // the lock of the drawing the object belongs to.
    void refuseIfDrawingLocked(const ObjectRow &object);

    ObjectRow lock(const QJsonObject &ref);
    ObjectRow unlock(const QJsonObject &ref);
    // Moves objects to the trash, all or nothing: refused when any object is unknown, locked by
    // someone else, or not the caller's to delete (a reader's; an editor's of another's
    // file). Derived outputs (previews) go with their object.
    void remove(const QJsonArray &refs);
    // Deletes an object for good, with its versions, relations and the contents no other version
    // uses; inside the caller's transaction.
    static void erase(qint64 objectId);
    // Fresh names, never handed out before, reserved for the caller's next check-ins.
    QStringList autonames(int count);
    // The same inside a transaction the caller holds.
    QStringList issueNames(int count);
    // For a restored database: automatic names from now on lie margin past the last one it
    // handed out, so none given after its backup is given again; returns the next name.
    static QString skipNames(qint64 margin);

    static QString stampText(qint64 secondsSinceEpoch);
    // The key (see Database::lockKey) that writers of the object of that name hold.
    static QString writeKey(const QString &name);
    static QString typeForTitle(const QString &title);
    // Gives the lock of a drawing's preview to whoever now holds the drawing's (a null holder:
    // nobody), whoever held the preview before; inside the caller's transaction.
    static void lockPreviewAlike(qint64 drawingId, const QVariant &holder);
    // Notes who saved an object's current version; runs inside the caller's transaction.
    static void recordWriter(qint64 objectId, qint64 userId);
    // The columns of objects that hold its current version's drawing properties, the
    // lower-cased copies searched included; "column = ?, ..." of them for an update; and the
    // values of these properties for them, in the same order.
    static QStringList drawingColumns();
    static QString drawingColumnAssignments();
    static QVariantList drawingColumnValues(const DrawingProperties &drawing);

private:
    static void refuseUnknownKeys(const QJsonObject &query);
    QList<ObjectRow> select(const QString &where, const QVariantList &binds,
                            const QString &tail = QString());
    // The same, objects in the trash included.
    QList<ObjectRow> selectAny(const QString &where, const QVariantList &binds,
                               const QString &tail = QString());
    friend class Trash;
    ObjectRow changeLock(const QJsonObject &ref, bool lock);
    // Adds the visible subcomponents of these parents to childrenOf, each parent's in title
    // order.
    void addChildren(const QVariantList &parents, QHash<qint64, QList<ObjectRow>> *childrenOf);

    Caller m_caller;
};
