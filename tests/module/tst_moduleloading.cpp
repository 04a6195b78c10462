// The module file as the host loads it: entry points, module object, commands, view and pane,
// and the catalogue of the host's language, which goes when the module does. And the module
// starting while the platform named by the launcher accepts connections and never answers: the
// launcher's sign-in waits off the host's event loop, which keeps running commands without a
// long stall, and its end is said on the command line.

#include "approvedstate.h"
#include "commandlinerecorder.h"
#include "hostenvironment.h"
#include "testhome.h"

#include <commandprocessor.h>
#include <filecommands.h>
#include <hostdocumentmanager.h>
#include <hostsystemservices.h>
#include <loadedmodule.h>

#include <cfxuicommanditem.h>
#include <cfxuicustomizationmanager.h>
#include <cfxuimenu.h>
#include <cfxuimenuentry.h>
#include <cfxuimenugroup.h>
#include <odedcommandstack.h>
#include <odeditor.h>

#include <QDockWidget>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTcpServer>
#include <QWebElement>
#include <QWebFrame>
#include <QWebView>
#include <QtTest>

namespace {
// How long this thread has been ready to run while waiting for a processor, in nanoseconds
// (the second field of the kernel's scheduler statistics of the thread).
qint64 readyButWaitingNs()
{
    QFile stats(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stats.open(QIODevice::ReadOnly))
        return 0;
    return stats.readAll().split(' ').value(1).trimmed().toLongLong();
}

// The caption of the module's sign-in entry in the host's File menu.
QString signInEntryCaption(HostEnvironment &host)
{
    const CFxUiMenuEntryList *file = host.ui()->GetMainMenuGroup()->FindMenu("ID_MnFile")
                                         ->GetEntries();
    for (int i = 0; i < file->Count(); ++i) {
        const CFxUiMenuEntryList *entries = file->At(i)->GetEntries();
        for (int j = 0; j < entries->Count(); ++j) {
            const CFxUiCommandItem *item = entries->At(j)->GetCommandItem();
            if (item && item->GetMacro() == CFxString("^C^C_AurexLogOut"))
                return entries->At(j)->GetCaption().toQString();
        }
    }
    return QStringLiteral("no sign-in entry");
}
} // namespace

class TestModuleLoading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        // Each call of the connector waits this many seconds for an answer.
        qputenv("FZCONNECTOR_TIMEOUT", QByteArray::number(kCallSeconds));
    }

    // Loaded, the module names itself and its commands and watches the editor; its view
    // docks the pane on the left, and a view made where the host has no docking panes has only
    // its container and shows nothing; shut down, nothing of it stays registered.
    void loadViewAndShutdown()
    {
        HostEnvironment host;
        HostSystemServices noPanes(host.documents(), nullptr, host.ui(), host.appServices(), 0);
        const std::size_t reactorsBefore = odedEditor()->reactors().size();
        QString error;
        std::unique_ptr<LoadedModule> module = LoadedModule::load(AUREX_MODULE_FILE, &error);
        QVERIFY2(module, qPrintable(error));
        QCOMPARE(module->apiVersion(), QString("4.1.1.72561"));
        QCOMPARE(module->commands(), QStringList({ "_AurexOpen", "_AurexSave", "_LaunchHubdeck",
                                                   "_AurexLogOut", "_SaveAccelerator",
                                                   "_AurexWorkOffline" }));
        QCOMPARE(odedEditor()->reactors().size(), reactorsBefore + 1);

        QCOMPARE(module->createViews(), 1);
        QCOMPARE(module->panes().size(), 1);
        auto *pane = qobject_cast<QDockWidget *>(module->panes().first());
        QVERIFY(pane);
        QCOMPARE(host.mainWindow()->dockWidgetArea(pane), Qt::LeftDockWidgetArea);
        // The host's window as the user first sees it with the module: its menus and
        // buttons, and the pane docked beside the drawing area.
        host.mainWindow()->resize(1024, 700);
        host.mainWindow()->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.mainWindow()));
        ApprovedState approved;
        approved.replace(m_home.path(), "<home>");
        const QString differences = approved.differences(host.mainWindow(), "host-with-module");
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
        SetFxSystemServices(&noPanes);
        QCOMPARE(module->createViews(), 2);
        QCOMPARE(module->panes().size(), 1);
        const QSize shownBefore = pane->size();
        pane->hide();
        module->showViews();
        QVERIFY(pane->isVisible());
        // Shown again, the pane keeps the size it had: neither smaller nor larger.
        pane->resize(shownBefore / 2);
        const QSize halved = pane->size();
        pane->resize(shownBefore * 2);
        QCOMPARE(QList<QSize>({halved, pane->size()}), QList<QSize>({shownBefore, shownBefore}));

        module->shutdown();
        QCOMPARE(odedRegCmds()->lookupCmd("_AurexOpen"), nullptr);
        QCOMPARE(odedEditor()->reactors().size(), reactorsBefore);
    }

    // Under a German host the module speaks German while it is loaded; shut down, it takes
    // its catalogue along and the host's texts are the code's English again.
    void catalogueGoesWithTheModule()
    {
        HostEnvironment host;
        HostSystemServices german(host.documents(), nullptr, host.ui(), host.appServices(), 1);
        SetFxSystemServices(&german);
        QString error;
        std::unique_ptr<LoadedModule> module = LoadedModule::load(AUREX_MODULE_FILE, &error);
        QVERIFY2(module, qPrintable(error));
        const auto current = [] { return QCoreApplication::translate("FileStatus", "Current"); };
        QStringList texts{current()};
        module->shutdown();
        texts << current();
        QCOMPARE(texts, (QStringList{"Aktuell", "Current"}));
    }

    // Runs last: it leaves the launcher's files behind.
    void hostKeepsWorkingWhileTheSignInWaits()
    {
        // Connections are taken (by the system) and nothing is ever answered.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QByteArray origin = "http://127.0.0.1:" + QByteArray::number(silent.serverPort());
        QVERIFY(m_home.writeLauncherParams(
            "<r><Params ServerUrl=\"" + origin + "/vaultis\" CasCookie=\""
            + QByteArray(43, 'A') + "\"/><Eenvironment TMURMLYER_CAS_URL=\"" + origin
            + "/cas\"/></r>"));

        HostEnvironment host;
        FileCommands files(host.documents());
        CommandLineRecorder commandLine;
        QString error;
        std::unique_ptr<LoadedModule> module = LoadedModule::load(AUREX_MODULE_FILE, &error);
        QVERIFY2(module, qPrintable(error));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(module->createViews(), 1);
        QVERIFY2(clock.elapsed() < kCallSeconds * 1000 / 2, qPrintable(QString::number(
                                                                clock.elapsed())));

        // The welcome page shows while the sign-in waits; its first rendering is the web
        // engine's own work.
        QObject *page = nullptr;
        for (QWidget *widget : module->panes().first()->findChildren<QWidget *>())
            page = widget->inherits("QWebView") ? widget : page;
        QVERIFY(page);
        QVERIFY(static_cast<QWidget *>(page)->isVisibleTo(module->panes().first()));
        QSignalSpy loaded(page, SIGNAL(loadFinished(bool)));
        QVERIFY(loaded.wait(kCallSeconds * 1000 / 2));

        // The event loop's longest gap until the sign-in has given up, and a command typed
        // meanwhile. A gap counts without the time the thread was ready but other programs
        // had the processors: a busy machine is not the module's stall, a wait on the
        // platform is. A wait on the platform lasts a whole call; the host's own first work
        // on a cold machine (reading fonts and libraries from the disk) has taken 84 ms, so
        // the bound sits between the two, well below what a user would take for a hang.
        qint64 longestStallMs = 0;
        QElapsedTimer sinceTick;
        sinceTick.start();
        qint64 queuedNs = readyButWaitingNs();
        QTimer sampler;
        sampler.setInterval(1);
        connect(&sampler, &QTimer::timeout, [&] {
            const qint64 queued = readyButWaitingNs();
            const qint64 gapMs = sinceTick.restart() - (queued - queuedNs) / 1000000;
            queuedNs = queued;
            longestStallMs = std::max(longestStallMs, gapMs);
        });
        sampler.start();
        CommandProcessor commands;
        int typed = -1;
        QTimer::singleShot(kCallSeconds * 1000 / 2, [&] { typed = commands.runLine("_NEW", false); });
        QVERIFY(QTest::qWaitFor([&] { return !commandLine.lines.isEmpty(); },
                                kCallSeconds * 1000 * 4));
        sampler.stop();
        QVERIFY2(longestStallMs <= 250, qPrintable(QString::number(longestStallMs)));
        QCOMPARE(typed, 5100);
        QCOMPARE(host.documents()->GetDocumentCount(), 1);
        QCOMPARE(commandLine.lines,
                 QStringList({"The AUREX Platform did not take the launcher's sign-in: sign in "
                              "from the File menu."}));
        // The File menu offers to sign in.
        QCOMPARE(signInEntryCaption(host), QString("Sign In to AUREX Platform"));
        // The welcome page says why nobody is signed in, and what works.
        auto *view = qobject_cast<QWebView *>(page);
        QTRY_COMPARE(view->page()->mainFrame()->findFirstElement("#notice").toPlainText(),
                     QString("The AUREX Platform refused the launcher's sign-in (its cookie may "
                             "have expired). Log in with your user name and password."));
        module->shutdown();
    }

private:
    static constexpr int kCallSeconds = 3;
    TestHome m_home;
};

QTEST_MAIN(TestModuleLoading)
#include "tst_moduleloading.moc"
