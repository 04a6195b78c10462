#pragma once

#include <QString>

class AurexPlatform;
class ShowAurexTaskPane;

// Signs in with a user name and password, as the sign-in dialog and the web sign-in page do.
// Sets the connector up (proxy, tenant, server) for the developer server file "v4all.xml" when
// the current directory has one, else for the launcher's server, then makes the blocking
// password sign-in. On success the session starts for that tenant and the result is true; on
// failure *errorMessage says why in words for the user (empty fields, an unknown server, refused
// credentials). Main thread only.
bool signInWithPassword(AurexPlatform &platform, ShowAurexTaskPane *session,
                        const QString &userName, const QString &password, QString *errorMessage);
