#include "hostservices.h"

#include "defaultuilayout.h"
#include "dockingpanemanager.h"
#include "hostdocumentmanager.h"
#include "hostsystemservices.h"

#include <cfxuicustomizationmanager.h>
#include <oddbhostappservices.h>

#include <QMainWindow>

HostServices::HostServices(int language, const QStringList &supportFolders)
    : m_ui(std::make_unique<CFxUiCustomizationManager>())
    , m_appServices(std::make_unique<OdDbHostAppServices>())
    , m_documents(std::make_unique<HostDocumentManager>(m_appServices.get()))
    , m_panes(std::make_unique<DockingPaneManager>())
    , m_services(std::make_unique<HostSystemServices>(m_documents.get(), m_panes.get(), m_ui.get(),
                                                      m_appServices.get(), language))
{
    buildDefaultUiLayout(m_ui.get());
    m_appServices->setSupportFolders(supportFolders);
    SetFxSystemServices(m_services.get());
}

HostServices::~HostServices()
{
    SetFxSystemServices(nullptr);
    m_documents->closeAll();
}

void HostServices::setMainWindow(QMainWindow *mainWindow)
{
    m_panes->setMainWindow(mainWindow);
    m_services->setMainWindow(mainWindow);
}
