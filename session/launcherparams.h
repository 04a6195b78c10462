#pragma once

#include <QString>

class ShowAurexTaskPane;

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
// Reads the launcher parameter file; on success stores its tenant in the session.
LauncherParams readLauncherParams(ShowAurexTaskPane *session);
// The connector's server host: "https://" and "/vaultis" removed (as written), then lower case.
QString serverHostFromUrl(const QString &serverUrl);
