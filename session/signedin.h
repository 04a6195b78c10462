#pragma once

// Whether the module regards the user as signed in to the platform. False when the module is
// loaded; changed only by the session (ShowAurexTaskPane::startSession and endSession) on the
// main thread; readable from any thread.
bool signedIn();
