#pragma once

// Whether the module regards the user as signed in to the platform. False when the module is
// loaded. Written on the main thread; readable from worker threads.
bool signedIn();
void setSignedIn(bool value);
