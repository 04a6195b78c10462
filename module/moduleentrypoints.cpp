// The entry points the host's loader calls first: the drawing-library version the module was
// built for, and the one module object.

#include "lxaurexreactor.h"
#include "moduleexport.h"

#include <odrxwin32module.h>

using AurexModule = OdRxWin32Module<LxAurexReactor>;

extern "C" LXAUREX_EXPORT void odrxGetAPIVersion(void *, int &major, int &minor, int &majorBuild,
                                                 int &minorBuild)
{
    major = 4;
    minor = 1;
    majorBuild = 1;
    minorBuild = 72561;
}

extern "C" LXAUREX_EXPORT OdRxModule *odrxCreateModuleObject(void *&moduleHandle)
{
    if (!AurexModule::s_moduleObject) {
        AurexModule::s_moduleObject = new AurexModule(moduleHandle);
        moduleHandle = nullptr; // the module object holds it now
    }
    return AurexModule::s_moduleObject;
}
