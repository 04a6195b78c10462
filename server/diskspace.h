#pragma once

#include <QString>

// The free space of the platform's data folder (the SQLite database, uploads on their way in):
// the reason given when a write fails for the want of it, the warning logged when it runs low,
// and the figure the metrics show. Shared by every thread of the process.
class DiskSpace
{
public:
    // With less than this free, a write that failed is taken as the disk being full.
    static constexpr qint64 kFullBytes = 1024 * 1024;

    static void setFolder(const QString &folder);
    // The reserve: a file of this size kept in the data folder and given back to the disk when
    // it is full, so that the database can copy its log in and files can be deleted to make
    // room (0: none). Made again once twice its size is free.
    static void setReserveBytes(qint64 bytes);
    // Gives the reserve back to the disk, if there is one.
    static void releaseReserve();
    // False from the moment the reserve is given back until it is made again: its room is
    // kept for deleting files and for the database's log, and new contents would take it.
    static bool takesNewContents();
    // Free space below this is warned of in the log (0: never).
    static void setWarningBytes(qint64 bytes);
    static qint64 warningBytes();

    // Bytes free for the platform in the data folder; -1 when unknown.
    static qint64 freeBytes();
    // Whether a write that failed with this reason (the system's words, or the database's)
    // failed for the want of space.
    static bool isFull(const QString &reason);
    // What a client is told when a write failed for the want of space.
    static QString fullText();
    // The text for a write that failed: fullText() when the disk is full, else what failed.
    static QString failureText(const QString &what, const QString &reason);
    // Looks at the free space; the first look below the warning level logs a warning, the first
    // back above it a note; makes the reserve again when there is room. Returns the free bytes
    // (-1 unknown).
    static qint64 check();
};
