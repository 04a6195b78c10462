#pragma once

#include <QDialog>
#include <QString>

class AurexPlatform;
class DialogJobs;
class ShowAurexTaskPane;

namespace Ui {
class CSLoginDialog;
}

// The sign-in dialog: user name and password, checked and then signed in through the connector.
// One instance for the module's lifetime, created on first use without parent; shown modally by
// the sign-in commands and without blocking by the task pane's sign-in page. Main thread only.
class CSLoginDialog : public QDialog
{
    Q_OBJECT

public:
    static CSLoginDialog *instance();
    ~CSLoginDialog() override;

    // Empties both fields and unticks the remember box, unless the user asked to be remembered.
    void clearFields();
    // Announces the session's sign-in state as it stands (at start-up).
    void announceSignInState();
    // A sign-in waits for the platform.
    bool isBusy() const;

signals:
    void LogInSuccessful(bool isLogin);

public slots:
    void OnLogInClick();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    explicit CSLoginDialog(ShowAurexTaskPane *session);
    static void showError(const QString &message);
    void signInFailed(const QString &message);

    Ui::CSLoginDialog *m_ui;
    AurexPlatform *m_platform;
    ShowAurexTaskPane *m_session;
    QString m_userName;
    QString m_password; // a credential: handed to the connector only
    bool m_remember = false;
    bool m_announced = false; // the session announced a change during the current attempt
    DialogJobs *m_jobs;
};
