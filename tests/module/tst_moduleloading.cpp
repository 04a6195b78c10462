// The module file as the host loads it: entry points, module object, commands, view and pane,
// and the catalogue of the host's language, which goes when the module does.

#include "approvedstate.h"
#include "hostenvironment.h"
#include "testhome.h"

#include <hostsystemservices.h>
#include <loadedmodule.h>

#include <odedcommandstack.h>
#include <odeditor.h>

#include <QDockWidget>
#include <QMainWindow>
#include <QtTest>

class TestModuleLoading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
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
        QCOMPARE(pane->windowTitle(), QString("AUREX Platform Connection"));
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

private:
    TestHome m_home;
};

QTEST_MAIN(TestModuleLoading)
#include "tst_moduleloading.moc"
