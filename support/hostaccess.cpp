#include "hostaccess.h"

#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <cfxsystemservices.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QString>
#include <QUrl>

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

bool HostAccess::openWebAddress(const QUrl &url)
{
    if (url.isValid() && !url.isEmpty() && QDesktopServices::openUrl(url))
        return true;
    writeToCommandLine(
        url.isEmpty()
            ? QCoreApplication::translate("HostAccess", "No web address is known for this page.")
            : QCoreApplication::translate("HostAccess", "No web browser could open %1")
                  .arg(url.toString()));
    return false;
}
