#pragma once

#include "listing.h"

#include <QString>
#include <QStringList>

#include <optional>

// The trail of every write: check-ins, locks, unlocks, deletes, restores (of a version and from
// the trash) and changes of memberships and roles, each with its time, who did it, from which
// address (the administrator's commands: "local"), the space and the object. Kept as long as the
// database; recorded inside the transaction of the write, so a write that is refused leaves none.
class AuditTrail
{
public:
    // Which entries a reader of the trail asks for; empty or zero: any.
    struct Filter {
        QString user;
        QString space;
        QString object; // automatic name or title
        qint64 since = 0; // seconds since the epoch, inclusive
        qint64 until = 0; // exclusive
        // When set, only entries of these spaces (those a manager reads); an empty list: none.
        bool restricted = false;
        QStringList spaces;
    };

    // A write of one object as it stands now.
    static void recordObject(const char *action, qint64 objectId, const QString &login,
                             const QString &address, const QString &detail);
    // A write of a space's memberships.
    static void recordSpace(const char *action, const QString &space, const QString &login,
                            const QString &address, const QString &detail);
    // Oldest first.
    static Listing list(const Filter &filter);
    // A filter's time: a day ("2026-12-08") or a moment ("2026-12-08T14:02:11Z"), UTC unless
    // it says otherwise, as seconds since the epoch; 0 for "", nothing for anything else.
    static std::optional<qint64> timeOf(const QString &text);
};
