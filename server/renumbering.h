#pragma once

#include <QString>

// What a restored database needs before it is served: every number the platform hands out
// (automatic names, check-in ids, event ids) moves past the last one the database shows, so that
// none handed out after its backup was taken is handed out again. Used by restore on SQLite and
// by the renumber command after pg_restore; runs on the calling thread's connection.
class Renumbering
{
public:
    // In one transaction; returns the next automatic name.
    static QString skipPast(qint64 margin);
};
