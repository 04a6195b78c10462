#pragma once

#include <QString>

#include <functional>

class AurexPlatform;
class WorkingCopy;

// What the per-file widgets need to know of the session and where the platform is, handed down
// by the dialog or pane that makes them (which takes it from the session when it builds its
// lists), so that no tile or menu looks the session up by itself.
struct FileItemContext
{
    AurexPlatform *platform = nullptr; // outlives the widgets
    QString tenant;                    // whose file database knows the local files
    QString currentUser;               // the login whose locks are "mine"
    // The tenant's file database as the session keeps it (outlives the widgets); null: the
    // widgets read the file itself.
    WorkingCopy *workingCopy = nullptr;
    // Shows the history of the platform file of that name and title; without it the file
    // menus offer no history.
    std::function<void(const QString &name, const QString &title)> showHistory = nullptr;
    // Brings the platform's latest version of the file of that name down over its local copy;
    // without it the file menus offer no "Get Latest".
    std::function<void(const QString &name)> getLatest = nullptr;
    // Shows which drawings use the platform file of that name and title; without it the file
    // menus offer no "Where Used...".
    std::function<void(const QString &name, const QString &title)> showWhereUsed = nullptr;
};
