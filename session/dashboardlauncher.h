#pragma once

#include <QString>

// The platform's web dashboard, named in the applications file the launcher leaves.
class DashboardLauncher
{
public:
    // The applications file's full path in the user's data folder.
    static QString appsInfoPath();
    // The dashboard's address, or "" when the file is missing, not XML or has no dashboard.
    static QString findDashboardUrl();
    // Hands the dashboard's address to the desktop's web browser (an empty address opens
    // nothing).
    static void launch();
};
