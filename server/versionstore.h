#pragma once

#include "accountstore.h"
#include "objectstore.h"
#include "retention.h"

#include <QHash>
#include <QJsonObject>

class JsonText;
#include <QVector>
#include <QString>

// One kept version of an object: what was saved, by whom, when, and with which check-in.
struct VersionRow {
    qint64 objectId = 0;
    int revision = 0;
    QString title;
    qint64 modified = 0;
    QString modifiedBy;
    qint64 checkInId = 0; // 0 for versions saved before check-ins were recorded
    QString comment;
    QString sha256;
    qint64 size = 0;
    DrawingProperties drawing;

    // An object of "revision", "title", "_filemodified", "_ModifiedBy", "_CheckIn", "_Comment",
    // "_size", "_sha256" and the drawing properties this version or the object now has
    // (current): what sets this version apart from the object's others.
    void write(JsonText *text, const DrawingProperties &current) const;
    // The object's record properties as they were at this version, plus "_CheckIn" and
    // "_Comment".
    QJsonObject toJson(const ObjectRow &object) const;
};

// The versions of the objects a signed-in caller may see, and what is written with each new
// version: its check-in and the references its drawing had. Every lookup goes through
// ObjectStore, so an object of a space the caller is not in stays unknown. Failures throw
// ApiError; runs on the calling thread's database connection.
class VersionStore
{
public:
    explicit VersionStore(const Caller &caller);

    // Newest first.
    QVector<VersionRow> versions(const ObjectRow &object);
    // The comment of the check-in that saved each object's current version, by object id
    // ("" for a version saved without one or before versions were kept).
    QHash<qint64, QString> currentComments(const QList<ObjectRow> &objects);
    // 404 naming the object when there is no such revision or it was pruned.
    VersionRow version(const ObjectRow &object, int revision);
    // The drawing as of that version, then every file it referenced, each at the revision it
    // had when the referencing version was saved, recursively, each object once.
    QJsonArray structureAsOf(const ObjectRow &object, int revision);
    // A new version with the bytes of an earlier one, under the rules of a check-in: refused
    // while another user holds the lock, or when baseModified (if given) is not the current
    // stamp. The lock stays as it is; retention then applies as after a check-in. Bytes equal
    // to the current ones make no version, as in a check-in. Returns the object as stored.
    ObjectRow restore(const ObjectRow &object, int revision, const QString &comment,
                      const QString &baseModified, const Retention &retention);

    // The rest runs inside the caller's transaction.
    // 400 when a comment is longer than the platform keeps.
    static void checkComment(const QString &comment);
    // A new check-in of userId with its comment; returns its id.
    static qint64 beginCheckIn(qint64 userId, const QString &comment);
    // For a restored database: check-in ids from now on lie margin past every id it shows, so
    // none given after its backup is given again.
    static void skipCheckInIds(qint64 margin);
    static void record(qint64 objectId, int revision, const QString &title, qint64 modified,
                       qint64 userId, qint64 checkInId, const QString &sha256, qint64 size,
                       const DrawingProperties &drawing);
    // Notes, for the object's current version, the revision every reference it has now has,
    // keeping what that version noted before.
    static void noteReferences(qint64 objectId);
    // Makes the current revision of every object its first kept version, with the references
    // it has now: for a database of a platform that kept only the current version.
    static void keepCurrentVersions();
    // Forgets every version of the object and what they referenced; returns the contents they
    // used, for the caller to drop once the object is gone.
    static QStringList removeAll(qint64 objectId);

private:
    Caller m_caller;
    ObjectStore m_objects;
};
