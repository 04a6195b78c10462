// The module's five commands run through the host's command stack, signed out.

#include "hostenvironment.h"
#include "testhome.h"

#include "session/cslogindialog.h"
#include "support/launchmessagebox.h"
#include "module/lxaurexreactor.h"
#include "module/menubuilder.h"
#include "session/showaurextaskpane.h"
#include "session/signedin.h"

#include <cfxcommand.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <cfxuiribbonelement.h>
#include <cfxuiworkspace.h>
#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odrxwin32module.h>

#include <QDesktopServices>
#include <QDir>
#include <QTimer>
#include <QtTest>

namespace {

// Receives what the module hands to the desktop's web browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void openUrl(const QUrl &url) { urls << url; }
};

// The open dialogs that are shown: the open command creates one per run.
int shownOpenDialogs()
{
    int shown = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        shown += window->objectName() == QLatin1String("OpenFromCSDialogClass") && window->isVisible();
    return shown;
}

// Closes each modal window the command opens and notes its class.
class ModalCloser : public QObject
{
public:
    QStringList seen;

    void start()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                seen << QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        m_timer.start(20);
    }

private:
    QTimer m_timer;
};

using TestModule = OdRxWin32Module<LxAurexReactor>;

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QDir::setCurrent(m_home.path());
        m_module = new TestModule(nullptr);
        m_module->initApp();
        MenuBuilder::buildAtViewCreation();
    }

    void cleanupTestCase()
    {
        m_module->uninitApp();
        m_module->deleteModuleObject();
    }

    void init() { ShowAurexTaskPane::instance()->endSession(); }

    // Signed out, a gated command asks first: the welcome box without a server, else the
    // sign-in dialog; closing either opens nothing.
    void signedOutCommandsAskFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QString>("shown");
        QTest::newRow("open without a server")
            << "_AurexOpen" << QByteArray() << "LaunchMessageBox";
        QTest::newRow("save without a server")
            << "_AurexSave" << QByteArray() << "LaunchMessageBox";
        QTest::newRow("open, sign-in cancelled")
            << "_AurexOpen" << QByteArray("http://127.0.0.1:1/vaultis") << "CSLoginDialog";
    }

    void signedOutCommandsAskFirst()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, server);
        QFETCH(QString, shown);
        QVERIFY(m_home.writeLauncherParams("<r><Params ServerUrl=\"" + server + "\"/></r>"));
        ModalCloser closer;
        closer.start();
        QCOMPARE(run(command), RTNORM);
        QCOMPARE(closer.seen, QStringList({ shown }));
        QCOMPARE(shownOpenDialogs(), 0);
    }

    void signedInUserGetsTheDialogAtOnce()
    {
        ShowAurexTaskPane::instance()->startSession(QString());
        QCOMPARE(run("_AurexSave"), RTNORM);
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QString("SaveToCSDialog"));
        QCOMPARE(dialog->windowTitle(), QString("Save to Collaborative Space"));
        QVERIFY(dialog->findChild<QWidget *>("ApplyToAllPushButton")->isHidden());
        dialog->close();
        QCOMPARE(run("_AurexOpen"), RTNORM);
        // Shown once the user's spaces have come.
        QTRY_COMPARE(shownOpenDialogs(), 1);
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("OpenFromCSDialogClass"))
                window->close();
        }
    }

    void dashboardOpensWhileSignedOut()
    {
        QVERIFY(m_home.writeAppsInfo("<apps><app><id>XHUBDECK_AP</id>"
                                     "<launchInfos>http://127.0.0.1:8/dashboard</launchInfos></app></apps>"));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("http", &catcher, "openUrl");
        QCOMPARE(run("_LaunchHubdeck"), RTNORM);
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(catcher.urls, QList<QUrl>({ QUrl("http://127.0.0.1:8/dashboard") }));
    }

    void signingOutSwitchesMenuAndRibbonCaptions()
    {
        ShowAurexTaskPane::instance()->startSession(QString());
        QCOMPARE(run("_AurexLogOut"), RTNORM);
        QVERIFY(!signedIn());
        const CFxUiWorkspace *drafting = m_host.ui()->GetWorkspaceAt(0);
        const CFxUiMenuEntry *entry =
            drafting->FindMenu("ID_MnFile")->GetEntries()->At(4)->GetEntries()->At(3);
        QCOMPARE(entry->GetCaption(), CFxString("Sign In to AUREX Platform"));
        const CFxUiRibbonElement *button = drafting->GetRibbonTabs()->At(2)
                                               ->Find("_LX_AurexPlatformRibbonID")
                                               ->Find("_LX_AurexLoginInOutRibbonID");
        QCOMPARE(button->GetCaption(), CFxString("Sign In to AUREX Platform"));
    }

private:
    // Runs a command line as the host does: interactive, with the answers typed after the name.
    static int run(const QString &line)
    {
        QStringList words = line.split(' ');
        class Context : public OdEdCommandContext
        {
        public:
            explicit Context(QStringList answers) : m_answers(std::move(answers)) { }
            OdString nextArgument() override
            {
                return m_answers.isEmpty() ? OdString()
                                           : OdString(m_answers.takeFirst().toStdWString());
            }

        private:
            QStringList m_answers;
        };
        const QString name = words.takeFirst();
        Context context(words);
        return odedRegCmds()->executeCommand(OdString(name.toStdWString()), &context);
    }

    TestHome m_home;
    HostEnvironment m_host;
    TestModule *m_module = nullptr;
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
