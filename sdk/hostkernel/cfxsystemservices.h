#pragma once

#include "hostkernelexport.h"

class CFxDockingPaneManager;
class CFxDocumentManager;
class CFxString;
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
    // Shows one line of text to the user in the host's command line. Main thread only; a host
    // without a command line ignores it.
    virtual void WriteMessage(const CFxString &text);
};

HOSTKERNEL_EXPORT CFxSystemServices *GetFxSystemServices();
HOSTKERNEL_EXPORT void SetFxSystemServices(CFxSystemServices *services);
