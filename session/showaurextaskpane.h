#pragma once

#include "workingcopy/offlineplatform.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class AurexJob;
class EventSubscription;
class AurexPlatform;
class WorkingCopy;

// The session: who is signed in, the tenant, whether the user works offline and so which
// platform to ask, the proxy captured for the connector, the model the launcher asked to open,
// and the container the host docked for the task pane. The module's one session is made where
// the module is wired together (instance()) and kept until the process ends; dialogs, the pane
// and the module's services are handed it. It alone changes the sign-in state and says so by
// its signals. Main thread only (signedIn() alone may be read from any thread).
class ShowAurexTaskPane : public QObject
{
    Q_OBJECT

public:
    struct ProxySettings
    {
        QString host;
        int port = 0;
        QString user;
        QString password; // a credential: handed to the connector only
        bool captured = false;
    };

    // The module's session, over the connector; made on first use, where the module is wired
    // together.
    static ShowAurexTaskPane *instance();
    // A session whose platform, while online, is online (which outlives it).
    explicit ShowAurexTaskPane(AurexPlatform *online, QObject *parent = nullptr);

    bool isSignedIn() const { return m_signedIn; }
    // The platform to ask: the online one, or, while the user works offline, the platform as
    // this computer knows it for the session's tenant. Valid as long as the session.
    AurexPlatform *platform();
    // The platform over the network, whether the user works offline or not: for asking
    // whether it answers again, and for signing in.
    AurexPlatform *onlinePlatform() const { return m_online; }

    QString currentUser() const { return m_currentUser; }
    void setCurrentUser(const QString &login) { m_currentUser = login; }
    QString displayName() const { return m_displayName; }
    void setDisplayName(const QString &name) { m_displayName = name; }

    // The one owner of the signed-in state and the tenant. Every successful sign-in, by the
    // launcher's cookie or by password, starts a session for the tenant it signed in to; signing
    // out and an expired session end it. Workers take the tenant with them when they start:
    // tenant() is read on the main thread only.
    void startSession(const QString &tenant);
    void endSession();
    QString tenant() const;
    // Why nobody is signed in, for the page the pane shows then ("" for nothing to say): the
    // platform refused the launcher's sign-in, or could not be reached. A session clears it.
    void setSignInNotice(const QString &notice) { m_signInNotice = notice; }
    QString signInNotice() const { return m_signInNotice; }
    // The file database of the tenant signed in to last, as a service; never null.
    WorkingCopy *workingCopy() const { return m_workingCopy; }
    // What colleagues do to the files of the user's spaces, heard while signed in and online.
    EventSubscription *events() const { return m_events; }

    // Working offline: nothing asks the platform, the pane shows what was last known and saves
    // wait in the outbox until the user goes online again. Per tenant, and kept across restarts
    // (a file beside the tenant's file database, which also keeps who the user is), so a
    // session started while offline starts offline, with that user. Signing out ends it. Main
    // thread.
    bool isOffline() const { return m_offline; }
    void setOffline(bool offline);
    // Whether the tenant was left working offline: a session may then start without the
    // platform.
    static bool wasLeftOffline(const QString &tenant);
    // For a session started offline without the platform: how going online signs in first
    // (blocking: it runs as a job, and the session goes online when it has returned true; it
    // stays offline and says so when it returns false). Cleared when the session ends.
    void setPlatformSignIn(std::function<bool()> signIn) { m_platformSignIn = std::move(signIn); }

    ProxySettings proxySettings() const { return m_proxy; }
    void setProxySettings(const ProxySettings &proxy) { m_proxy = proxy; }

    QString launcherModelPath() const { return m_launcherModelPath; }
    void setLauncherModelPath(const QString &path) { m_launcherModelPath = path; }
    bool isLauncherOpenPending() const { return m_launcherOpenPending; }
    void setLauncherOpenPending(bool pending) { m_launcherOpenPending = pending; }

    // How the file lists order their items, the pane's and the open dialog's alike: the order
    // last chosen in either (SortingActions::SortOrder), 0 until one is.
    int sortOrder() const { return m_sortOrder; }
    void setSortOrder(int order) { m_sortOrder = order; }

    // Shows the task pane for the current sign-in state: the file lists when signed in, the
    // sign-in page when not. The task pane listens to taskPaneRefreshRequested().
    void refreshTaskPane();
    // The active drawing, or the set of files it uses, may have changed (another drawing became
    // active, a command attached or saved a file, a save reached the platform): the pane lists
    // them again.
    void activeFilesChanged();

signals:
    void DocumentActivatedSignal();
    void taskPaneRefreshRequested();
    // A session started (true) or ended (false).
    void signedInChanged(bool signedIn);
    // The platform ended the session (it refused the session's token). Emitted on the main
    // thread, once per session, after the session has ended.
    void sessionExpired();
    // The user went offline or online again.
    void offlineChanged(bool offline);

private:
    void applyOffline(bool offline);
    // Called by the connector, on any thread, when the platform refuses the token.
    void platformEndedSession();

    AurexPlatform *m_online;
    OfflinePlatform m_offlinePlatform;
    bool m_signedIn = false;
    QString m_currentUser;
    QString m_displayName;
    QString m_tenant;
    WorkingCopy *m_workingCopy; // a child, replaced when a session of another tenant starts
    EventSubscription *m_events; // a child
    bool m_offline = false;
    std::function<bool()> m_platformSignIn; // set while the platform has not confirmed the session
    QPointer<AurexJob> m_goingOnline;        // signs in before going online
    ProxySettings m_proxy;
    QString m_launcherModelPath;
    bool m_launcherOpenPending = false;
    int m_sortOrder = 0;
    QString m_signInNotice;
};
