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
        QVERIFY(m_platform.writeLauncherFiles("alice", home.environment(),
                                              { "--model", m_platform.demoObjectId("bridge.dwg") }));
        const QJsonObject ui = startHost(home);
        QCOMPARE(signInCaption(ui), QString("Sign Out of AUREX Platform"));
        const QJsonArray documents = ui.value("documents").toArray();
        QCOMPARE(documents.size(), 1);
        const QString model = documents.at(0).toString();
        QCOMPARE(QFileInfo(model).fileName(), QString("bridge.dwg"));
        QVERIFY2(model.startsWith(home.tempFolder()), qPrintable(model));
        QVERIFY(QFileInfo(model).size() > 0);
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

    // The caption of the sign-in/sign-out entry of the current workspace's File menu.
    static QString signInCaption(const QJsonObject &ui)
    {
        for (const QJsonValue &workspace : ui.value("workspaces").toArray()) {
            for (const QJsonValue &menu : workspace.toObject().value("menus").toArray()) {
                const QJsonObject file = menu.toObject();
                if (file.value("id").toString() != "ID_MnFile")
                    continue;
                const QJsonObject popup = file.value("entries").toArray().at(4).toObject();
                return popup.value("entries").toArray().at(3).toObject().value("caption").toString();
            }
        }
        return QString();
    }

    PlatformProcess m_platform { PlatformProcess::Options { true, {}, {} } };
};

QTEST_GUILESS_MAIN(TestLauncherStartup)
#include "tst_launcherstartup.moc"
