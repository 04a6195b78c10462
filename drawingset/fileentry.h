#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>

// One file of a drawing's save set as the task pane and the save dialog see it: the local file
// (name and path, from the reference tree) and its platform details (modification stamp, lock
// holder, collaborative space, owner, and the current version's revision, writer and check-in
// comment, from the details query). Empty strings mean unknown.
struct FileEntry
{
    QString fileName;
    QString path;
    QString fileModified;
    QString lockedBy;
    QString collaborativeSpace;
    QString owner;
    QString modifiedBy;
    QString revision;
    QString comment;
    QString role; // the user's in the file's space: "reader", "editor", "manager" or unknown
    // The local copy, changed since its last recorded exchange, holds exactly the bytes of this
    // (newer) version: a save whose answer never came stored them. The file database has been
    // told.
    bool storedFromHere = false;
};

// Platform details by platform name ("name" of the record), as the details query gives them.
using MAPSTRCADOBJ = QMap<QString, FileEntry>;

Q_DECLARE_METATYPE(MAPSTRCADOBJ)
