#pragma once

#include <cfxsystemservices.h>

class DockingPaneManager;
class HostDocumentManager;

// The host's system services: what modules reach through GetFxSystemServices().
class HostSystemServices : public CFxSystemServices
{
public:
    HostSystemServices(HostDocumentManager *documents, DockingPaneManager *panes,
                       CFxUiCustomizationManager *ui, OdDbHostAppServices *appServices,
                       int language);

    CFxDocumentManager *GetDocumentManager() override;
    CFxDockingPaneManager *GetDockingPaneManager() override;
    CFxUiCustomizationManager *GetUiCustomizationManager() override;
    OdDbHostAppServices *GetHostAppServices() override;
    int GetUILanguage() const override { return m_language; }
    QWidget *GetMainWindow() override { return m_mainWindow; }
    void WriteMessage(const CFxString &text) override;

    void setMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }

private:
    HostDocumentManager *m_documents;
    DockingPaneManager *m_panes;
    CFxUiCustomizationManager *m_ui;
    OdDbHostAppServices *m_appServices;
    int m_language;
    QWidget *m_mainWindow = nullptr;
};
