#pragma once

#include "listing.h"

#include <QString>

// The administrator's view of accounts, spaces, memberships and locks, for the administration
// commands: lists, disabling and removing accounts, ending memberships, breaking locks. Runs on
// the calling thread's database connection; refusals throw ApiError with a message that says
// what stands in the way.
class AccountAdmin
{
public:
    // Every account, disabled or not, with its last sign-in.
    Listing users();
    // Disabling ends the account's sessions and revokes its launcher cookies. Returns the
    // locks the account holds, which stay until released.
    Listing setDisabled(const QString &login, bool disabled);
    // Refused while the account holds locks, owns objects or saved versions that are kept.
    void remove(const QString &login);

    Listing spaces(const QString &tenant);
    Listing members(const QString &tenant, const QString &space);
    bool isMember(const QString &tenant, const QString &space, const QString &login);
    // Locks held, optionally in spaces of one name and/or by one user (empty: all). Previews,
    // whose locks follow their drawings', are left out.
    Listing locks(const QString &space, const QString &login);
    // Releases the lock of the object (its automatic name or platform id) and of its preview,
    // as administrator; the event stream tells it as done by that name. Returns what happened.
    QString releaseLock(const QString &object, const QString &administrator);

    // Objects in the trash (previews left out), optionally of one space, newest deletion first.
    Listing trash(const QString &space);
    // Puts the object of that automatic name or platform id back from the trash.
    QString restoreFromTrash(const QString &object, const QString &administrator);
};
