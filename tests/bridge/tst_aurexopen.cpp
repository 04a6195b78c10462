// The launcher's way in, end to end: aurex-open asks the host running the module (signed in to a
// real platform) to open a platform drawing, and the host opens the downloaded copy.

#include "hostenvironment.h"
#include "platformprocess.h"
#include "testhome.h"

#include <cfxdocument.h>
#include <hostdocumentmanager.h>
#include <loadedmodule.h>

#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QtTest>

class TestAurexOpen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
        QVERIFY(m_platform.writeLauncherFiles("alice", m_home.environment()));
    }

    void opensTheModelInTheRunningHost()
    {
        HostEnvironment host;
        QString error;
        std::unique_ptr<LoadedModule> module = LoadedModule::load(AUREX_MODULE_FILE, &error);
        QVERIFY2(module, qPrintable(error));
        QCOMPARE(module->createViews(), 1);

        QProcess client;
        client.setProcessEnvironment(m_home.environment());
        client.start(AUREX_OPEN_BIN, { m_platform.demoObjectId("tower.dwg") });
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
        QVERIFY2(client.exitCode() == 0, client.readAllStandardError().constData());

        const auto currentFile = [&host]() {
            const CFxDocument *current = host.documents()->GetCurrentDocument();
            return current ? QFileInfo(current->GetPathName().toQString()).fileName() : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(currentFile(), QString("tower.dwg"), 30000);
        QVERIFY(QFileInfo(host.documents()->GetCurrentDocument()->GetPathName().toQString()).size() > 0);
        // The task pane shows the opened drawing among its files.
        QWidget *pane = module->panes().first();
        const auto listsTower = [pane]() {
            const QList<QLabel *> names = pane->findChildren<QLabel *>("NameLabel");
            return std::any_of(names.begin(), names.end(),
                               [](const QLabel *name) { return name->text() == "tower.dwg"; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(listsTower(), 30000);
        host.documents()->closeAll();
        module->shutdown();
    }

private:
    TestHome m_home;
    PlatformProcess m_platform { PlatformProcess::Options { true, {}, {} } };
};

QTEST_MAIN(TestAurexOpen)
#include "tst_aurexopen.moc"
