#pragma once

#include <QString>

// The data roles of the file lists' items, beside the items' own data.
enum FileItemRole {
    FileNameRole = 16,     // the name shown: file name, or the platform title of a result
    FileModifiedRole = 17, // the platform modification time, milliseconds since the epoch
};

// Whether the item (nameA, modifiedA) comes before (nameB, modifiedB) in the lists' order: by
// name ignoring case, or by modification time, as the session's sort flag says.
bool fileItemPrecedes(const QString &nameA, qint64 modifiedA, const QString &nameB,
                      qint64 modifiedB);
