#pragma once

#include <QString>

// The save dialog's texts that are made outside the dialog class (the save set, the check-in and
// its records): translated in the dialog's context, so that one catalogue entry serves the
// dialog and its helpers. Any thread.
QString saveDialogText(const char *text);
