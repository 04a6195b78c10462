// The sign-in page in the real web engine: what it shows, and where its "Log in" button leads.

#include "taskpane/webviewaurexplatform.h"
#include "platformdouble.h"
#include "testhome.h"

#include "session/cslogindialog.h"
#include "session/showaurextaskpane.h"
#include "taskpane/taskpanecontainer.h"
#include "support/launchmessagebox.h"

#include <QWebElement>
#include <QWebFrame>
#include <QtTest>

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

        WebViewAurexPlatform view;
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
    }

    // The task pane shows the page while signed out, hides it while signed in, and shows the
    // same page again after signing out: nothing typed or shown in it is lost to a reload.
    void signingOutShowsThePageAgainWithoutReloading()
    {
        QVERIFY(m_home.writeLauncherParams(QByteArray()));
        QWidget container;
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        session->endSession();
        PlatformDouble platform;
        TaskPaneContainer *pane = TaskPaneContainer::setUp(&container, &platform, session);
        auto *view = qobject_cast<WebViewAurexPlatform *>(pane->webView());
        QVERIFY(view);
        container.show();
        QSignalSpy loaded(view, &QWebView::loadFinished);
        QVERIFY(loaded.wait(10000));
        QSignalSpy reloaded(view, &QWebView::loadStarted);
        view->page()->mainFrame()->evaluateJavaScript("document.body.setAttribute('seen', 'yes')");

        session->startSession(QString());
        session->refreshTaskPane();
        QVERIFY(!view->isVisible());
        // Signed in, the pane learns from the platform who the user is.
        QTRY_COMPARE(session->currentUser(), QString("alice"));
        QCOMPARE(session->displayName(), QString("Alice Martin"));
        session->endSession();
        session->refreshTaskPane();
        QVERIFY(view->isVisible());
        QCOMPARE(reloaded.count(), 0);
        QCOMPARE(view->page()->mainFrame()->evaluateJavaScript("document.body.getAttribute('seen')")
                     .toString(),
                 QString("yes"));
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestWebViewAurexPlatform)
#include "tst_webviewaurexplatform.moc"
