// The launcher's way in, end to end: aurex-open asks the host running the module (signed in to a
// real platform) to open a platform drawing, and the host opens the downloaded copy.

#include "hostenvironment.h"
#include "platformprocess.h"
#include "testhome.h"

#include <cfxdocument.h>
#include <hostdocumentmanager.h>
#include <loadedmodule.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
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
        // The launcher started the host with a model of its own to open.
        QVERIFY(m_platform.writeLauncherFiles("alice", m_home.environment(),
                                              {"--model", m_platform.demoObjectId("piers.dxf")}));
    }

    void opensTheModelInTheRunningHost()
    {
        HostEnvironment host;
        QString error;
        std::unique_ptr<LoadedModule> module = LoadedModule::load(AUREX_MODULE_FILE, &error);
        QVERIFY2(module, qPrintable(error));
        QCOMPARE(module->createViews(), 1);
        const auto currentName = [&host] {
            const CFxDocument *current = host.documents()->GetCurrentDocument();
            return current ? QFileInfo(current->GetPathName().toQString()).fileName() : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(currentName(), QString("piers.dxf"), 30000);

        // A drawing asked for afterwards is not taken for one the host opened on its own
        // before the launcher's model: it stays open beside it.
        QProcess client;
        client.setProcessEnvironment(m_home.environment());
        client.start(AUREX_OPEN_BIN, { m_platform.demoObjectId("tower.dwg") });
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
        QVERIFY2(client.exitCode() == 0, client.readAllStandardError().constData());

        QTRY_COMPARE_WITH_TIMEOUT(currentName(), QString("tower.dwg"), 30000);
        QVERIFY(QFileInfo(host.documents()->GetCurrentDocument()->GetPathName().toQString())
                    .size()
                > 0);
        QTest::qWait(0);
        QStringList open;
        for (int i = 0; i < host.documents()->GetDocumentCount(); ++i)
            open << QFileInfo(host.documents()->GetDocumentAt(i)->GetPathName().toQString())
                        .fileName();
        open.sort();
        QCOMPARE(open, QStringList({"piers.dxf", "tower.dwg"}));

        // A model the platform does not have: the user is told, and the box, once closed, is
        // gone, not kept hidden for the rest of the run.
        const auto boxes = [] {
            QList<QMessageBox *> found;
            for (QWidget *window : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(window))
                    found.append(box);
            return found;
        };
        QVERIFY(boxes().isEmpty());
        client.start(AUREX_OPEN_BIN, {"AX000999999"});
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(boxes().size() == 1 && boxes().first()->isVisible(), 30000);
        QVERIFY2(!boxes().first()->text().isEmpty(), "the box says nothing");
        boxes().first()->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(boxes().isEmpty());
        QCOMPARE(currentName(), QString("tower.dwg"));
        host.documents()->closeAll();
        module->shutdown();
    }

private:
    TestHome m_home;
    PlatformProcess m_platform { PlatformProcess::Options { true, {}, {} } };
};

QTEST_MAIN(TestAurexOpen)
#include "tst_aurexopen.moc"
