#pragma once

class ShowAurexTaskPane;

// Signs in with the launcher's cookie when the module's view is created. Sets the connector up
// (proxy, server, tenant, preferred context) and, when the launcher file has a cookie and a
// server, makes the blocking cookie sign-in. Returns the new sign-in state when a sign-in was
// attempted, false otherwise (the state is then left as it was).
bool signInFromLauncher(ShowAurexTaskPane *session);

// Downloads the launcher's model into the temporary folder and asks the host to open it; only
// while signed in and when the launcher names a model.
void openLauncherModel(ShowAurexTaskPane *session);

// True when the launcher file names no server: the module cannot sign in, and the welcome box
// that explains the set-up has been shown (modally). False otherwise, showing nothing.
bool ensureLauncherConfigured();
