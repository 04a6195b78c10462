#pragma once

#include <QObject>

// The sign-in controller: toggles between signed in and signed out for the sign-in/sign-out
// command, and keeps the File menu's sign-in entry in step with the sign-in dialog's outcome.
// One instance, created on first use; main thread only.
class LoggingController : public QObject
{
    Q_OBJECT

public:
    static LoggingController *instance();

    // Signed in: signs out (the task pane then shows the sign-in page) and returns false.
    // Signed out: shows the welcome box when no server is configured (returns false), else runs
    // the sign-in dialog and returns whether it signed the user in.
    bool toggleSignIn();

public slots:
    void setMainMenuText(bool isLogin);

private:
    LoggingController() = default;
};
