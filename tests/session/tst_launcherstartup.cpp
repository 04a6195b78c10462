// The host started the way the platform's launcher starts it: launcher files in the user's
// folders, the module signing in silently and opening the launcher's model.

#include "platformprocess.h"
#include "testhome.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

class TestLauncherStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const PlatformProcess::Result demo = m_platform.run({ "demo" });
        QVERIFY2(demo.exitCode == 0, demo.err.constData());
        // "  bridge.dwg  AX000000001  <id>": the platform id is what the launcher names.
        const QRegularExpression line(QStringLiteral("^\\s*bridge\\.dwg\\s+\\S+\\s+(\\S+)\\s*$"),
                                      QRegularExpression::MultilineOption);
        m_bridgeId = line.match(QString::fromUtf8(demo.out)).captured(1);
        QVERIFY(!m_bridgeId.isEmpty());
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
    }

    void cookieSignsInAndOpensTheModel()
    {
        TestHome home;
        writeLauncherFiles(home, { "--model", m_bridgeId });
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
    void writeLauncherFiles(const TestHome &home, const QStringList &extra)
    {
        const PlatformProcess::Result result = m_platform.run(
            QStringList { "launcher-files", "--user", "alice", "--server-url", m_platform.serverUrl() }
                + extra,
            QByteArray(), home.environment());
        QVERIFY2(result.exitCode == 0, result.err.constData());
    }

    static QJsonObject startHost(const TestHome &home)
    {
        QProcess lintra;
        lintra.setProcessEnvironment(home.environment());
        lintra.start(LINTRA_BIN, { "--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                   "--print-ui", "--exit" });
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

    PlatformProcess m_platform;
    QString m_bridgeId;
};

QTEST_GUILESS_MAIN(TestLauncherStartup)
#include "tst_launcherstartup.moc"
