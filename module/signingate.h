#pragma once

// The open and save commands run only for a signed-in user. Signed out, the user is offered the
// sign-in dialog (or the welcome box when no server is configured); returns whether the user is
// signed in afterwards.
bool passSignInGate();
