#include "dockingpanemanager.h"

#include <QDockWidget>
#include <QMainWindow>

namespace {

// The default width of a side pane, in average characters of the application's font: about
// 340 pixels at the usual 9 point font, wider when the user's fonts are larger.
constexpr int kDefaultSideCharacters = 48;

Qt::DockWidgetAreas toDockAreas(int flags)
{
    Qt::DockWidgetAreas areas;
    if (flags & CFxDockingPaneManager::LeftArea)
        areas |= Qt::LeftDockWidgetArea;
    if (flags & CFxDockingPaneManager::RightArea)
        areas |= Qt::RightDockWidgetArea;
    if (flags & CFxDockingPaneManager::TopArea)
        areas |= Qt::TopDockWidgetArea;
    if (flags & CFxDockingPaneManager::BottomArea)
        areas |= Qt::BottomDockWidgetArea;
    return areas ? areas : Qt::AllDockWidgetAreas;
}

Qt::DockWidgetArea firstArea(Qt::DockWidgetAreas areas)
{
    for (Qt::DockWidgetArea area : { Qt::LeftDockWidgetArea, Qt::RightDockWidgetArea,
                                     Qt::TopDockWidgetArea, Qt::BottomDockWidgetArea }) {
        if (areas & area)
            return area;
    }
    return Qt::LeftDockWidgetArea;
}

} // namespace

QWidget *DockingPaneManager::CreateDockingPane(QWidget *content, int paneId, int dockAreas,
                                               const CFxString &identifier,
                                               const CFxString &caption, int x, int y,
                                               int width, int height, int minWidth,
                                               int minHeight, int visible, int floating)
{
    if (!m_mainWindow || !content)
        return nullptr;
    auto *pane = new QDockWidget(caption.toQString(), m_mainWindow);
    pane->setObjectName(identifier.toQString() + QString::number(paneId));
    const Qt::DockWidgetAreas areas = toDockAreas(dockAreas);
    pane->setAllowedAreas(areas);
    pane->setWidget(content);
    pane->setMinimumSize(qMax(0, minWidth), qMax(0, minHeight));
    if (width > 0 && height > 0)
        content->resize(width, height);
    const Qt::DockWidgetArea area = firstArea(areas);
    m_mainWindow->addDockWidget(area, pane);
    // A pane docked at a side starts wide enough to show its content's names when the module
    // leaves the width to the host; at its minimum it would elide nearly every file name.
    if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea) {
        const int defaultWidth = kDefaultSideCharacters * pane->fontMetrics().averageCharWidth();
        const int sideWidth = width > 0 ? width : qMax(minWidth, defaultWidth);
        m_mainWindow->resizeDocks({ pane }, { sideWidth }, Qt::Horizontal);
    }
    if (floating) {
        pane->setFloating(true);
        pane->move(x, y);
    }
    pane->setVisible(visible != 0);
    m_panes.append(pane);
    return pane;
}

QList<QDockWidget *> DockingPaneManager::panes() const
{
    QList<QDockWidget *> result;
    for (const QPointer<QDockWidget> &pane : m_panes) {
        if (pane)
            result.append(pane);
    }
    return result;
}
