#include "lxaurexview.h"

#include "menubuilder.h"

#include "bridge/lxhttpserver.h"
#include "session/cslogindialog.h"
#include "session/launchersignin.h"
#include "session/loggingcontroller.h"
#include "session/showaurextaskpane.h"
#include "support/aurexjob.h"
#include "support/hostaccess.h"
#include "taskpane/aurexmainwindow.h"
#include "taskpane/taskpanecontainer.h"

#include <cfxdockingpanemanager.h>

#include <QCoreApplication>
#include <QWidget>

namespace {
// What the module asks of the host's pane: docked left or right, placed at 120, 120 when it
// floats, its own size, at least 260 by 100, visible, docked.
constexpr int kPaneId = 1;
constexpr int kPaneDockAreas = CFxDockingPaneManager::LeftArea | CFxDockingPaneManager::RightArea;
}

bool LxAurexView::addLxAurexView()
{
    MenuBuilder::buildAtViewCreation();
    // From here on the menu's and ribbon's sign-in captions follow the sign-in dialog and the
    // end of a session.
    LoggingController *controller = LoggingController::instance();
    ShowAurexTaskPane *session = controller->session();

    m_container = new QWidget; // docked by the host, which then owns it
    m_container->setObjectName(QStringLiteral("containerWidget"));
    if (CFxDockingPaneManager *panes = HostAccess::panes())
        m_pane = panes->CreateDockingPane(m_container, kPaneId, kPaneDockAreas, "Aurex", "Aurex",
                                          120, 120, -1, -1, 260, 100, 1, 0);
    if (m_pane) {
        m_pane->setWindowTitle(QCoreApplication::translate("LxAurexView", "AUREX Platform Connection"));
        m_pane->setVisible(true);
    }

    AurexPlatform *platform = session->onlinePlatform();
    AurexJob *signIn = signInFromLauncher(*platform, session, m_container);
    auto *pane = new TaskPaneContainer(m_container, session, controller->signInDialog());
    QObject::connect(pane->mainWindow(), &AurexMainWindow::signOutAsked, controller,
                     &LoggingController::signOutAsked);
    session->refreshTaskPane();
    // Lives as long as the pane.
    new lxHttpServer(platform, session, m_pane ? m_pane : m_container);
    // Once the launcher's sign-in has its answer: the pane for the new state, the launcher's
    // model, and the menu's sign-in caption when nobody is signed in.
    const auto signedInOrNot = [session, platform, controller] {
        session->refreshTaskPane();
        openLauncherModel(*platform, session);
        if (!session->isSignedIn())
            controller->signInDialog()->announceSignInState();
    };
    if (signIn)
        QObject::connect(signIn, &AurexJob::result, m_container, signedInOrNot);
    else
        signedInOrNot();
    return true;
}

void LxAurexView::showLxAurexView()
{
    if (m_pane && m_pane->isVisible())
        m_pane->hide();
    if (m_pane && m_pane->isHidden()) {
        const int height = m_pane->height();
        const int width = m_pane->width();
        m_pane->setMinimumHeight(height);
        m_pane->setMaximumHeight(height);
        m_pane->setMinimumWidth(width);
        m_pane->setMaximumWidth(width);
        m_pane->show();
    }
}

LxAurexView &LxAurexView::operator=(const LxAurexView &other)
{
    m_reserved = other.m_reserved;
    m_pane = other.m_pane;
    m_container = other.m_container;
    return *this;
}
