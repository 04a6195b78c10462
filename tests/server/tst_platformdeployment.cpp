// The platform as a team runs it: two processes on one PostgreSQL database behind nginx, which
// ends TLS with a certificate of the test's own, configured from server/deploy/nginx.conf. The
// connector signs in, checks in and locks through nginx; both processes see the result.
// Skipped, saying why, where PostgreSQL or nginx is not installed.

#include "../fzconnector/connectortestsupport.h"
#include "platformclient.h"
#include "postgrescluster.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace connectortest;

namespace {

const qint64 kMiB = 1024 * 1024;

QString nginxBinary()
{
    return QStandardPaths::findExecutable("nginx", {"/usr/sbin", "/usr/local/sbin", "/usr/bin"});
}

// A port nobody listens on now, for a program that takes no port 0.
int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

bool run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    *output = QString::fromLocal8Bit(process.readAll());
    return ok;
}

} // namespace

class TestPlatformDeployment : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void workThroughTheProxyIsSeenByBothProcesses();
    void largeFileStreamsThroughTheProxy();

private:
    bool startNginx(QString *error);

    QTemporaryDir m_dir;
    std::unique_ptr<PostgresCluster> m_cluster;
    std::unique_ptr<PlatformProcess> m_first;
    std::unique_ptr<PlatformProcess> m_second;
    QProcess m_nginx;
    QString m_proxyHost;
};

void TestPlatformDeployment::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    if (!PostgresCluster::unavailableReason().isEmpty())
        QSKIP(qPrintable(PostgresCluster::unavailableReason()));
    if (nginxBinary().isEmpty())
        QSKIP("nginx not found (install nginx-light, as scripts/setup does)");
    QVERIFY(m_dir.isValid());
    m_cluster = std::make_unique<PostgresCluster>();
    QString error;
    QVERIFY2(m_cluster->start(&error), qPrintable(error));

    PlatformProcess::Options options;
    options.databaseUrl = m_cluster->databaseUrl();
    options.serveArguments = QStringList{"--trusted-proxy", "127.0.0.1"};
    options.demo = true;
    m_first = std::make_unique<PlatformProcess>(options);
    QVERIFY2(m_first->start(&error), qPrintable(error));
    options.demo = false;
    m_second = std::make_unique<PlatformProcess>(options);
    QVERIFY2(m_second->start(&error), qPrintable(error));
    QVERIFY2(startNginx(&error), qPrintable(error));

    qputenv("FZCONNECTOR_CA_FILE", QFile::encodeName(m_dir.filePath("cert.pem")));
    LintraAurexConnectorWrapper *c = connector();
    c->SetServer(m_proxyHost);
    QVERIFY(c->LxGatepassLogin("alice", "alice-demo-pw", m_proxyHost, QString(), "/cas"));
}

bool TestPlatformDeployment::startNginx(QString *error)
{
    const QString prefix = m_dir.path();
    if (!run("openssl",
             {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
              "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
              "subjectAltName=IP:127.0.0.1", "-keyout", prefix + "/key.pem", "-out",
              prefix + "/cert.pem"},
             error))
        return false;
    QFile example(QStringLiteral(AUREX_SOURCE_DIR "/server/deploy/nginx.conf"));
    QFile config(prefix + "/nginx.conf");
    const int port = freePort();
    if (!example.open(QIODevice::ReadOnly) || !config.open(QIODevice::WriteOnly) || port == 0) {
        *error = "cannot write the nginx configuration";
        return false;
    }
    QString text = QString::fromUtf8(example.readAll());
    text.replace(QLatin1String("@PREFIX@"), prefix);
    text.replace(QLatin1String("@LISTEN@"), QStringLiteral("127.0.0.1:%1").arg(port));
    text.replace(QLatin1String("@UPSTREAM_SERVERS@"),
                 QStringLiteral("server 127.0.0.1:%1;\n        server 127.0.0.1:%2;")
                     .arg(m_first->port())
                     .arg(m_second->port()));
    config.write(text.toUtf8());
    config.close();
    // nginx's workers, when started by root, run as another user and must reach the folder.
    QFile::setPermissions(prefix, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                      | QFileDevice::ExeOther);
    m_nginx.setProcessChannelMode(QProcess::MergedChannels);
    m_nginx.start(nginxBinary(),
                  {"-p", prefix, "-c", config.fileName(), "-e", prefix + "/error.log"});
    m_proxyHost = QStringLiteral("127.0.0.1:%1").arg(port);
    m_nginx.waitForStarted(10000);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000 && m_nginx.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        if (probe.waitForConnected(500))
            return true;
        QThread::msleep(100);
    }
    QFile log(prefix + "/error.log");
    log.open(QIODevice::ReadOnly);
    *error = "nginx did not start: " + QString::fromLocal8Bit(m_nginx.readAll())
        + QString::fromLocal8Bit(log.readAll());
    return false;
}

void TestPlatformDeployment::cleanupTestCase()
{
    if (m_nginx.state() != QProcess::NotRunning) {
        m_nginx.terminate();
        m_nginx.waitForFinished(10000);
    }
    m_second.reset();
    m_first.reset();
    m_cluster.reset();
}

void TestPlatformDeployment::workThroughTheProxyIsSeenByBothProcesses()
{
    const QString folder = m_dir.filePath("work");
    QVERIFY(QDir().mkpath(folder));
    QFile file(folder + "/quay.dwg");
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("quay v1\n") == 8);
    file.close();
    const Record quay = newFileRecord(file.fileName(), "Common Space");
    QVERIFY(connector()->CheckIn(quay.get()));
    QCOMPARE(connector()->GetTransactionListSize(), 1);
    FzFileInfo stored(*connector()->GetTransactionFileAt(0));
    QVERIFY(connector()->LockFile(&stored));

    // Each process, asked directly, has the file and alice's lock, and refuses carol the lock.
    for (PlatformProcess *platform : {m_first.get(), m_second.get()}) {
        PlatformClient carol(platform->serverHost());
        QCOMPARE(carol.signIn("carol", "carol-demo-pw"), 200);
        const QJsonObject found = carol.find("quay.dwg");
        QCOMPARE(found.value("_LockedBy").toString(), QString("alice"));
        QCOMPARE(carol.post("/api/v1/lock", {{"ref", QJsonObject{{"phid", found["phid"]}}}}), 409);
    }
    // Through the proxy, whichever process answers, the lock is alice's to give back.
    for (int i = 0; i < 4; ++i)
        QCOMPARE(valueOf(find("quay.dwg").get(), "_LockedBy"), QString("alice"));
    QVERIFY(connector()->UnlockFile(&stored));
}

void TestPlatformDeployment::largeFileStreamsThroughTheProxy()
{
    const QString folder = m_dir.filePath("large");
    QVERIFY(QDir().mkpath(folder + "/back"));
    const QString path = folder + "/survey.dwg";
    QVERIFY(makeSparseFile(path, 96 * kMiB));
    const Record survey = newFileRecord(path, "Common Space");
    bool checkedIn = false;
    bool downloaded = false;
    // Either process may serve either transfer; each holds a few blocks per transfer.
    qint64 secondGrowth = 0;
    const qint64 firstGrowth = m_first->memoryGrowthDuring([&] {
        secondGrowth = m_second->memoryGrowthDuring([&] {
            checkedIn = connector()->CheckIn(survey.get())
                && connector()->GetTransactionListSize() == 1;
            if (!checkedIn)
                return;
            FzFileInfo stored(*connector()->GetTransactionFileAt(0));
            stored.SetProperty("_LOCALDOWNLOADFOLDER", (folder + "/back").toStdString());
            downloaded = connector()->Download_Block(std::vector<FzFileInfo *>{&stored}).empty();
        });
    });
    QVERIFY(checkedIn);
    QVERIFY(downloaded);
    QCOMPARE(sha256Of(folder + "/back/survey.dwg"), sha256Of(path));
    for (const qint64 growth : {firstGrowth, secondGrowth})
        QVERIFY2(growth < 32 * kMiB, qPrintable(QString::number(growth / kMiB) + " MiB"));
}

QTEST_GUILESS_MAIN(TestPlatformDeployment)
#include "tst_platformdeployment.moc"
