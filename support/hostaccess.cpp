#include "hostaccess.h"

#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <cfxsystemservices.h>

#include <QString>

CFxDocumentManager *HostAccess::documents()
{
    CFxSystemServices *services = GetFxSystemServices();
    return services ? services->GetDocumentManager() : nullptr;
}

CFxDocument *HostAccess::activeDocument()
{
    CFxDocumentManager *manager = documents();
    return manager ? manager->GetCurrentDocument() : nullptr;
}

CFxDockingPaneManager *HostAccess::panes()
{
    CFxSystemServices *services = GetFxSystemServices();
    return services ? services->GetDockingPaneManager() : nullptr;
}

CFxUiCustomizationManager *HostAccess::ui()
{
    CFxSystemServices *services = GetFxSystemServices();
    return services ? services->GetUiCustomizationManager() : nullptr;
}

OdDbHostAppServices *HostAccess::appServices()
{
    CFxSystemServices *services = GetFxSystemServices();
    return services ? services->GetHostAppServices() : nullptr;
}

int HostAccess::language()
{
    CFxSystemServices *services = GetFxSystemServices();
    return services ? services->GetUILanguage() : 0;
}

void HostAccess::writeToCommandLine(const QString &text)
{
    if (CFxSystemServices *services = GetFxSystemServices())
        services->WriteMessage(CFxString(text));
}
