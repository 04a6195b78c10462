#pragma once

#include <QString>

// What the platform's launcher wrote into the launcher parameter file. Read afresh at every use;
// all empty when the file is missing or not well-formed. casCookie is a credential: it goes to
// the connector and nowhere else.
struct LauncherParams
{
    QString serverUrl;
    QString casCookie;
    QString namedSpace;
    QString tenant;
    QString modelId;
    QString casUrl;
    QString preferredContext;
};

// The launcher parameter file's full path in the user's configuration folder.
QString launcherParamsPath();
// Reads the launcher parameter file. Only reads: the session's tenant is set by a sign-in.
LauncherParams readLauncherParams();
// The connector's server host: "https://" and "/vaultis" removed (as written), then lower case.
QString serverHostFromUrl(const QString &serverUrl);
