#pragma once

class AurexJob;
class AurexPlatform;
class ShowAurexTaskPane;
class QObject;
class QString;

// Signs in with the launcher's cookie when the module's view is created. Sets the connector up
// (proxy, server, tenant, preferred context) and, when the launcher file has a cookie and a
// server, starts the cookie sign-in as a job, so that a platform slow to answer leaves the
// host working; returns that job (owned by parent), or null when no sign-in was attempted (the
// state is then left as it was). By the job's result the session has started, or ended unless
// another sign-in started one meanwhile. A tenant left working offline whose platform cannot be
// reached gets a session all the same, offline, as the user who worked offline; going online
// then signs in with confirmLauncherSignIn. A platform that cannot be reached is said on the
// command line. platform and session outlive the job.
AurexJob *signInFromLauncher(AurexPlatform &platform, ShowAurexTaskPane *session,
                             QObject *parent = nullptr);
// The blocking cookie sign-in alone, for a session that started offline without the platform:
// true when the platform took the launcher's cookie. The session is left as it is.
bool confirmLauncherSignIn(AurexPlatform &platform);

// Downloads the launcher's model into the temporary folder and asks the host to open it; only
// while signed in and when the launcher names a model. Returns at once: the download is a job.
// platform outlives it.
void openLauncherModel(AurexPlatform &platform, ShowAurexTaskPane *session);

// A drawing became active in the host. While the launcher's model is being opened for a
// signed-in user, the first other drawing to become active (the host's blank start-up drawing
// is not what the user came for) is closed, once the host has finished activating it, and the
// open no longer pends.
void closeDrawingBeforeLauncherModel(ShowAurexTaskPane *session, const QString &activatedPath);

// True when the launcher file names no server: the module cannot sign in, and the welcome box
// that explains the set-up has been shown (modally). False otherwise, showing nothing.
bool ensureLauncherConfigured();
