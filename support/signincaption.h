#pragma once

#include <QString>

// The caption of the sign-in/sign-out entry of the File menus and of its ribbon button, and the
// check mark of the entry that switches working offline.
class SignInCaption
{
public:
    static QString signInText();
    static QString signOutText();

    // Sets the caption of the popup's sign-in/sign-out entry in the workspaces' File menu and in
    // the main menu group's; a menu without the popup in its place is left alone.
    static void updateMenu(const QString &caption);
    // Sets the caption of the sign-in/sign-out button of the module's ribbon panel.
    static void updateRibbon(const QString &caption);
    // Checks the popup's "Work Offline" entry in both File menus while offline.
    static void updateWorkOffline(bool offline);
};
