#pragma once

#include "odrxobject.h"
#include "odstring.h"
#include "tdrootexport.h"

class OdEdCommandContext;

// A command that the command stack runs by name. globalName is the untranslated name
// (conventionally starting with "_"), localName the one shown to the user.
class TD_ROOT_EXPORT OdEdCommand : public OdRxObject
{
public:
    enum Flags {
        kModal = 0x00000000,
        kTransparent = 0x00000001,
        kNoUndoMarker = 0x00000040,
        kNoHistory = 0x00000100
    };

    virtual const OdString groupName() const;
    virtual const OdString globalName() const = 0;
    virtual const OdString localName() const;
    virtual int flags() const;
    // Runs the command and returns its completion status.
    virtual int execute(OdEdCommandContext *context) = 0;
};
