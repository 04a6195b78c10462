#include "hostenvironment.h"

#include <hostservices.h>
#include <uimodeljson.h>

#include <QMainWindow>

HostEnvironment::HostEnvironment(int language)
    : m_services(std::make_unique<HostServices>(language, QStringList()))
    , m_mainWindow(std::make_unique<QMainWindow>())
{
    m_services->setMainWindow(m_mainWindow.get());
    m_mainWindow->resize(1000, 700);
    m_mainWindow->show();
}

HostEnvironment::~HostEnvironment()
{
    // The panes go with the window, before the services that made them.
    m_mainWindow.reset();
}

CFxUiCustomizationManager *HostEnvironment::ui() const { return m_services->ui(); }
HostDocumentManager *HostEnvironment::documents() const { return m_services->documents(); }
OdDbHostAppServices *HostEnvironment::appServices() const { return m_services->appServices(); }
DockingPaneManager *HostEnvironment::panes() const { return m_services->panes(); }

QJsonObject HostEnvironment::uiJson() const
{
    return uiModelToJson(*m_services->ui());
}
