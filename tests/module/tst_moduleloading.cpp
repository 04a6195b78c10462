// The module file as the host loads it: entry points, module object, commands, view and pane.

#include "hostenvironment.h"
#include "testhome.h"

#include <loadedmodule.h>

#include <cfxsystemservices.h>

#include <odedcommandstack.h>
#include <odeditor.h>
#include <odrxmodule.h>

#include <QDockWidget>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLibrary>
#include <QMainWindow>
#include <QProcess>
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

    void entryPointsAndInitialisationWithoutSystemServices()
    {
        SetFxSystemServices(nullptr);
        const std::size_t reactorsBefore = odedEditor()->reactors().size();
        QString error;
        std::unique_ptr<LoadedModule> module = LoadedModule::load(AUREX_MODULE_FILE, &error);
        QVERIFY2(module, qPrintable(error));
        QCOMPARE(module->apiVersion(), QString("4.1.1.72561"));
        QCOMPARE(module->commands(), QStringList({ "_AurexOpen", "_AurexSave", "_LaunchHubdeck",
                                                   "_AurexLogOut", "_SaveAccelerator" }));
        QCOMPARE(odedEditor()->reactors().size(), reactorsBefore + 1);
        QVERIFY(module->module()->sysData());
        QCOMPARE(QFileInfo(QString::fromStdWString(module->module()->moduleName().wstring())).canonicalFilePath(),
                 QFileInfo(AUREX_MODULE_FILE).canonicalFilePath());

        // A second create hands back the same object and leaves the caller's handle alone.
        QLibrary library(AUREX_MODULE_FILE);
        auto create = reinterpret_cast<OdRxCreateModuleObjectFunc>(
            library.resolve(kOdRxCreateModuleObjectSymbol));
        QVERIFY(create);
        int marker = 0;
        void *handle = &marker;
        QCOMPARE(create(handle), module->module());
        QCOMPARE(handle, static_cast<void *>(&marker));

        module->shutdown();
        QCOMPARE(odedRegCmds()->lookupCmd("_AurexOpen"), nullptr);
        QCOMPARE(odedEditor()->reactors().size(), reactorsBefore);
    }

    void viewDocksThePaneAndShowingFreezesItsSize()
    {
        HostEnvironment host;
        QLibrary library(AUREX_MODULE_FILE);
        QVERIFY(library.load());
        // Before any view exists there is no pane: showing does nothing.
        struct { void *reserved; QWidget *pane; QWidget *container; } blank { nullptr, nullptr, nullptr };
        auto show = reinterpret_cast<void (*)(void *)>(
            library.resolve("_ZN11LxAurexView15showLxAurexViewEv"));
        QVERIFY(show);
        show(&blank);
        QCOMPARE(blank.pane, nullptr);

        QString error;
        std::unique_ptr<LoadedModule> module = LoadedModule::load(AUREX_MODULE_FILE, &error);
        QVERIFY2(module, qPrintable(error));
        QCOMPARE(module->createViews(), 1);
        QCOMPARE(module->panes().size(), 1);
        auto *pane = qobject_cast<QDockWidget *>(module->panes().first());
        QVERIFY(pane);
        QCOMPARE(pane->windowTitle(), QString("AUREX Platform Connection"));
        QVERIFY(pane->isVisible());
        QCOMPARE(pane->widget()->objectName(), QString("containerWidget"));
        QCOMPARE(host.mainWindow()->dockWidgetArea(pane), Qt::LeftDockWidgetArea);

        const QSize size = pane->size();
        module->showViews();
        QVERIFY(pane->isVisible());
        QCOMPARE(pane->minimumSize(), size);
        QCOMPARE(pane->maximumSize(), size);
        module->shutdown();
    }

    void hostPrintsTheModulesMenusAndRibbon()
    {
        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, { "--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                   "--print-ui", "--exit" });
        QVERIFY(lintra.waitForFinished(60000));
        QCOMPARE(lintra.exitCode(), 0);
        const QJsonObject ui = QJsonDocument::fromJson(lintra.readAllStandardOutput()).object();

        QList<QJsonObject> groups { ui.value("mainMenuGroup").toObject() };
        for (const QJsonValue &workspace : ui.value("workspaces").toArray())
            groups << workspace.toObject();
        int popups = 0;
        for (const QJsonObject &group : groups) {
            for (const QJsonValue &menu : group.value("menus").toArray()) {
                if (menu.toObject().value("id").toString() != "ID_MnFile")
                    continue;
                const QJsonObject popup = menu.toObject().value("entries").toArray().at(4).toObject();
                if (popup.value("id").toString() != "ID_AUREX")
                    continue;
                ++popups;
                const QJsonObject signIn = popup.value("entries").toArray().at(3).toObject();
                QCOMPARE(signIn.value("commandItem").toObject().value("elementId").toString(),
                         QString("ID_AUREX_LOGINOUT"));
                // Nobody signed in at start-up: the entry offers to sign in.
                QCOMPARE(signIn.value("caption").toString(), QString("Sign In to AUREX Platform"));
            }
        }
        QCOMPARE(popups, 2);
        const QJsonArray panes = ui.value("panes").toArray();
        QCOMPARE(panes.size(), 1);
        QCOMPARE(panes.at(0).toObject().value("title").toString(), QString("AUREX Platform Connection"));
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestModuleLoading)
#include "tst_moduleloading.moc"
