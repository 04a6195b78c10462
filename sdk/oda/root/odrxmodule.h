#pragma once

#include "odrxobject.h"
#include "odstring.h"
#include "tdrootexport.h"

// A run-time extension module. The loader gets the module object from the library's
// odrxCreateModuleObject entry point, then drives it: initApp once, uninitApp and
// deleteModuleObject when it unloads the library.
class TD_ROOT_EXPORT OdRxModule : public OdRxObject
{
public:
    // The operating system's handle of the loaded library.
    virtual void *sysData() = 0;
    virtual void deleteModuleObject() = 0;
    virtual void initApp() = 0;
    virtual void uninitApp() = 0;
    // Full path of the module file.
    virtual OdString moduleName() const = 0;

protected:
    OdRxModule();
    ~OdRxModule() override;
};

// Entry points every module library exports.
extern "C" {
using OdRxGetAPIVersionFunc = void (*)(void *, int &, int &, int &, int &);
using OdRxCreateModuleObjectFunc = OdRxModule *(*)(void *&);
}

constexpr char kOdRxGetAPIVersionSymbol[] = "odrxGetAPIVersion";
constexpr char kOdRxCreateModuleObjectSymbol[] = "odrxCreateModuleObject";
