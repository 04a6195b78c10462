#pragma once

#include <QString>

class QWidget;

// The data roles of the file lists' items, beside the items' own data.
enum FileItemRole {
    FileNameRole = 16,     // the name shown: file name, or the platform title of a result
    FileModifiedRole = 17, // the platform modification time, milliseconds since the epoch
};

// Whether the item (nameA, modifiedA) comes before (nameB, modifiedB): by name ignoring case,
// or by modification time.
bool fileItemPrecedes(const QString &nameA, qint64 modifiedA, const QString &nameB,
                      qint64 modifiedB, bool byName);

// How a list or tree view orders its file items: set by the dialog or pane that owns the view
// (from the session's choice), read by the items as they are compared. By name until set.
void setSortByName(QWidget *view, bool byName);
bool sortsByName(const QWidget *view);
