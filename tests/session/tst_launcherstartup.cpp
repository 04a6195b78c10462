// The host started the way the platform's launcher starts it: launcher files in the user's
// folders, the module signing in silently and opening the launcher's model.

#include "platformprocess.h"
#include "testhome.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TestLauncherStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
    }

    void cookieSignsInAndOpensTheModel()
    {
        TestHome home;
        const QString model = m_platform.demoObjectId("bridge.dwg");
        QVERIFY(m_platform.writeLauncherFiles("alice", home.environment(), { "--model", model }));
        const QJsonObject ui = startHost(home);
        // Signed in (else nothing would come down) and opened from the temporary folder.
        const QJsonArray documents = ui.value("documents").toArray();
        QCOMPARE(documents.size(), 1);
        const QString opened = documents.at(0).toString();
        QCOMPARE(QFileInfo(opened).fileName(), QString("bridge.dwg"));
        QVERIFY2(opened.startsWith(home.tempFolder()), qPrintable(opened));
        QVERIFY(QFileInfo(opened).size() > 0);
    }

private:
    static QJsonObject startHost(const TestHome &home)
    {
        QProcess lintra;
        lintra.setProcessEnvironment(home.environment());
        // The model arrives while the host runs: the script waits for its drawing to show.
        if (!home.write("wait.scr", "_UIWAIT DrawingView 30\n"))
            return QJsonObject();
        lintra.start(LINTRA_BIN, { "--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                   "--script", home.filePath("wait.scr"), "--print-ui",
                                   "--exit" });
        if (!lintra.waitForFinished(60000) || lintra.exitCode() != 0)
            return QJsonObject();
        return QJsonDocument::fromJson(lintra.readAllStandardOutput()).object();
    }

    PlatformProcess m_platform { PlatformProcess::Options { true, {}, {} } };
};

QTEST_GUILESS_MAIN(TestLauncherStartup)
#include "tst_launcherstartup.moc"
