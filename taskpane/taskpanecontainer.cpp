#include "taskpanecontainer.h"

#include "aurexmainwindow.h"
#include "taskpanelogging.h"
#include "webviewaurexplatform.h"

#include "connector/aurexplatform.h"
#include "session/showaurextaskpane.h"
#include "support/valuejob.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QSplitter>

TaskPaneContainer::TaskPaneContainer(QWidget *container, ShowAurexTaskPane *session,
                                     QDialog *signIn)
    : QObject(container)
    , m_container(container)
    , m_session(session)
    , m_webView(new WebViewAurexPlatform(signIn, container))
    , m_mainWindow(new AurexMainWindow(session, container))
    , m_layout(new QHBoxLayout(container))
{
    m_mainWindow->hide();
    connect(m_mainWindow, &AurexMainWindow::signInAsked, signIn, &QDialog::exec);
    connect(session, &ShowAurexTaskPane::DocumentActivatedSignal, m_mainWindow,
            &AurexMainWindow::DocumentActivatedSlot);
    connect(session, &ShowAurexTaskPane::taskPaneRefreshRequested, this,
            &TaskPaneContainer::refresh);
    m_layout->addWidget(m_webView);
}

QWidget *TaskPaneContainer::webView() const
{
    return m_webView;
}

void TaskPaneContainer::refresh()
{
    if (!m_session->isSignedIn()) {
        if (m_splitter)
            m_splitter->hide();
        m_webView->setNotice(m_session->signInNotice());
        m_webView->show();
        return;
    }
    m_webView->hide();
    if (m_splitter) {
        m_splitter->show();
        m_mainWindow->DocumentActivatedSlot();
    } else {
        m_mainWindow->setUserLabel(tr("AUREX Platform"));
        m_mainWindow->setObjectName(QStringLiteral("aurexWidget"));
        m_mainWindow->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        m_splitter = new QSplitter(Qt::Horizontal, m_container);
        m_splitter->setObjectName(QStringLiteral("splitterWidget"));
        m_splitter->setLayoutDirection(Qt::LeftToRight);
        m_splitter->addWidget(m_mainWindow);
        m_mainWindow->show();
        m_layout->addWidget(m_splitter);
        m_layout->setSpacing(0);
        m_layout->setContentsMargins(0, 0, 0, 0);
        // Signed in the first time: who the user is, then the active drawing's files.
        fetchUserInfo();
    }
}

void TaskPaneContainer::fetchUserInfo()
{
    // Asked in a job, so that a platform slow to answer does not hold the CAD application; the
    // pane lists the files once it knows whose locks are the user's own.
    // Offline, the session knows who worked offline; the platform is not asked.
    if (m_session->isOffline() && !m_session->currentUser().isEmpty()) {
        m_mainWindow->DocumentActivatedSlot();
        return;
    }
    AurexPlatform *platform = m_session->onlinePlatform();
    auto *job = new ValueJob<QStringList>([platform](JobControl &, QStringList &user) {
        QString firstName, lastName, email, login;
        if (!platform->userInfo(&firstName, &lastName, &email, &login))
            return platform->noAnswerText();
        user = QStringList{login, firstName + QLatin1Char(' ') + lastName};
        return QString();
    }, this);
    connect(job, &AurexJob::result, this, [this, job] {
        job->deleteLater();
        if (job->error() == AurexJob::NoError) {
            m_session->setCurrentUser(job->value().at(0));
            m_session->setDisplayName(job->value().at(1));
        } else {
            qCWarning(lcTaskPane) << "the platform gave no user information:"
                                  << job->errorString();
        }
        m_mainWindow->DocumentActivatedSlot();
    });
    job->start();
}
