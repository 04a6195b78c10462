#include "hostenvironment.h"

#include <defaultuilayout.h>
#include <dockingpanemanager.h>
#include <hostdocumentmanager.h>
#include <hostsystemservices.h>
#include <uimodeljson.h>

#include <cfxuicustomizationmanager.h>
#include <oddbhostappservices.h>

#include <QMainWindow>

HostEnvironment::HostEnvironment(int language)
    : m_ui(std::make_unique<CFxUiCustomizationManager>())
    , m_appServices(std::make_unique<OdDbHostAppServices>())
    , m_documents(std::make_unique<HostDocumentManager>(m_appServices.get()))
    , m_panes(std::make_unique<DockingPaneManager>())
    , m_mainWindow(std::make_unique<QMainWindow>())
{
    buildDefaultUiLayout(m_ui.get());
    m_panes->setMainWindow(m_mainWindow.get());
    m_services = std::make_unique<HostSystemServices>(m_documents.get(), m_panes.get(), m_ui.get(),
                                                      m_appServices.get(), language);
    m_services->setMainWindow(m_mainWindow.get());
    m_mainWindow->resize(1000, 700);
    m_mainWindow->show();
    SetFxSystemServices(m_services.get());
}

HostEnvironment::~HostEnvironment()
{
    SetFxSystemServices(nullptr);
    m_documents->closeAll();
}

QJsonObject HostEnvironment::uiJson() const
{
    return uiModelToJson(*m_ui);
}
