#pragma once

#include <QJsonObject>

#include <memory>

class CFxUiCustomizationManager;
class DockingPaneManager;
class HostDocumentManager;
class HostSystemServices;
class OdDbHostAppServices;
class QMainWindow;

// The host application's services inside the test's own process: the customization model with
// the host's own menus and ribbon, the document manager, docking panes on a main window, all
// installed as the system services for as long as the object lives.
class HostEnvironment
{
public:
    explicit HostEnvironment(int language = 0);
    ~HostEnvironment();
    HostEnvironment(const HostEnvironment &) = delete;
    HostEnvironment &operator=(const HostEnvironment &) = delete;

    CFxUiCustomizationManager *ui() const { return m_ui.get(); }
    HostDocumentManager *documents() const { return m_documents.get(); }
    OdDbHostAppServices *appServices() const { return m_appServices.get(); }
    DockingPaneManager *panes() const { return m_panes.get(); }
    QMainWindow *mainWindow() const { return m_mainWindow.get(); }
    // The model as the host's --print-ui prints it.
    QJsonObject uiJson() const;

private:
    std::unique_ptr<CFxUiCustomizationManager> m_ui;
    std::unique_ptr<OdDbHostAppServices> m_appServices;
    std::unique_ptr<HostDocumentManager> m_documents;
    std::unique_ptr<DockingPaneManager> m_panes;
    std::unique_ptr<QMainWindow> m_mainWindow;
    std::unique_ptr<HostSystemServices> m_services;
};
