#include "hostsystemservices.h"

#include "dockingpanemanager.h"
#include "hostdocumentmanager.h"

HostSystemServices::HostSystemServices(HostDocumentManager *documents, DockingPaneManager *panes,
                                       CFxUiCustomizationManager *ui, int language)
    : m_documents(documents)
    , m_panes(panes)
    , m_ui(ui)
    , m_language(language)
{
}

CFxDocumentManager *HostSystemServices::GetDocumentManager()
{
    return m_documents;
}

CFxDockingPaneManager *HostSystemServices::GetDockingPaneManager()
{
    return m_panes;
}

CFxUiCustomizationManager *HostSystemServices::GetUiCustomizationManager()
{
    return m_ui;
}

OdDbHostAppServices *HostSystemServices::GetHostAppServices()
{
    // The host has no drawing reader yet.
    return nullptr;
}
