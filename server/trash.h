#pragma once

#include "objectstore.h"

#include <QJsonArray>
#include <QList>

// Deleted objects wait in their space's trash, with their versions, relations and previews,
// until the administrator's retention lets them go; their automatic names stay theirs, so nobody
// else gets them meanwhile. A manager of the space, and whoever deleted an object, see it there
// and can put it back where it was. Failures throw ApiError.
class Trash
{
public:
    explicit Trash(const Caller &caller);

    // What the caller may restore, newest deletion first.
    QList<ObjectRow> list();
    // Puts objects (by "phid" or "name", previews with their drawings) back, all or nothing:
    // 404 for one the caller cannot see in the trash, 403 for one they may not restore.
    QList<ObjectRow> restore(const QJsonArray &refs);

    // Puts an object in the trash back where it was, its preview with it, as done by login
    // (from address); inside the caller's transaction.
    static void putBack(qint64 objectId, const QString &login, const QString &address);
    // Deletes for good what lies in the trash longer than keepDays; how many objects went.
    static int purge(int keepDays);
    // When an object deleted at trashedAt goes for good.
    static qint64 purgeTime(qint64 trashedAt, int keepDays);

private:
    ObjectStore m_objects;
    Caller m_caller;
};
