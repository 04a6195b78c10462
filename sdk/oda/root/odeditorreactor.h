#pragma once

#include "odrxeventreactor.h"
#include "tdrootexport.h"

// Notifications of the editor beyond the database events: the state of the drawing the user
// works in. Each does nothing unless overridden.
class TD_ROOT_EXPORT OdEditorReactor : public OdRxEventReactor
{
public:
    virtual void beginDwgOpen(const OdString &fileName);
    virtual void endDwgOpen(const OdString &fileName, OdDbDatabase *database);
    virtual void beginClose(OdDbDatabase *database);
    virtual void docCloseWillStart(OdDbDatabase *database);
};
