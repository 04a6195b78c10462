#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class AurexJob;
class AurexPlatform;
class CSLoginDialog;
class ShowAurexTaskPane;

// The sign-in controller: toggles between signed in and signed out for the sign-in/sign-out
// command, keeps the File menu's sign-in entry in step with the sign-in dialog's outcome, and
// takes the module to the signed-out state when the platform ends the session. One instance,
// created on first use where the module is wired together, over the module's session and
// sign-in dialog, which it hands on to the commands and the task pane; main thread only.
class LoggingController : public QObject
{
    Q_OBJECT

public:
    static LoggingController *instance();

    ShowAurexTaskPane *session() const { return m_session; }
    CSLoginDialog *signInDialog() const { return m_dialog; }

    // Signed in: signs out as the user asked (signOutAsked). Signed out: shows the welcome box
    // when no server is configured, else runs the sign-in dialog. The session tells how it
    // ended.
    void toggleSignIn();
    // The user asks to sign out. Locks the user holds on files of this computer are listed
    // first, with the choice to release them, keep them, or stay signed in. The platform is
    // asked in jobs under the "Please wait" box; signing out follows their answers.
    void signOutAsked();
    // A sign-out waits for the platform.
    bool isBusy() const { return m_busy; }
    // Ends the session, shows the task pane's sign-in page, clears the sign-in dialog (unless the
    // user asked to be remembered) and sets the menu and ribbon captions to signing in. Signing
    // out tells the platform nothing: the next sign-in sets the connector up again.
    void signOut();

public slots:
    void setMainMenuText(bool isLogin);

private:
    LoggingController(ShowAurexTaskPane *session, CSLoginDialog *dialog);
    // The platform refused the session: signed out, and the user is told once.
    void sessionExpired();

    // The files known here that the user holds locks on: titles, and names that release them.
    struct HeldLocks {
        QStringList titles;
        QStringList names;
    };
    // Runs a job of the sign-out under the "Please wait" box; done follows unless cancelled.
    void runBusy(AurexJob *job, std::function<void()> done);
    void askAboutLocks(const HeldLocks &held);
    // Signs out and says so on the command line.
    void signedOutAsAsked();

    ShowAurexTaskPane *m_session; // outlives the controller, as do the dialog and platform
    CSLoginDialog *m_dialog;
    AurexPlatform *m_platform;
    bool m_busy = false;
};
