// The files the platform's launcher leaves (the launcher parameters and the applications
// file), and signing in against a real platform: with the launcher's cookie and with the
// sign-in dialog; the session's end when the platform no longer knows it, and signing out
// while holding locks. Against a stand-in platform: what a colleague does reaches the module as
// events, each once and in the order it happened; a platform that cannot be reached is asked
// for its event stream again only after each wait, never in a loop that would keep a processor
// and the network busy; and the proxy the host set for the application is kept for the
// connector while the module's own connections go direct.

#include "connector/connectorplatform.h"
#include "approvedstate.h"
#include "commandlinerecorder.h"
#include "docpicture.h"
#include "hostenvironment.h"
#include "platformdouble.h"
#include "platformprobe.h"
#include "platformprocess.h"
#include "testhome.h"

#include "module/menubuilder.h"
#include "session/cslogindialog.h"
#include "session/dashboardlauncher.h"
#include "session/eventsubscription.h"
#include "session/launcherparams.h"
#include "session/launchersignin.h"
#include "session/loggingcontroller.h"
#include "session/passwordsignin.h"
#include "session/proxycapture.h"
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
#include <QNetworkProxy>
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

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QVERIFY(launcherParamsPath().startsWith(m_home.path()));
        QVERIFY(DashboardLauncher::appsInfoPath().startsWith(m_home.path()));
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
        // Every launcher sign-in's job went once it had answered. Each start of a session looks
        // for what stopped downloads left behind, on a job of its own; done, the job goes,
        // however often the user signs in and out.
        QCOMPARE(m_jobsLeft, 0);
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        for (int i = 0; i < 3; ++i) {
            session->startSession(QString());
            session->endSession();
        }
        QTRY_COMPARE(session->findChildren<AurexJob *>().size(), 0);
    }

    void init()
    {
        ShowAurexTaskPane::instance()->endSession();
        g_messages.clear();
    }

    // A colleague's lock, save and unlock arrive in that order; a delete arrives as itself; a
    // file back from the trash asks for everything anew. A stream that drops is said, and the
    // next one goes on after the last event read, so what happened in between still arrives,
    // once.
    void colleaguesChangesArriveInTheirOrder()
    {
        PlatformDouble platform;
        platform.addObject("deck.dwg", "0\nEOF\n");
        platform.addObject("piers.dxf", "0\nEOF\n");
        EventSubscription subscription;
        subscription.setRetryDelays({50});
        QStringList heard;
        connect(&subscription, &EventSubscription::eventArrived, this,
                [&heard](const PlatformEvent &event) {
                    heard << QString("%1 %2 %3").arg(event.kind).arg(event.title, event.user);
                });
        connect(&subscription, &EventSubscription::eventsMissed, this,
                [&heard] { heard << "ask again"; });
        connect(&subscription, &EventSubscription::streamDropped, this,
                [&heard] { heard << "dropped"; });
        subscription.start(&platform);
        QTRY_COMPARE(platform.streamCount(), 1);
        platform.setLockedBy("deck.dwg", "bob");
        platform.saveNewVersion("deck.dwg", "0\nEOF\n999\nbob's\n", "bob", "moved a pier");
        platform.setLockedBy("deck.dwg", QString());
        QTRY_COMPARE(heard.size(), 3);
        platform.moveToTrash("deck.dwg", "bob");
        platform.restoreFromTrash("deck.dwg", "bob");
        QTRY_COMPARE(heard.size(), 5);
        platform.setBehaviour(PlatformDouble::Refuse);
        QTRY_COMPARE(platform.streamCount(), 0);
        QTRY_COMPARE(heard.size(), 6);
        platform.setLockedBy("piers.dxf", "bob");
        platform.setBehaviour(PlatformDouble::Answer);
        QTRY_COMPARE(heard.size(), 7);
        const auto event = [](PlatformEvent::Kind kind, const char *title) {
            return QString("%1 %2 bob").arg(kind).arg(title);
        };
        QCOMPARE(heard, (QStringList{event(PlatformEvent::Lock, "deck.dwg"),
                                     event(PlatformEvent::CheckIn, "deck.dwg"),
                                     event(PlatformEvent::Unlock, "deck.dwg"),
                                     event(PlatformEvent::Delete, "deck.dwg"), "ask again",
                                     "dropped", event(PlatformEvent::Lock, "piers.dxf")}));
        subscription.stop();
    }

    void anUnreachablePlatformIsAskedAgainOnlyAfterEachWait()
    {
        PlatformDouble platform;
        platform.setBehaviour(PlatformDouble::Refuse);
        EventSubscription subscription;
        subscription.setRetryDelays({150});
        QElapsedTimer timer;
        timer.start();
        subscription.start(&platform);
        QTRY_VERIFY_WITH_TIMEOUT(platform.streamRequests() >= 3, 5000);
        // Three requests, two waits between them.
        QVERIFY2(timer.elapsed() >= 300, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(platform.streamRequests() <= 1 + timer.elapsed() / 150);

        platform.setBehaviour(PlatformDouble::Answer);
        QTRY_COMPARE_WITH_TIMEOUT(platform.streamCount(), 1, 5000);
        subscription.stop();
        QTRY_COMPARE(platform.streamCount(), 0);
    }

    // The proxy in force at the first sign-in is what the connector gets then and at every
    // later sign-in, although the application goes direct from the first one on.
    void theFirstProxyIsKeptForEverySignIn()
    {
        PlatformDouble platform;
        ShowAurexTaskPane session(&platform);
        const QNetworkProxy before = QNetworkProxy::applicationProxy();
        const auto restore = qScopeGuard([&before] { QNetworkProxy::setApplicationProxy(before); });
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, "proxy.example", 3128, "ann", "secret"));
        QStringList given;
        for (int signIn = 0; signIn < 2; ++signIn) {
            const ShowAurexTaskPane::ProxySettings proxy = captureProxySettings(&session);
            given << QString("%1:%2 %3 %4")
                         .arg(proxy.host)
                         .arg(proxy.port)
                         .arg(proxy.user, proxy.password);
        }
        const QString hostSet = "proxy.example:3128 ann secret";
        QCOMPARE(given, QStringList({hostSet, hostSet}));
        QCOMPARE(QNetworkProxy::applicationProxy().type(), QNetworkProxy::NoProxy);
    }

    void readsLauncherParameters_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        // server, cookie, space, tenant, model, cas, context, and the host of the server
        QTest::addColumn<QStringList>("expected");

        const QStringList none { "", "", "", "", "", "", "", "" };
        QTest::newRow("missing file") << QByteArray() << none;
        QTest::newRow("not XML") << QByteArray("ServerUrl=https://srv01/vaultis") << none;
        QTest::newRow("nested deep")
            << QByteArray("<launcher><a><b><Params ServerUrl=\"https://SRV01/vaultis\" "
                          "CasCookie=\"c\" NamedSpace=\"Common Space\" Tenant=\"acme\" "
                          "ModelID=\"m1\" PreferredContext=\"true\"/></b></a><x><y><Eenvironment "
                          "TMURMLYER_CAS_URL=\"https://srv01/cas\"/></y></x></launcher>")
            << QStringList { "https://SRV01/vaultis", "c", "Common Space", "acme", "m1",
                             "https://srv01/cas", "true", "srv01" };
        // A plain HTTP server keeps its scheme and port.
        QTest::newRow("plain HTTP server")
            << QByteArray("<r><Params ServerUrl=\"http://127.0.0.1:8080/vaultis\"/></r>")
            << QStringList { "http://127.0.0.1:8080/vaultis", "", "", "", "", "", "",
                             "http://127.0.0.1:8080" };
    }

    void readsLauncherParameters()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        QVERIFY(m_home.writeLauncherParams(content));
        const LauncherParams p = readLauncherParams();
        QCOMPARE(QStringList({ p.serverUrl, p.casCookie, p.namedSpace, p.tenant, p.modelId,
                               p.casUrl, p.preferredContext,
                               p.serverUrl.isEmpty() ? "" : serverHostFromUrl(p.serverUrl) }),
                 expected);
    }

    // The dashboard's address in the applications file: listed first or after another app,
    // or not at all, or no file (written as none for no apps).
    void findsTheDashboard()
    {
        const QByteArray other = "<app><id>OTHER</id><launchInfos>http://other</launchInfos></app>";
        const QByteArray dashboard =
            "<app><id>XHUBDECK_AP</id><launchInfos>http://dash/board</launchInfos></app>";
        QStringList found;
        for (const QByteArray &apps : {"<apps>" + dashboard + other + "</apps>",
                                       "<apps>" + other + dashboard + "</apps>",
                                       "<apps>" + other + "</apps>", QByteArray()}) {
            QVERIFY(m_home.writeAppsInfo(apps));
            found << DashboardLauncher::findDashboardUrl();
        }
        QCOMPARE(found, (QStringList{"http://dash/board", "http://dash/board", "", ""}));
    }

    // The launcher's cookie signs in to the launcher's tenant; one the platform never issued
    // is refused and leaves no session, even where one stood.
    void launcherCookieSignsIn_data()
    {
        QTest::addColumn<bool>("issued");
        QTest::newRow("issued by the platform") << true;
        QTest::newRow("never issued") << false;
    }

    void launcherCookieSignsIn()
    {
        QFETCH(bool, issued);
        if (issued) {
            writeLauncherFiles({ "--tenant", "north" });
        } else {
            QVERIFY(m_home.writeLauncherParams(
                "<r><Params ServerUrl=\"" + m_platform.serverUrl().toUtf8()
                + "\" CasCookie=\"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\"/><Eenvironment "
                  "TMURMLYER_CAS_URL=\"" + m_platform.casUrl().toUtf8() + "\"/></r>"));
            ShowAurexTaskPane::instance()->startSession(QString());
        }
        QCOMPARE(launcherSignIn(), issued);
        QCOMPARE(signedIn(), issued);
        QCOMPARE(ShowAurexTaskPane::instance()->tenant(), QString(issued ? "north" : ""));
        QVERIFY2(!issued || !g_messages.isEmpty(), "the sign-in printed nothing to search");
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
        const QStringList said = m_commandLine.lines.filter("working offline as");
        QVERIFY2(said.size() == 1 && said.first().endsWith("working offline as alice."),
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

    // The launcher's model opens only once it has arrived: a model on the platform, then one
    // that does not exist.
    void launcherModelOpensOnlyWhenItArrived()
    {
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        for (const bool known : {true, false}) {
            writeLauncherFiles(
                { "--model", known ? m_platform.demoObjectId("bridge.dwg") : "NOSUCHMODEL" });
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
            const CFxDocument *opened = m_host.documents()->GetCurrentDocument();
            const QString path = opened ? opened->GetPathName().toQString() : QString();
            QCOMPARE(QFileInfo(path).fileName(), QString(known ? "bridge.dwg" : ""));
            QVERIFY(!known || QFileInfo(path) == QFileInfo(session->launcherModelPath()));
            m_host.documents()->closeAll();
            QCOMPARE(m_commandLine.lines.size(), known ? 0 : 1);
            QVERIFY(known || m_commandLine.lines.first().contains("NOSUCHMODEL"));
            session->setLauncherOpenPending(false);
        }
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
        // The button as scripts find it: by its name, or Cancel. Cancelled, she stays signed
        // in; released, the locks go.
        QTest::addColumn<QString>("button");
        QTest::newRow("one lock, cancelled") << QStringList { "piers.dxf" } << "Cancel";
        QTest::newRow("two locks, released")
            << QStringList { "piers.dxf", "rebar.dxf" } << "ReleaseLocksButton";
        QTest::newRow("one lock, kept") << QStringList { "rebar.dxf" } << "KeepLocksButton";
    }

    // alice has copies of deck.dwg (bob holds its lock), piers.dxf and rebar.dxf here, and
    // holds the locks of the row when she asks to sign out.
    void signingOutWithLocksAsksFirst()
    {
        QFETCH(QStringList, held);
        QFETCH(QString, button);
        const bool signsOut = button != "Cancel";
        const bool locksKept = button != "ReleaseLocksButton";
        const QString question = held.size() == 1
            ? "You hold the lock on one file on the AUREX Platform:"
            : "You hold locks on 2 files on the AUREX Platform:";
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
            if (held == QStringList { "piers.dxf" })
                saveDocPicture(box, "signout-locks.png");
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

QTEST_MAIN(TestSession)
#include "tst_session.moc"
