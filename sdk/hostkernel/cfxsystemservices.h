#pragma once

#include "hostkernelexport.h"

class CFxDockingPaneManager;
class CFxDocumentManager;
class CFxUiCustomizationManager;
class OdDbHostAppServices;
class QWidget;

// The host's services as modules reach them: documents, docking panes, menus and ribbon, the
// drawing libraries' application services and the user-interface language. The host installs
// one instance at start-up; GetFxSystemServices() is null before that.
class HOSTKERNEL_EXPORT CFxSystemServices
{
public:
    virtual ~CFxSystemServices();

    virtual CFxDocumentManager *GetDocumentManager() = 0;
    virtual CFxDockingPaneManager *GetDockingPaneManager() = 0;
    virtual CFxUiCustomizationManager *GetUiCustomizationManager() = 0;
    // Reads drawings and finds the files they reference; null while the host has none.
    virtual OdDbHostAppServices *GetHostAppServices() = 0;
    // The host's user-interface language number; 0 means: follow the operating system.
    virtual int GetUILanguage() const = 0;
    virtual QWidget *GetMainWindow() = 0;
};

HOSTKERNEL_EXPORT CFxSystemServices *GetFxSystemServices();
HOSTKERNEL_EXPORT void SetFxSystemServices(CFxSystemServices *services);
