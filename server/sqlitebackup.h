#pragma once

#include <QString>

// Backups of a SQLite data folder's database, taken while the platform serves it, and new data
// folders made from them. Used by the backup and restore commands on the calling thread.
class SqliteBackup
{
public:
    // Writes a copy of the database Database is configured with to target, replacing a file
    // there only once the copy is complete and checked. The copy holds exactly what was
    // committed when it began. *report says what it holds.
    static bool create(const QString &target, QString *report, QString *error);
    // Makes the database of dataDir, which must be empty, from a backup. Every number the
    // platform hands out (automatic names, check-in ids, event ids) continues margin past the
    // last one the backup shows, so none given out after the backup is given again.
    static bool restore(const QString &source, const QString &dataDir, qint64 margin,
                        QString *report, QString *error);
};
