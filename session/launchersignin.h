#pragma once

class AurexPlatform;
class ShowAurexTaskPane;
class QString;

// Signs in with the launcher's cookie when the module's view is created. Sets the connector up
// (proxy, server, tenant, preferred context) and, when the launcher file has a cookie and a
// server, makes the blocking cookie sign-in. Returns the new sign-in state when a sign-in was
// attempted, false otherwise (the state is then left as it was). A tenant left working offline
// whose platform cannot be reached gets a session all the same, offline, as the user who worked
// offline; going online then signs in with confirmLauncherSignIn.
bool signInFromLauncher(AurexPlatform &platform, ShowAurexTaskPane *session);
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
