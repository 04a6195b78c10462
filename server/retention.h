#pragma once

#include <QtGlobal>

// How long the platform keeps the versions of an object: all of them (the default), or the
// last keepVersions and/or those younger than keepDays days. When both are set, a version goes
// only when neither keeps it; the current version always stays. A value that the serve command
// and the prune command are given; runs on the calling thread's database connection.
class Retention
{
public:
    Retention() = default;
    Retention(int keepVersions, int keepDays);

    bool keepsAll() const { return m_keepVersions <= 0 && m_keepDays <= 0; }
    // Drops the versions of one object that the rules let go, with the contents nothing uses
    // any more; inside the caller's transaction. Returns how many went.
    int pruneObject(qint64 objectId) const;
    // The same for every object with older versions, each in a transaction of its own.
    int pruneAll() const;

private:
    int m_keepVersions = 0;
    int m_keepDays = 0;
};
