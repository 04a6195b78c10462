#include "cslogindialog.h"
#include "ui_cslogindialog.h"

#include "passwordsignin.h"
#include "showaurextaskpane.h"

#include "connector/aurexplatform.h"
#include "support/calljob.h"
#include "support/dialogjobs.h"
#include "support/hostaccess.h"
#include "support/keyboardaccess.h"

#include <QMessageBox>
#include <QPainter>

CSLoginDialog *CSLoginDialog::instance()
{
    // Never destroyed while the module is loaded: what the user typed stays until the host ends.
    static CSLoginDialog *dialog = new CSLoginDialog(ShowAurexTaskPane::instance());
    return dialog;
}

CSLoginDialog::CSLoginDialog(ShowAurexTaskPane *session)
    : QDialog(nullptr)
    , m_ui(new Ui::CSLoginDialog)
    , m_platform(session->onlinePlatform())
    , m_session(session)
    , m_jobs(new DialogJobs(this))
{
    m_ui->setupUi(this);
    KeyboardAccess::install(this);
    // The platform has no pages of its own for accounts: its administrator makes them.
    m_ui->ForgottenLabel->setText(
        m_ui->ForgottenLabel->text()
        + tr("Your AUREX Platform administrator can tell you your login ID and set a new "
             "password."));
    // As large as the fields need at the user's font size, never smaller than drawn.
    const QSize drawn = size();
    adjustSize();
    resize(size().expandedTo(drawn));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->LoginPushButton, &QPushButton::clicked, this, &CSLoginDialog::OnLogInClick);
    // Every start and end of a session, from here or elsewhere, reaches the menu through the
    // dialog's signal.
    connect(session, &ShowAurexTaskPane::signedInChanged, this, [this](bool isLogin) {
        m_announced = true;
        emit LogInSuccessful(isLogin);
    });
}

CSLoginDialog::~CSLoginDialog()
{
    delete m_ui;
}

void CSLoginDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The background as large as the dialog, which grows with the user's font size.
    painter.drawPixmap(rect(),
                       QPixmap(QStringLiteral(":/embedded/UI/Resources/AurexNLoginBackground.png")));
    painter.drawPixmap(QRect(0, 21, 256, 256),
                       QPixmap(QStringLiteral(":/embedded/UI/Resources/AurexLoginCompass.png")));
}

void CSLoginDialog::clearFields()
{
    if (m_remember)
        return;
    m_ui->UserLineEdit->clear();
    m_ui->PasswordLineEdit->clear();
    m_ui->RememberCheckBox->setChecked(false);
}

void CSLoginDialog::announceSignInState()
{
    emit LogInSuccessful(m_session->isSignedIn());
}

void CSLoginDialog::OnLogInClick()
{
    if (m_jobs->isBusy())
        return;
    m_userName = m_ui->UserLineEdit->text();
    m_password = m_ui->PasswordLineEdit->text();
    m_remember = m_ui->RememberCheckBox->isChecked();
    m_announced = false;

    SignInTarget target;
    QString message;
    if (!prepareSignIn(*m_platform, m_session, m_userName, m_password, &target, &message)) {
        signInFailed(message);
        return;
    }
    // The platform's answer comes in a job under the please-wait box, which Cancel ends.
    AurexPlatform *platform = m_platform;
    auto *job = new CallJob([platform, user = m_userName, password = m_password,
                             target](JobControl &) {
        return passwordSignInCall(*platform, user, password, target);
    });
    m_jobs->run(job, [this, job, target] {
        const QString failure = job->error() == AurexJob::NoError ? QString() : job->errorString();
        finishSignIn(m_session, target, failure);
        if (!failure.isEmpty()) {
            signInFailed(failure);
            return;
        }
        close();
        HostAccess::writeToCommandLine(
            tr("Signed in to the AUREX Platform as %1.").arg(m_userName));
        m_session->refreshTaskPane();
        // A modal run ends accepted: exec() reads the result once this has returned.
        setResult(QDialog::Accepted);
    });
}

bool CSLoginDialog::isBusy() const
{
    return m_jobs->isBusy();
}

void CSLoginDialog::signInFailed(const QString &message)
{
    showError(message);
    if (!m_remember)
        clearFields();
    setResult(QDialog::Rejected);
    // A failed attempt leaves the user signed out; said once, whether or not a session ended.
    if (!m_announced)
        emit LogInSuccessful(false);
}

void CSLoginDialog::showError(const QString &message)
{
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Error"), message, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowFlags(Qt::WindowStaysOnTopHint);
    box->show();
}
