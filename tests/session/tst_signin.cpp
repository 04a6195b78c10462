// Signing in against a real platform: with the launcher's cookie (in this process and in a host
// the launcher starts) and with the sign-in dialog; the session's end when the platform no longer
// knows it, and signing out while holding locks.

#include "connector/connectorplatform.h"
#include "approvedstate.h"
#include "commandlinerecorder.h"
#include "hostenvironment.h"
#include "platformprobe.h"
#include "platformprocess.h"
#include "testhome.h"

#include "module/menubuilder.h"
#include "session/cslogindialog.h"
#include "session/launcherparams.h"
#include "session/launchersignin.h"
#include "session/loggingcontroller.h"
#include "session/passwordsignin.h"
#include "session/showaurextaskpane.h"
#include "session/signedin.h"
#include "support/aurexjob.h"
#include "support/hostaccess.h"
#include "support/hostuilookup.h"
#include "support/signincaption.h"
#include "support/supportconstants.h"
#include "workingcopy/filedatabase.h"

#include <cfxdocument.h>
#include <cfxuiribbonelement.h>
#include <hostdocumentmanager.h>
#include <lintraaurexconnectorwrapper.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <thread>

namespace {

// Everything the process prints through Qt's message handler while a test runs.
QStringList g_messages;
void captureMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_messages.append(message);
}

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
        // The module's menus and ribbon, whose sign-in button follows the session.
        MenuBuilder::buildAtViewCreation();
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(nullptr);
        // Every launcher sign-in's job went once it had answered.
        QCOMPARE(m_jobsLeft, 0);
    }

    void init()
    {
        ShowAurexTaskPane::instance()->endSession();
        g_messages.clear();
    }

    void launcherCookieSignsIn()
    {
        writeLauncherFiles({ "--tenant", "north" });
        QVERIFY(launcherSignIn());
        QVERIFY(signedIn());
        QCOMPARE(ShowAurexTaskPane::instance()->tenant(), QString("north"));
        QVERIFY2(!g_messages.isEmpty(), "the sign-in printed nothing to search");
        verifyNoCredentialLogged(readLauncherParams().casCookie);
    }

    // Left working offline, the host started while the platform is away goes on offline as
    // the user who went offline, says so, and goes online again once the platform is back.
    void leftOfflineGoesOnAsWhoWentOffline()
    {
        writeLauncherFiles({ "--tenant", "north" });
        QVERIFY(launcherSignIn());
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        // Who signed in, as the pane learns it from the platform.
        const QStringList who { "alice", "Alice Adams" };
        session->setCurrentUser(who.first());
        session->setDisplayName(who.last());
        session->setOffline(true);
        session->endSession(); // the host is closed

        m_platform.stop();
        const auto backOnFailure = qScopeGuard([this] {
            if (QTest::currentTestFailed())
                m_platform.restart();
        });
        m_commandLine.lines.clear();
        QVERIFY(launcherSignIn());
        QVERIFY(session->isOffline());
        QCOMPARE(QStringList({ session->currentUser(), session->displayName() }), who);
        QCOMPARE(m_commandLine.lines.filter("working offline as").size(), 1);
        QVERIFY2(m_commandLine.lines.filter("working offline as").first().endsWith(
                     "working offline as alice."),
                 qPrintable(m_commandLine.lines.join('\n')));

        QVERIFY(m_platform.restart());
        session->setOffline(false);
        QTRY_VERIFY_WITH_TIMEOUT(!session->isOffline(), 30000);
        QCOMPARE(session->currentUser(), QString("alice"));
    }

    // A developer's server file in the working folder wins over the launcher's address.
    void developerServerFileIsSignedInTo()
    {
        writeLauncherFiles({ "--server-url", "http://127.0.0.1:1/vaultis", "--cas-url",
                             "http://127.0.0.1:1/cas" });
        QVERIFY(m_home.write("v4all.xml", "<config><url> " + m_platform.serverHost().toUtf8()
                                              + " </url></config>"));
        const auto removeFile = qScopeGuard([this] { m_home.write("v4all.xml", QByteArray()); });
        QString error;
        QVERIFY2(signInWithPassword(*ConnectorPlatform::shared(), ShowAurexTaskPane::instance(),
                                    "alice", "alice-demo-pw", &error),
                 qPrintable(error));
        QVERIFY(signedIn());
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
        writeLauncherFiles(
            { "--model", known ? m_platform.demoObjectId("bridge.dwg") : "NOSUCHMODEL" });
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        QVERIFY(launcherSignIn());
        session->setLauncherOpenPending(false);
        session->setLauncherModelPath(QString());
        m_commandLine.lines.clear();
        openLauncherModel(*ConnectorPlatform::shared(), session);
        // The download is a job: the host opens the model, or hears why not, once it ends.
        QTRY_VERIFY_WITH_TIMEOUT(
            m_host.documents()->GetCurrentDocument() || !m_commandLine.lines.isEmpty(), 30000);
        // A pending open closes the next other drawing: it must not stand without a model.
        QCOMPARE(session->isLauncherOpenPending(), known);
        if (known) {
            CFxDocument *opened = m_host.documents()->GetCurrentDocument();
            QVERIFY(opened);
            const QFileInfo path(opened->GetPathName().toQString());
            QCOMPARE(path.fileName(), QString("bridge.dwg"));
            QCOMPARE(path, QFileInfo(session->launcherModelPath()));
            m_host.documents()->closeAll();
        }
        QCOMPARE(m_commandLine.lines.size(), known ? 0 : 1);
        QVERIFY(known || m_commandLine.lines.first().contains("NOSUCHMODEL"));
        session->setLauncherOpenPending(false);
    }

    // The host started as the launcher starts it: the module signs in silently and opens the
    // launcher's model from the temporary folder.
    void hostStartedByTheLauncherOpensTheModel()
    {
        TestHome home;
        const QString model = m_platform.demoObjectId("bridge.dwg");
        QVERIFY(m_platform.writeLauncherFiles("alice", home.environment(), { "--model", model }));
        // The model arrives while the host runs: the script waits for its drawing to show.
        // Then two new drawings: the first other drawing activated while the launcher's open
        // is pending is closed, as the host's start-up drawing would be; the next one stays.
        QVERIFY(home.write("wait.scr", "_UIWAIT DrawingView 30\n_NEW\n_NEW\n"));
        QProcess lintra;
        lintra.setProcessEnvironment(home.environment());
        lintra.start(LINTRA_BIN, { "--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                   "--script", home.filePath("wait.scr"), "--print-ui", "--exit" });
        QVERIFY(lintra.waitForFinished(60000));
        QCOMPARE(lintra.exitCode(), 0);
        const QJsonValue documents =
            QJsonDocument::fromJson(lintra.readAllStandardOutput())["documents"];
        QCOMPARE(documents.toArray().size(), 2);
        QCOMPARE(QFileInfo(documents[1].toString()).fileName(), QString("Drawing2.dwg"));
        const QString opened = documents[0].toString();
        QCOMPARE(QFileInfo(opened).fileName(), QString("bridge.dwg"));
        QVERIFY2(opened.startsWith(home.tempFolder()), qPrintable(opened));
        QVERIFY(QFileInfo(opened).size() > 0);
    }

    void launcherCookieNeverIssuedIsRefused()
    {
        QVERIFY(m_home.writeLauncherParams(
            "<r><Params ServerUrl=\"" + m_platform.serverUrl().toUtf8()
            + "\" CasCookie=\"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\"/><Eenvironment "
              "TMURMLYER_CAS_URL=\"" + m_platform.casUrl().toUtf8() + "\"/></r>"));
        ShowAurexTaskPane::instance()->startSession(QString());
        QVERIFY(!launcherSignIn());
        QVERIFY(!signedIn());
    }

    // Each start of a session looks for what stopped downloads left behind, on a job of its
    // own; done, the job goes, however often the user signs in and out.
    void sessionsLeaveNoFinishedJobBehind()
    {
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        for (int i = 0; i < 3; ++i) {
            session->startSession(QString());
            session->endSession();
        }
        QTRY_COMPARE(session->findChildren<AurexJob *>().size(), 0);
    }

    void platformEndingTheSessionSignsOutOnce()
    {
        PlatformProcess shortLived(PlatformProcess::Options { true, { "--session-ttl", "1" }, {} });
        QString error;
        QVERIFY2(shortLived.start(&error), qPrintable(error));
        QCOMPARE(shortLived.run({ "tenant", "add", "north" }).exitCode, 0);
        QVERIFY(shortLived.writeLauncherFiles("alice", m_home.environment(),
                                              { "--tenant", "north" }));
        LoggingController::instance();
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        QSignalSpy refreshed(session, &ShowAurexTaskPane::taskPaneRefreshRequested);
        QVERIFY2(signInWithPassword(*ConnectorPlatform::shared(), session, "alice",
                                    "alice-demo-pw", &error),
                 qPrintable(error));
        // Signing in set the menu to signing out; from here, the end of the session only.
        QSignalSpy captions(CSLoginDialog::instance(), &CSLoginDialog::LogInSuccessful);
        QCOMPARE(session->tenant(), QString("north"));

        // Whatever notices the end first (a request of the pane while the session runs out, or
        // the searches below): one sign-out, one message.
        m_commandLine.lines.clear();
        QTest::qWait(2000);
        // Noticed first on a worker, then again on the main thread.
        std::thread worker([] { LintraAurexConnectorWrapper::GetInstance()->Search(); });
        worker.join();
        LintraAurexConnectorWrapper::GetInstance()->Search();
        QTRY_VERIFY(!signedIn());
        QCoreApplication::processEvents();
        QCOMPARE(session->tenant(), QString());
        const QString ended = "Your AUREX Platform session has ended. Sign in again to continue.";
        QCOMPARE(m_commandLine.lines, QStringList { ended });
        QCOMPARE(QList<QVariantList>(captions), QList<QVariantList> { { false } });
        QCOMPARE(refreshed.count(), 1);
    }

    void dialogSignsInOrSaysWhatIsWrong_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("launcher"); // empty: written by the platform
        QTest::addColumn<bool>("remember"); // ticked: a failed attempt keeps the fields
        QTest::addColumn<QString>("message"); // of the error box, "" when signed in
        QTest::newRow("both empty") << "" << "" << QByteArray() << false
                                    << "Credentials should not be empty.";
        QTest::newRow("user empty") << "" << "pw" << QByteArray() << true
                                    << "Username is a required field.";
        QTest::newRow("password empty") << "alice" << "" << QByteArray() << false
                                        << "Password is a required field.";
        QTest::newRow("wrong password, remembered")
            << "alice" << "not-her-password" << QByteArray() << true
            << "Authentication failed! Your username and/or your password are incorrect";
        QTest::newRow("no launcher file") << "alice" << "alice-demo-pw" << QByteArray("-")
                                          << false << "Invalid server or server not available";
        // Nothing listens on port 1.
        QTest::newRow("platform out of reach")
            << "alice" << "alice-demo-pw"
            << QByteArray("<r><Params ServerUrl=\"http://127.0.0.1:1/vaultis\"/>"
                          "<Eenvironment TMURMLYER_CAS_URL=\"http://127.0.0.1:1/cas\"/></r>")
            << false << "The AUREX Platform cannot be reached: Connection refused.";
        // After all those errors, no box is left and the dialog shows what she typed.
        QTest::newRow("right password") << "alice" << "alice-demo-pw" << QByteArray() << true
                                        << "";
    }

    void dialogSignsInOrSaysWhatIsWrong()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QByteArray, launcher);
        QFETCH(bool, remember);
        QFETCH(QString, message);
        if (launcher.isEmpty())
            writeLauncherFiles({});
        else
            QVERIFY(m_home.writeLauncherParams(launcher == "-" ? QByteArray() : launcher));

        const bool success = message.isEmpty();
        CSLoginDialog *dialog = CSLoginDialog::instance();
        QSignalSpy announced(dialog, &CSLoginDialog::LogInSuccessful);
        fill(user, password, remember);
        QTest::mouseClick(dialog->findChild<QPushButton *>("LoginPushButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isBusy(), 30000); // the platform's answer
        QCOMPARE(signedIn(), success);
        QCOMPARE(dialog->result(), int(success ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(QList<QVariantList>(announced), QList<QVariantList> { { success } });
        QStringList shown; // title and text of each error box
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            shown << box->windowTitle() + ": " + box->text();
            const QString differences = ApprovedState().differences(
                box, QStringLiteral("error-box-") + QTest::currentDataTag());
            QVERIFY2(differences.isEmpty(), qPrintable(differences));
            // In front of everything, and nothing else answers until it is closed.
            QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
            QCOMPARE(box->windowModality(), Qt::ApplicationModal);
            box->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(shown, success ? QStringList() : QStringList { "Error: " + message });
        // A closed box goes; attempt after attempt, none piles up hidden.
        const QWidgetList left = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(left.begin(), left.end(), [](const QWidget *widget) {
            return qobject_cast<const QMessageBox *>(widget);
        }));
        QVERIFY2(!success || !g_messages.isEmpty(), "the sign-in printed nothing to search");
        verifyNoCredentialLogged(password);
        const QStringList kept = remember ? QStringList { user, password, "remembered" }
                                          : QStringList { "", "", "" };
        QCOMPARE(fields(), kept);
        // The dialog as the user sees it again after the attempt.
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QString differences = ApprovedState().differences(
            dialog, QStringLiteral("dialog-after-") + QTest::currentDataTag());
        dialog->hide();
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
        fill("", "", false);
    }

    void signingOutWithLocksAsksFirst_data()
    {
        QTest::addColumn<QStringList>("held");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("signsOut");
        QTest::addColumn<bool>("locksKept");
        // The button as scripts find it: by its name, or Cancel.
        QTest::newRow("one lock, cancelled")
            << QStringList { "piers.dxf" } << "Cancel"
            << "You hold the lock on one file on the AUREX Platform:" << false << true;
        QTest::newRow("two locks, released")
            << QStringList { "piers.dxf", "rebar.dxf" } << "ReleaseLocksButton"
            << "You hold locks on 2 files on the AUREX Platform:" << true << false;
        QTest::newRow("one lock, kept")
            << QStringList { "rebar.dxf" } << "KeepLocksButton"
            << "You hold the lock on one file on the AUREX Platform:" << true << true;
    }

    // alice has copies of deck.dwg (bob holds its lock), piers.dxf and rebar.dxf here, and
    // holds the locks of the row when she asks to sign out.
    void signingOutWithLocksAsksFirst()
    {
        QFETCH(QStringList, held);
        QFETCH(QString, button);
        QFETCH(QString, question);
        QFETCH(bool, signsOut);
        QFETCH(bool, locksKept);
        writeLauncherFiles({});
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        QString error;
        QVERIFY2(signInWithPassword(*ConnectorPlatform::shared(), session, "alice",
                                    "alice-demo-pw", &error),
                 qPrintable(error));
        const PlatformProbe alice(m_platform, "alice", "alice-demo-pw");
        {
            FileDatabase database(session->tenant());
            for (const QString title : { "deck.dwg", "piers.dxf", "rebar.dxf" }) {
                const QJsonObject object = alice.objectTitled(title);
                database.recordExchange(FileDatabase::keyForPath(m_home.filePath("work/" + title)),
                                        QString(), object.value("name").toString(),
                                        object.value("_filemodified").toString(),
                                        object.value("type").toString());
            }
        }
        for (const QString &title : held)
            QVERIFY(alice.lockedBy(title) == "alice" || alice.setLocked(title, true));

        QString asked; // the question and the files listed below it
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box->objectName() != "SignOutLocksBox")
                return;
            asked = box->text() + '\n' + box->informativeText();
            if (button == "Cancel")
                box->button(QMessageBox::Cancel)->click();
            else if (auto *named = box->findChild<QPushButton *>(button))
                named->click();
        });
        answer.start(20);
        m_commandLine.lines.clear();
        // Signed in, the ribbon's button offers to sign out (the module's command sets it).
        SignInCaption::updateRibbon(SignInCaption::signOutText());
        LoggingController::instance()->signOutAsked();
        QTRY_VERIFY_WITH_TIMEOUT(!asked.isEmpty() && !LoggingController::instance()->isBusy(),
                                 30000);
        answer.stop();

        QCOMPARE(asked, question + '\n' + held.join('\n')
                     + "\n\nNobody else can save them while you hold them.");
        QCOMPARE(signedIn(), !signsOut);
        for (const QString &title : held)
            QCOMPARE(alice.lockedBy(title), locksKept ? QString("alice") : QString());
        QCOMPARE(alice.lockedBy("deck.dwg"), QString("bob"));
        QCOMPARE(m_commandLine.lines,
                 signsOut ? QStringList { "Signed out of the AUREX Platform." } : QStringList());
        QCOMPARE(ribbonSignInCaption(), signsOut ? QString("Sign In to AUREX Platform")
                                                 : QString("Sign Out of AUREX Platform"));
        for (const QString &title : held) {
            if (locksKept)
                QVERIFY(alice.setLocked(title, false));
        }
    }

private:
    // Starts the launcher's sign-in and waits for its answer: whether a session stands then.
    // A job still there once it has answered is counted.
    bool launcherSignIn()
    {
        const QPointer<AurexJob> job = signInFromLauncher(*ConnectorPlatform::shared(),
                                                          ShowAurexTaskPane::instance());
        if (!job)
            return false;
        QSignalSpy answered(job, &AurexJob::result);
        const bool signedIn = answered.wait(30000) && ShowAurexTaskPane::instance()->isSignedIn();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_jobsLeft += job ? 1 : 0;
        return signedIn;
    }

    void writeLauncherFiles(const QStringList &extra)
    {
        const QStringList options = QStringList { "--cas-url", m_platform.casUrl() } + extra;
        QVERIFY(m_platform.writeLauncherFiles("alice", m_home.environment(), options));
    }

    static void fill(const QString &user, const QString &password, bool remember)
    {
        CSLoginDialog *dialog = CSLoginDialog::instance();
        dialog->findChild<QLineEdit *>("UserLineEdit")->setText(user);
        dialog->findChild<QLineEdit *>("PasswordLineEdit")->setText(password);
        dialog->findChild<QCheckBox *>("RememberCheckBox")->setChecked(remember);
    }

    // User, password and whether "remember" is ticked, as the dialog shows them.
    static QStringList fields()
    {
        CSLoginDialog *dialog = CSLoginDialog::instance();
        return { dialog->findChild<QLineEdit *>("UserLineEdit")->text(),
                 dialog->findChild<QLineEdit *>("PasswordLineEdit")->text(),
                 dialog->findChild<QCheckBox *>("RememberCheckBox")->isChecked() ? "remembered"
                                                                                  : "" };
    }

    // The caption of the module's sign-in button on the host's ribbon.
    static QString ribbonSignInCaption()
    {
        const CFxUiRibbonElement *tab = HostUiLookup::collaborationTab(
            HostUiLookup::currentWorkspace(HostAccess::ui()));
        const CFxUiRibbonElement *panel = tab ? tab->Find(kRibbonPanelId) : nullptr;
        const CFxUiRibbonElement *button = panel ? panel->Find(kSignInOutButtonId) : nullptr;
        return button ? button->GetCaption().toQString() : QString("no button");
    }

    static void verifyNoCredentialLogged(const QString &credential)
    {
        const QString printed = g_messages.join('\n');
        QVERIFY2(credential.isEmpty() || !printed.contains(credential), qPrintable(printed));
    }

    TestHome m_home;
    PlatformProcess m_platform { PlatformProcess::Options { true, {}, {} } };
    HostEnvironment m_host; // the host that opens the launcher's model
    CommandLineRecorder m_commandLine;
    int m_jobsLeft = 0; // launcher sign-in jobs still there after their answer
};

QTEST_MAIN(TestSignIn)
#include "tst_signin.moc"
