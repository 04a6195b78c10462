#pragma once

#include <QStringList>

#include <memory>

class CFxUiCustomizationManager;
class DockingPaneManager;
class HostDocumentManager;
class HostSystemServices;
class OdDbHostAppServices;
class QMainWindow;

// What the host offers its modules, assembled once: the customization model with the host's own
// menus and ribbon, the drawing library's application services, the documents, the docking panes
// and the system services that lead to them, installed for as long as the object lives.
class HostServices
{
public:
    HostServices(int language, const QStringList &supportFolders);
    ~HostServices();
    HostServices(const HostServices &) = delete;
    HostServices &operator=(const HostServices &) = delete;

    // The window that docking panes go on and that modules are given as parent.
    void setMainWindow(QMainWindow *mainWindow);

    CFxUiCustomizationManager *ui() const { return m_ui.get(); }
    OdDbHostAppServices *appServices() const { return m_appServices.get(); }
    HostDocumentManager *documents() const { return m_documents.get(); }
    DockingPaneManager *panes() const { return m_panes.get(); }

private:
    std::unique_ptr<CFxUiCustomizationManager> m_ui;
    std::unique_ptr<OdDbHostAppServices> m_appServices;
    std::unique_ptr<HostDocumentManager> m_documents;
    std::unique_ptr<DockingPaneManager> m_panes;
    std::unique_ptr<HostSystemServices> m_services;
};
