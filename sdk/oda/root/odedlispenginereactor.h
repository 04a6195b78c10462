#pragma once

#include "odrxobject.h"
#include "odstring.h"
#include "tdrootexport.h"

// Notifications of the expression evaluator; each does nothing unless overridden.
class TD_ROOT_EXPORT OdEdLispEngineReactor : public OdRxObject
{
public:
    virtual void lispWillStart(const OdString &firstLine);
    virtual void lispEnded();
    virtual void lispCancelled();
};
