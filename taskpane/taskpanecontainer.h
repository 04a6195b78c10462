#pragma once

#include <QObject>
#include <QPointer>

class AurexMainWindow;
class ShowAurexTaskPane;
class WebViewAurexPlatform;
class QDialog;
class QHBoxLayout;
class QSplitter;
class QWidget;

// The content of the container that the host docks as "AUREX Platform Connection": the sign-in
// page while nobody is signed in, the task pane's window once someone is. Made once when the
// host creates the pane; answers the session's task-pane refresh (start-up, sign-in, sign-out)
// and routes the session's DocumentActivatedSignal to the window. A child of the container;
// main thread only.
class TaskPaneContainer : public QObject
{
    Q_OBJECT

public:
    // Fills the container and connects the session's signals. The session and signIn (what the
    // page's and the user menu's "Log in" open) outlive the pane.
    TaskPaneContainer(QWidget *container, ShowAurexTaskPane *session, QDialog *signIn);

    AurexMainWindow *mainWindow() const { return m_mainWindow; }
    QWidget *webView() const;
    // Null until someone signed in for the first time.
    QSplitter *splitter() const { return m_splitter; }

public slots:
    // Shows the window when signed in (fetching the user's names on the first sign-in), the
    // sign-in page when not.
    void refresh();

private:
    // Asks the platform who the user is, then lists the active drawing's files.
    void fetchUserInfo();

    QWidget *m_container;
    ShowAurexTaskPane *m_session;
    WebViewAurexPlatform *m_webView;
    AurexMainWindow *m_mainWindow;
    QHBoxLayout *m_layout;
    QSplitter *m_splitter = nullptr;
};
