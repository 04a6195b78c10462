#include "cslogindialog.h"
#include "ui_cslogindialog.h"

#include "launcherparams.h"
#include "loggingcontroller.h"
#include "proxycapture.h"
#include "sessionconstants.h"
#include "sessionlogging.h"
#include "showaurextaskpane.h"
#include "signedin.h"

#include <lintraaurexconnectorwrapper.h>

#include <QApplication>
#include <QDomDocument>
#include <QFile>
#include <QMessageBox>
#include <QPainter>

namespace {

struct SignInTarget
{
    QString serverHost;
    QString tenant;
    QString casUrl;
};

// The developer server file wins over the launcher: its "url" names the server as written,
// with the platform's own identity service and no tenant. A file that does not parse names no
// server.
bool readDeveloperServer(SignInTarget *target)
{
    QFile file(QString::fromLatin1(kDeveloperServerFileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDomDocument document;
    if (document.setContent(file.readAll())) {
        const QDomElement url = document
                                    .elementsByTagName(QString::fromLatin1(kDeveloperServerUrlElement))
                                    .item(0)
                                    .toElement();
        target->serverHost = url.firstChild().nodeValue().trimmed();
    }
    target->tenant.clear();
    target->casUrl = QString::fromLatin1(kDeveloperIdentityServiceAddress);
    return true;
}

SignInTarget signInTarget()
{
    SignInTarget target;
    if (readDeveloperServer(&target))
        return target;
    const LauncherParams params = readLauncherParams(ShowAurexTaskPane::instance());
    target.serverHost = serverHostFromUrl(params.serverUrl);
    target.tenant = params.tenant;
    target.casUrl = params.casUrl;
    return target;
}

} // namespace

CSLoginDialog *CSLoginDialog::instance()
{
    // Never destroyed while the module is loaded: what the user typed stays until the host ends.
    static CSLoginDialog *dialog = [] {
        auto *created = new CSLoginDialog;
        QObject::connect(created, &CSLoginDialog::LogInSuccessful, LoggingController::instance(),
                         &LoggingController::setMainMenuText);
        return created;
    }();
    return dialog;
}

CSLoginDialog::CSLoginDialog()
    : QDialog(nullptr)
    , m_ui(new Ui::CSLoginDialog)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->LoginPushButton, &QPushButton::clicked, this, &CSLoginDialog::OnLogInClick);
}

CSLoginDialog::~CSLoginDialog()
{
    delete m_ui;
}

void CSLoginDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(QRect(0, 0, 1020, 689),
                       QPixmap(QStringLiteral(":/embedded/UI/Resources/AurexWLoginBackground.png")));
    painter.drawPixmap(QRect(0, 0, 529, 279),
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

void CSLoginDialog::emitLogInSuccessful(bool isLogin)
{
    emit LogInSuccessful(isLogin);
}

void CSLoginDialog::OnLogInClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setEnabled(false);
    m_userName = m_ui->UserLineEdit->text();
    m_password = m_ui->PasswordLineEdit->text();
    m_remember = m_ui->RememberCheckBox->isChecked();

    if (!signIn()) {
        if (!m_remember)
            clearFields();
        setResult(QDialog::Rejected);
        setEnabled(true);
        QApplication::restoreOverrideCursor();
        emit LogInSuccessful(false);
        return;
    }
    close();
    setSignedIn(true);
    emit LogInSuccessful(true);
    ShowAurexTaskPane::instance()->refreshTaskPane();
    // A modal run ends accepted: exec() reads the result once this slot has returned.
    setResult(QDialog::Accepted);
    QApplication::restoreOverrideCursor();
    setEnabled(true);
}

bool CSLoginDialog::signIn()
{
    QString message;
    if (m_userName.isEmpty() && m_password.isEmpty())
        message = tr("Credentials should not be empty.");
    else if (m_userName.isEmpty())
        message = tr("Username is a required field.");
    else if (m_password.isEmpty())
        message = tr("Password is a required field.");

    if (message.isEmpty()) {
        LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
        const ShowAurexTaskPane::ProxySettings proxy =
            captureProxySettings(ShowAurexTaskPane::instance());
        connector->SetProxySettings(proxy.host, proxy.port, proxy.user, proxy.password);
        const SignInTarget target = signInTarget();
        connector->SetTenant(target.tenant);
        connector->SetServer(target.serverHost);
        setCursor(Qt::WaitCursor);
        const bool reachable = !target.serverHost.isEmpty() && !target.casUrl.isEmpty();
        bool signedIn = false;
        if (reachable)
            signedIn = connector->LxGatepassLogin(m_userName, m_password, target.serverHost,
                                                  QString(), target.casUrl);
        if (!signedIn)
            message = tr("Authentication failed! Your username and/or your password are incorrect");
        if (!reachable)
            message = tr("Invalid server or server not available");
        qCDebug(lcSession) << "password sign-in to" << target.serverHost
                           << (signedIn ? "succeeded" : "failed");
        setCursor(Qt::ArrowCursor);
    }
    if (message.isEmpty())
        return true;
    showError(message);
    return false;
}

void CSLoginDialog::showError(const QString &message)
{
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Error"), message, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowFlags(Qt::WindowStaysOnTopHint);
    box->show();
}
