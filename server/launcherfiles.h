#pragma once

#include <QString>

// The two files the platform's launcher leaves for the CAD application: the launcher parameters
// (server, sign-in cookie, space, tenant, model, sign-in address) and the applications file that
// names the dashboard. Both are written atomically; the parameters file, which holds a
// credential, is readable by its owner only.
class LauncherFiles
{
public:
    struct Values {
        QString serverUrl;
        QString cookie;
        QString space;
        QString tenant;
        QString modelId;
        QString preferredContext;
        QString casUrl;
        QString dashboardUrl;
    };

    static bool write(const Values &values, const QString &configFolder,
                      const QString &appsFolder, QString *error);
    // The folder chosen or, when none is, the one the module reads: <generic config>/fzcachedir
    // and <generic data>/fzcachedir.
    static QString configFolder(const QString &chosen);
    static QString appsFolder(const QString &chosen);
};
