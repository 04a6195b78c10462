#pragma once

#include <QJsonObject>

#include <memory>

class CFxUiCustomizationManager;
class DockingPaneManager;
class HostDocumentManager;
class HostServices;
class OdDbHostAppServices;
class QMainWindow;

// The host's services inside the test's own process, on a main window, installed as the system
// services for as long as the object lives.
class HostEnvironment
{
public:
    explicit HostEnvironment(int language = 0);
    ~HostEnvironment();
    HostEnvironment(const HostEnvironment &) = delete;
    HostEnvironment &operator=(const HostEnvironment &) = delete;

    CFxUiCustomizationManager *ui() const;
    HostDocumentManager *documents() const;
    OdDbHostAppServices *appServices() const;
    DockingPaneManager *panes() const;
    QMainWindow *mainWindow() const { return m_mainWindow.get(); }
    // The model as the host's --print-ui prints it.
    QJsonObject uiJson() const;

private:
    std::unique_ptr<HostServices> m_services;
    std::unique_ptr<QMainWindow> m_mainWindow;
};
