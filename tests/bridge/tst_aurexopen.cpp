// The launcher's way in, end to end: aurex-open asks the host running the module (signed in to a
// real platform) to open a platform drawing, and the host opens the downloaded copy.

#include "hostenvironment.h"
#include "platformprocess.h"
#include "testhome.h"

#include <cfxdocument.h>
#include <hostdocumentmanager.h>
#include <loadedmodule.h>

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

        QTRY_VERIFY_WITH_TIMEOUT(host.documents()->GetCurrentDocument(), 30000);
        const QFileInfo opened(host.documents()->GetCurrentDocument()->GetPathName().toQString());
        QCOMPARE(opened.fileName(), QString("tower.dwg"));
        QVERIFY(opened.size() > 0);
        host.documents()->closeAll();
        module->shutdown();
    }

private:
    TestHome m_home;
    PlatformProcess m_platform { PlatformProcess::Options { true, {}, {} } };
};

QTEST_MAIN(TestAurexOpen)
#include "tst_aurexopen.moc"
