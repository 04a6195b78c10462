#include "odedcommandstackreactor.h"

void OdEdCommandStackReactor::commandAdded(OdEdCommand *) { }
void OdEdCommandStackReactor::commandWillBeRemoved(OdEdCommand *) { }
void OdEdCommandStackReactor::commandWillStart(OdEdCommand *, OdEdCommandContext *) { }
void OdEdCommandStackReactor::commandEnded(OdEdCommand *, OdEdCommandContext *) { }
void OdEdCommandStackReactor::commandCancelled(OdEdCommand *, OdEdCommandContext *) { }
void OdEdCommandStackReactor::commandFailed(OdEdCommand *, OdEdCommandContext *) { }

OdEdCommand *OdEdCommandStackReactor::unknownCommand(const OdString &, OdEdCommandContext *)
{
    return nullptr;
}
