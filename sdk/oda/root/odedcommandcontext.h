#pragma once

#include "odstring.h"
#include "tdrootexport.h"

class OdRxObject;

// What a running command is given: the database it works on and the user's answers. The host
// supplies answers from the rest of a script or command line first, then asks interactively.
class TD_ROOT_EXPORT OdEdCommandContext
{
public:
    virtual ~OdEdCommandContext();

    // The drawing the command works on (an OdDbDatabase), or null without one.
    virtual OdRxObject *baseDatabase();
    // The next answer already given (typed after the command or in a script), without asking;
    // empty when there is none.
    virtual OdString nextArgument();
    // The next answer as text, or defaultValue when none is given.
    virtual OdString getString(const OdString &prompt, const OdString &defaultValue = OdString());
    // The next answer as a file path; an interactive host may show a file dialog.
    virtual OdString getFilePath(const OdString &prompt, const OdString &filter, bool forSaving);
    // Reports a line of text to the user (the host's command line).
    virtual void putString(const OdString &text);
};
