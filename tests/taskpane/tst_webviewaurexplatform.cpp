// The task pane against a platform double: the sign-in page in the real web engine, what it
// shows and where its "Log in" button leads; and sending the outbox from the pane.

#include "approvedstate.h"
#include "dxftesthelpers.h"
#include "platformdouble.h"
#include "testhome.h"

#include "save/outbox.h"
#include "save/savetreeitem.h"
#include "save/outboxdelivery.h"
#include "session/cslogindialog.h"
#include "session/showaurextaskpane.h"
#include "support/launchmessagebox.h"
#include "taskpane/aurexmainwindow.h"
#include "taskpane/taskpanecontainer.h"
#include "taskpane/webviewaurexplatform.h"

#include <QWebElement>
#include <QWebFrame>
#include <QtTest>
#include <QtWidgets>

class TestWebViewAurexPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
    }

    void logInOpensTheSignInOrTheWelcomeBox_data()
    {
        QTest::addColumn<QByteArray>("launcherFile");
        QTest::addColumn<bool>("signInDialog");
        QTest::newRow("launcher names a server")
            << QByteArray("<r><Params ServerUrl=\"https://aurex.example/vaultis\"/></r>") << true;
        QTest::newRow("no launcher file") << QByteArray() << false;
    }

    void logInOpensTheSignInOrTheWelcomeBox()
    {
        QFETCH(QByteArray, launcherFile);
        QFETCH(bool, signInDialog);
        QVERIFY(m_home.writeLauncherParams(launcherFile));
        CSLoginDialog::instance()->hide();

        WebViewAurexPlatform view(CSLoginDialog::instance());
        QSignalSpy loaded(&view, &QWebView::loadFinished);
        QVERIFY(loaded.wait(10000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QVERIFY(view.isVisible());

        QWebFrame *frame = view.page()->mainFrame();
        QVERIFY(frame->toPlainText().contains("AUREX Platform where you can"));

        // A real click where the page drew its button.
        const QWebElement button = frame->findFirstElement("button");
        QCOMPARE(button.toPlainText(), QString("Log in"));
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, button.geometry().center());

        auto *welcome = view.findChild<LaunchMessageBox *>();
        QTRY_COMPARE(CSLoginDialog::instance()->isVisible(), signInDialog);
        QCOMPARE(welcome && welcome->isVisible(), !signInDialog);
        QCOMPARE(loaded.count(), 1);
        // The welcome box as the user reads it: a warning, its text and its one button.
        if (welcome) {
            const QString differences = ApprovedState().differences(welcome, "welcome-box");
            QVERIFY2(differences.isEmpty(), qPrintable(differences));
        }
    }

    // The task pane shows the page while signed out, hides it while signed in, and shows the
    // same page again after signing out: nothing typed or shown in it is lost to a reload.
    void signingOutShowsThePageAgainWithoutReloading()
    {
        QVERIFY(m_home.writeLauncherParams(QByteArray()));
        PlatformDouble platform;
        const auto session = std::make_unique<ShowAurexTaskPane>(&platform);
        QWidget container;
        auto *pane = new TaskPaneContainer(&container, session.get(), CSLoginDialog::instance());
        auto *view = qobject_cast<WebViewAurexPlatform *>(pane->webView());
        QVERIFY(view);
        container.show();
        QSignalSpy loaded(view, &QWebView::loadFinished);
        QVERIFY(loaded.wait(10000));
        QSignalSpy reloaded(view, &QWebView::loadStarted);
        view->page()->mainFrame()->evaluateJavaScript("document.body.setAttribute('seen', 'yes')");

        // Which of the page and the pane's lists show: only one at a time.
        const auto shown = [&container, view] {
            const auto *lists = container.findChild<QSplitter *>("splitterWidget");
            return QStringList{view->isVisible() ? "page" : "",
                               lists && lists->isVisible() ? "lists" : ""};
        };
        session->startSession(QString());
        session->refreshTaskPane();
        QTRY_COMPARE(shown(), QStringList({"", "lists"}));
        // Signed in, the pane learns from the platform who the user is.
        QTRY_COMPARE(session->currentUser(), QString("alice"));
        QCOMPARE(session->displayName(), QString("Alice Martin"));
        session->endSession();
        // Why nobody is signed in, above the "Log in" button.
        const QString why = "The AUREX Platform cannot be reached (Connection refused). Log in "
                            "once it answers.";
        session->setSignInNotice(why);
        session->refreshTaskPane();
        QCOMPARE(shown(), QStringList({"page", ""}));
        QCOMPARE(view->page()->mainFrame()->evaluateJavaScript(
                         "document.getElementById('notice').textContent").toString(),
                 why);
        QCOMPARE(reloaded.count(), 0);
        QCOMPARE(view->page()->mainFrame()->evaluateJavaScript("document.body.getAttribute('seen')")
                     .toString(), QString("yes"));
    }

    // Runs last. Sending the outbox from the task pane: the saves go oldest first, each once;
    // going offline while one is on its way lets it finish and keeps the rest for later. The
    // pane's user menu offers to discard the saves that wait, while none is being sent.
    void goingOfflineWhileASaveGoesKeepsTheRestForLater()
    {
        QStandardPaths::setTestModeEnabled(true);
        // Each transfer takes a while, so the user can go offline while the first goes.
        PlatformDouble platform;
        platform.setChunkDelayMs(20);
        const auto session = std::make_unique<ShowAurexTaskPane>(&platform);
        session->startSession(QString());
        // Two saves of a new drawing each, as saving offline leaves them.
        session->setOffline(true);
        for (const char *file : {"first.dxf", "second.dxf"}) {
            QVERIFY(DxfTest::copySample("ezdxf/geometry-r2018.dxf", m_home.filePath(file)));
            SaveTreeItem row(m_home.filePath(file), file, nullptr);
            row.action = SaveAction::SaveAsNew;
            row.collabSpace = "Engineering";
            QVERIFY(Outbox(QString()).append(row, 1));
        }
        AurexMainWindow window(session.get());
        OutboxDelivery &delivery = *window.delivery();
        // The user menu's entry, as the menu shows it ("" while hidden).
        const auto discardEntry = [&window] {
            window.ShowMenuItems();
            const auto *action = window.findChild<QAction *>("discardOutboxAction");
            return action->isVisible() ? action->text() : QString();
        };
        QCOMPARE(discardEntry(), QString("Discard Saves Waiting to Upload (2)..."));
        QSignalSpy finished(&delivery, &OutboxDelivery::finished);
        session->setOffline(false);
        delivery.start();
        QCOMPARE(discardEntry(), QString());
        QTRY_VERIFY(platform.bytesSent() > 0);
        session->setOffline(true);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.first().first().toString(),
                 QString("Working offline: 1 save waits in the outbox."));
        QCOMPARE(platform.checkInCount(), 1);
        QVERIFY(!platform.content("first.dxf").isNull());
        QVERIFY(platform.content("second.dxf").isNull());
        QCOMPARE(discardEntry(), QString("Discard Saves Waiting to Upload (1)..."));

        // Online again, the rest goes, and what went before does not go again.
        session->setOffline(false);
        delivery.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.last().first().toString(), QString());
        QCOMPARE(platform.checkInCount(), 2);
        QVERIFY(!platform.content("second.dxf").isNull());
        QList<Outbox::Entry> left;
        QVERIFY(Outbox(QString()).read(&left));
        QVERIFY(left.isEmpty());
        QCOMPARE(discardEntry(), QString());
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestWebViewAurexPlatform)
#include "tst_webviewaurexplatform.moc"
