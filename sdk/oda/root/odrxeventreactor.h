#pragma once

#include "odrxobject.h"
#include "odstring.h"
#include "tdrootexport.h"

class OdDbDatabase;

// Notifications about drawing databases: created, opened, saved, destroyed. Each does nothing
// unless overridden.
class TD_ROOT_EXPORT OdRxEventReactor : public OdRxObject
{
public:
    virtual void dwgFileOpened(OdDbDatabase *database, const OdString &fileName);
    virtual void initialDwgFileOpenComplete(OdDbDatabase *database);
    virtual void databaseConstructed(OdDbDatabase *database);
    virtual void databaseToBeDestroyed(OdDbDatabase *database);
    virtual void beginSave(OdDbDatabase *database, const OdString &intendedName);
    virtual void saveComplete(OdDbDatabase *database, const OdString &actualName);
    virtual void abortSave(OdDbDatabase *database);
};
