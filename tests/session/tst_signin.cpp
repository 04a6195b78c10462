// Signing in against a real platform: with the launcher's cookie and with the sign-in dialog;
// the session's end when the platform no longer knows it.

#include "connector/connectorplatform.h"
#include "hostenvironment.h"
#include "platformprocess.h"
#include "testhome.h"

#include "session/cslogindialog.h"
#include "session/launcherparams.h"
#include "session/launchersignin.h"
#include "session/loggingcontroller.h"
#include "session/passwordsignin.h"
#include "session/proxycapture.h"
#include "session/showaurextaskpane.h"
#include "session/signedin.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <cfxsystemservices.h>
#include <hostdocumentmanager.h>
#include <lintraaurexconnectorwrapper.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QPushButton>
#include <QtTest>

#include <thread>

namespace {

// Everything the process prints through Qt's message handler while a test runs.
QStringList g_messages;
void captureMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_messages.append(message);
}

// The host's services, with what the module writes on the command line kept for the test.
class CommandLineRecorder : public CFxSystemServices
{
public:
    CommandLineRecorder() : m_host(GetFxSystemServices()) { SetFxSystemServices(this); }
    ~CommandLineRecorder() override { SetFxSystemServices(m_host); }

    CFxDocumentManager *GetDocumentManager() override { return m_host->GetDocumentManager(); }
    CFxDockingPaneManager *GetDockingPaneManager() override
    {
        return m_host->GetDockingPaneManager();
    }
    CFxUiCustomizationManager *GetUiCustomizationManager() override
    {
        return m_host->GetUiCustomizationManager();
    }
    OdDbHostAppServices *GetHostAppServices() override { return m_host->GetHostAppServices(); }
    int GetUILanguage() const override { return m_host->GetUILanguage(); }
    QWidget *GetMainWindow() override { return m_host->GetMainWindow(); }
    void WriteMessage(const CFxString &text) override { lines << text.toQString(); }

    QStringList lines;

private:
    CFxSystemServices *m_host;
};

} // namespace

class TestSignIn : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QDir::setCurrent(m_home.path()); // no developer server file here
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
        QCOMPARE(m_platform.run({ "tenant", "add", "north" }).exitCode, 0);
        qInstallMessageHandler(captureMessage);
    }

    void cleanupTestCase() { qInstallMessageHandler(nullptr); }

    void init()
    {
        ShowAurexTaskPane::instance()->endSession();
        g_messages.clear();
    }

    void proxyIsCapturedOncePerModuleLifetime()
    {
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, "proxy.example", 3128, "puser", "ppass"));
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        ShowAurexTaskPane::ProxySettings first = captureProxySettings(session);
        QCOMPARE(first.host, QString("proxy.example"));
        QCOMPARE(first.port, 3128);
        QVERIFY(first.captured);
        QCOMPARE(QNetworkProxy::applicationProxy().type(), QNetworkProxy::NoProxy);

        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "other", 1));
        QCOMPARE(captureProxySettings(session).host, QString("proxy.example"));
        QCOMPARE(QNetworkProxy::applicationProxy().hostName(), QString("other"));
        // Back to what the rest of the tests reach the platform with: nobody in between.
        ShowAurexTaskPane::ProxySettings direct;
        direct.captured = true;
        session->setProxySettings(direct);
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }

    void launcherCookieSignsIn()
    {
        writeLauncherFiles({ "--tenant", "north" });
        QVERIFY(signInFromLauncher(*ConnectorPlatform::shared(), ShowAurexTaskPane::instance()));
        QVERIFY(signedIn());
        QCOMPARE(ShowAurexTaskPane::instance()->tenant(), QString("north"));
        QVERIFY2(!g_messages.isEmpty(), "the sign-in printed nothing to search");
        verifyNoCredentialLogged(launcherCookie());
    }

    void launcherModelOpensOnlyWhenItArrived_data()
    {
        QTest::addColumn<bool>("known");
        QTest::newRow("model on the platform") << true;
        QTest::newRow("model that does not exist") << false;
    }

    void launcherModelOpensOnlyWhenItArrived()
    {
        QFETCH(bool, known);
        const QString model =
            known ? m_platform.demoObjectId("bridge.dwg") : QString("NOSUCHMODEL");
        writeLauncherFiles({ "--model", model });
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        QVERIFY(signInFromLauncher(*ConnectorPlatform::shared(), session));
        session->setLauncherOpenPending(false);
        session->setLauncherModelPath(QString());
        m_commandLine.lines.clear();
        openLauncherModel(*ConnectorPlatform::shared(), session);
        // The download is a job: the host opens the model, or hears why not, once it ends.
        QTRY_VERIFY_WITH_TIMEOUT(m_host.documents()->GetCurrentDocument()
                                     || !m_commandLine.lines.isEmpty(),
                                 30000);
        // A pending open closes the next other drawing: it must not stand without a model.
        QCOMPARE(session->isLauncherOpenPending(), known);
        if (known) {
            QCOMPARE(QFileInfo(session->launcherModelPath()).fileName(), QString("bridge.dwg"));
            CFxDocument *opened = m_host.documents()->GetCurrentDocument();
            QVERIFY(opened);
            QCOMPARE(QFileInfo(opened->GetPathName().toQString()),
                     QFileInfo(session->launcherModelPath()));
            QVERIFY(m_commandLine.lines.isEmpty());
            m_host.documents()->closeAll();
        } else {
            QCOMPARE(m_commandLine.lines.size(), 1);
            QVERIFY(m_commandLine.lines.first().contains("NOSUCHMODEL"));
        }
        session->setLauncherOpenPending(false);
    }

    void cookieThatIsNoLongerValidLeavesTheUserSignedOut_data()
    {
        QTest::addColumn<QString>("cookie");
        QTest::newRow("expired") << "expired";
        QTest::newRow("never issued") << "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
    }

    void cookieThatIsNoLongerValidLeavesTheUserSignedOut()
    {
        QFETCH(QString, cookie);
        if (cookie == "expired") {
            writeLauncherFiles({ "--ttl", "1" });
            QTest::qWait(1500);
        } else {
            writeLauncherFiles({});
            QString params = readFile(launcherParamsPath());
            params.replace(launcherCookie(), cookie);
            QVERIFY(m_home.writeLauncherParams(params.toUtf8()));
        }
        ShowAurexTaskPane::instance()->startSession(QString());
        QVERIFY(!signInFromLauncher(*ConnectorPlatform::shared(), ShowAurexTaskPane::instance()));
        QVERIFY(!signedIn());
    }

    void platformEndingTheSessionSignsOutOnce()
    {
        PlatformProcess::Options options;
        options.demo = true;
        options.serveArguments = QStringList { "--session-ttl", "1" };
        PlatformProcess shortLived(options);
        QString error;
        QVERIFY2(shortLived.start(&error), qPrintable(error));
        QCOMPARE(shortLived.run({ "tenant", "add", "north" }).exitCode, 0);
        QVERIFY(shortLived.writeLauncherFiles("alice", m_home.environment(), { "--tenant", "north" }));
        LoggingController::instance();
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        QSignalSpy captions(CSLoginDialog::instance(), &CSLoginDialog::LogInSuccessful);
        QSignalSpy refreshed(session, &ShowAurexTaskPane::taskPaneRefreshRequested);
        QVERIFY2(signInWithPassword(*ConnectorPlatform::shared(), session, "alice",
                                    "alice-demo-pw", &error),
                 qPrintable(error));
        QCOMPARE(session->tenant(), QString("north"));

        QTest::qWait(2000);
        m_commandLine.lines.clear();
        // Noticed first on a worker, then again on the main thread: one sign-out, one message.
        std::thread worker([] { LintraAurexConnectorWrapper::GetInstance()->Search(); });
        worker.join();
        LintraAurexConnectorWrapper::GetInstance()->Search();
        QTRY_VERIFY(!signedIn());
        QCoreApplication::processEvents();
        QCOMPARE(session->tenant(), QString());
        QCOMPARE(m_commandLine.lines.size(), 1);
        QVERIFY(m_commandLine.lines.first().contains("session has ended"));
        QCOMPARE(captions.count(), 1);
        QCOMPARE(captions.first().first().toBool(), false);
        QCOMPARE(refreshed.count(), 1);
    }

    void noCookieOrServerMeansNoAttempt()
    {
        QVERIFY(m_home.writeLauncherParams("<r><Params ServerUrl=\"\" CasCookie=\"x\"/></r>"));
        ShowAurexTaskPane::instance()->startSession(QString());
        QVERIFY(!signInFromLauncher(*ConnectorPlatform::shared(), ShowAurexTaskPane::instance()));
        QVERIFY2(signedIn(), "the state is left as it was");
    }

    void dialogSignsInWithThePassword()
    {
        writeLauncherFiles({});
        CSLoginDialog *dialog = CSLoginDialog::instance();
        QSignalSpy announced(dialog, &CSLoginDialog::LogInSuccessful);
        fill("alice", "alice-demo-pw", false);
        pressLogIn();
        QVERIFY(signedIn());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(announced.count(), 1);
        QCOMPARE(announced.at(0).at(0).toBool(), true);
        QVERIFY(errorBoxes().isEmpty());
        QVERIFY2(!g_messages.isEmpty(), "the sign-in printed nothing to search");
        verifyNoCredentialLogged("alice-demo-pw");
    }

    void developerServerFileNamesTheServer_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("signsIn");
        QTest::newRow("names this platform") << QByteArray("<v4all><server><url>\n  HOST  \n</url></server></v4all>") << true;
        QTest::newRow("does not parse") << QByteArray("<v4all><url>HOST</v4all>") << false;
    }

    void developerServerFileNamesTheServer()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, signsIn);
        QVERIFY(m_home.writeLauncherParams(QByteArray())); // the developer file wins anyway
        QVERIFY(m_home.write("v4all.xml", content.replace("HOST", m_platform.serverHost().toUtf8())));
        fill("alice", "alice-demo-pw", false);
        pressLogIn();
        QVERIFY(m_home.write("v4all.xml", QByteArray()));
        QCOMPARE(signedIn(), signsIn);
        // The developer server has no tenant: the one of an earlier session is gone.
        QCOMPARE(ShowAurexTaskPane::instance()->tenant(), QString());
        const QList<QMessageBox *> boxes = errorBoxes();
        QCOMPARE(boxes.size(), signsIn ? 0 : 1);
        if (!signsIn)
            QCOMPARE(boxes.first()->text(), QString("Invalid server or server not available"));
        qDeleteAll(boxes);
    }

    void dialogSaysWhatIsWrong_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("launcher"); // empty: written by the platform
        QTest::addColumn<QString>("message");
        QTest::newRow("both empty") << "" << "" << QByteArray() << "Credentials should not be empty.";
        QTest::newRow("user empty") << "" << "pw" << QByteArray() << "Username is a required field.";
        QTest::newRow("password empty") << "alice" << "" << QByteArray() << "Password is a required field.";
        QTest::newRow("wrong password") << "alice" << "not-her-password" << QByteArray()
                                        << "Authentication failed! Your username and/or your password are incorrect";
        QTest::newRow("no sign-in address")
            << "alice" << "alice-demo-pw" << QByteArray("<r><Params ServerUrl=\"SERVER\"/></r>")
            << "Invalid server or server not available";
        QTest::newRow("no launcher file") << "alice" << "alice-demo-pw" << QByteArray("-")
                                          << "Invalid server or server not available";
        // Nothing listens on port 1.
        QTest::newRow("platform out of reach")
            << "alice" << "alice-demo-pw"
            << QByteArray("<r><Params ServerUrl=\"http://127.0.0.1:1/vaultis\"/>"
                          "<Eenvironment TMURMLYER_CAS_URL=\"http://127.0.0.1:1/cas\"/></r>")
            << "The AUREX Platform cannot be reached: Connection refused.";
    }

    void dialogSaysWhatIsWrong()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QByteArray, launcher);
        QFETCH(QString, message);
        if (launcher.isEmpty())
            writeLauncherFiles({});
        else if (launcher == "-")
            QVERIFY(m_home.writeLauncherParams(QByteArray()));
        else
            QVERIFY(m_home.writeLauncherParams(launcher.replace("SERVER", m_platform.serverUrl().toUtf8())));

        fill(user, password, false);
        pressLogIn();
        QVERIFY(!signedIn());
        const QList<QMessageBox *> boxes = errorBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first()->windowTitle(), QString("Error"));
        QCOMPARE(boxes.first()->text(), message);
        QVERIFY(boxes.first()->windowFlags() & Qt::WindowStaysOnTopHint);
        boxes.first()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        verifyNoCredentialLogged(password);
    }

    void failedAttemptClearsFieldsUnlessRemembered_data()
    {
        QTest::addColumn<bool>("remember");
        QTest::newRow("remembered") << true;
        QTest::newRow("not remembered") << false;
    }

    void failedAttemptClearsFieldsUnlessRemembered()
    {
        QFETCH(bool, remember);
        writeLauncherFiles({});
        fill("alice", "wrong", remember);
        CSLoginDialog *dialog = CSLoginDialog::instance();
        pressLogIn();
        for (QMessageBox *box : errorBoxes())
            delete box;
        QCOMPARE(dialog->findChild<QLineEdit *>("UserLineEdit")->text(), remember ? QString("alice") : QString());
        QCOMPARE(dialog->findChild<QLineEdit *>("PasswordLineEdit")->text(), remember ? QString("wrong") : QString());
        QCOMPARE(dialog->findChild<QCheckBox *>("RememberCheckBox")->isChecked(), remember);
        // Signing out clears the same way.
        dialog->clearFields();
        QCOMPARE(dialog->findChild<QLineEdit *>("UserLineEdit")->text(), remember ? QString("alice") : QString());
        fill("", "", false);
        pressLogIn();
        for (QMessageBox *box : errorBoxes())
            delete box;
    }

private:
    // Presses "Log in" and waits for the platform's answer.
    static void pressLogIn()
    {
        CSLoginDialog *dialog = CSLoginDialog::instance();
        QTest::mouseClick(dialog->findChild<QPushButton *>("LoginPushButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isBusy(), 30000);
    }

    void writeLauncherFiles(const QStringList &extra)
    {
        QVERIFY(m_platform.writeLauncherFiles("alice", m_home.environment(),
                                              QStringList { "--cas-url", m_platform.casUrl() } + extra));
    }

    QString launcherCookie() const
    {
        return readLauncherParams().casCookie;
    }

    static QString readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    static void fill(const QString &user, const QString &password, bool remember)
    {
        CSLoginDialog *dialog = CSLoginDialog::instance();
        dialog->findChild<QLineEdit *>("UserLineEdit")->setText(user);
        dialog->findChild<QLineEdit *>("PasswordLineEdit")->setText(password);
        dialog->findChild<QCheckBox *>("RememberCheckBox")->setChecked(remember);
    }

    static QList<QMessageBox *> errorBoxes()
    {
        QList<QMessageBox *> boxes;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (box && box->isVisible())
                boxes.append(box);
        }
        return boxes;
    }

    static void verifyNoCredentialLogged(const QString &credential)
    {
        if (credential.isEmpty())
            return;
        for (const QString &message : g_messages)
            QVERIFY2(!message.contains(credential), qPrintable("credential in: " + message));
    }

    TestHome m_home;
    PlatformProcess m_platform { PlatformProcess::Options { true, {}, {} } };
    HostEnvironment m_host; // the host that opens the launcher's model
    CommandLineRecorder m_commandLine;
};

QTEST_MAIN(TestSignIn)
#include "tst_signin.moc"
