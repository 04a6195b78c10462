#pragma once

#include "odrxmodule.h"
#include "tdrootexport.h"

// The host application's module base. Modules of this host derive from it rather than from
// OdRxModule so that the host can tell its own modules from plain drawing-library extensions.
class TD_ROOT_EXPORT lx_OdRxModule : public OdRxModule
{
protected:
    lx_OdRxModule();
    ~lx_OdRxModule() override;
};
