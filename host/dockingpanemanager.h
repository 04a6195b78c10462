#pragma once

#include <cfxdockingpanemanager.h>

#include <QList>
#include <QPointer>

class QDockWidget;
#include <QMainWindow>

// Creates docking panes on the host's main window. Panes are owned by the main window.
class DockingPaneManager : public CFxDockingPaneManager
{
public:
    void setMainWindow(QMainWindow *mainWindow) { m_mainWindow = mainWindow; }

    QWidget *CreateDockingPane(QWidget *content, int paneId, int dockAreas,
                               const CFxString &identifier, const CFxString &caption, int x,
                               int y, int width, int height, int minWidth, int minHeight,
                               int visible, int floating) override;

    // The panes created so far that still exist, in creation order.
    QList<QDockWidget *> panes() const;

private:
    QPointer<QMainWindow> m_mainWindow;
    QList<QPointer<QDockWidget>> m_panes;
};
