#pragma once

#include "odrxobject.h"
#include "odstring.h"
#include "tdrootexport.h"

class OdEdCommand;
class OdEdCommandContext;

// Notifications of the command stack; every one does nothing unless overridden.
class TD_ROOT_EXPORT OdEdCommandStackReactor : public OdRxObject
{
public:
    virtual void commandAdded(OdEdCommand *command);
    virtual void commandWillBeRemoved(OdEdCommand *command);
    virtual void commandWillStart(OdEdCommand *command, OdEdCommandContext *context);
    virtual void commandEnded(OdEdCommand *command, OdEdCommandContext *context);
    virtual void commandCancelled(OdEdCommand *command, OdEdCommandContext *context);
    virtual void commandFailed(OdEdCommand *command, OdEdCommandContext *context);
    virtual OdEdCommand *unknownCommand(const OdString &commandName, OdEdCommandContext *context);
};
