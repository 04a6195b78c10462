#pragma once

#include <QString>

class AurexPlatform;
class ShowAurexTaskPane;

// Where a password sign-in goes: the developer server file "v4all.xml" when the current
// directory has one, else the launcher's server.
struct SignInTarget
{
    QString serverHost;
    QString tenant;
    QString casUrl;
};

// A sign-in with a user name and password, as the sign-in dialog makes it, in three steps so
// that the platform call can run away from the main thread. The messages are in words for the
// user (empty fields, an unknown server, refused credentials, a platform out of reach).

// Checks the fields and sets the connector up (proxy, tenant, server) for the target; false
// with the reason when there is nothing to ask the platform. Main thread.
bool prepareSignIn(AurexPlatform &platform, ShowAurexTaskPane *session, const QString &userName,
                   const QString &password, SignInTarget *target, QString *errorMessage);
// The blocking sign-in itself; "" or why it failed. Any thread.
QString passwordSignInCall(AurexPlatform &platform, const QString &userName,
                           const QString &password, const SignInTarget &target);
// Starts the session for the target's tenant after a sign-in that succeeded (failure empty),
// ends it after one that failed. Main thread.
void finishSignIn(ShowAurexTaskPane *session, const SignInTarget &target, const QString &failure);

// All three in a row, blocking; true when signed in.
bool signInWithPassword(AurexPlatform &platform, ShowAurexTaskPane *session,
                        const QString &userName, const QString &password, QString *errorMessage);
