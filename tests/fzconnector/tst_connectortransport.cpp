// How the connector reaches a platform: TLS with a certificate it is told to trust, and its
// guard against file names and contents from a platform that would harm the local disk.

#include "connectortestsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <httplib.h>

#include <mutex>
#include <thread>

using namespace connectortest;

namespace {

const char kCaVariable[] = "FZCONNECTOR_CA_FILE";
const char kBadId[] = "0123456789ABCDEF0123456789ABCDEF";

// A platform that answers with whatever file names and checksums a test wants.
class HostilePlatform
{
public:
    explicit HostilePlatform(const QStringList &titles) : m_titles(titles)
    {
        m_server.Post("/cas/v1/login", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("{\"token\":\"t\"}", "application/json");
        });
        m_server.Post("/api/v1/details", [this](const httplib::Request &, httplib::Response &res) {
            QJsonArray results;
            for (const QString &title : m_titles) {
                results.append(QJsonObject{{"phid", kBadId}, {"title", title},
                                           {"name", "AX1"}, {"_filemodified", "x"}});
            }
            res.set_content(QJsonDocument(QJsonObject{{"results", results}}).toJson().toStdString(),
                            "application/json");
        });
        m_server.Get(R"(/api/v1/objects/([0-9A-F]{32}))",
                     [this](const httplib::Request &, httplib::Response &res) {
                         const QJsonObject object{{"phid", kBadId}, {"title", m_titles.first()}};
                         res.set_content(QJsonDocument(object).toJson().toStdString(),
                                         "application/json");
                     });
        m_server.Get(R"(/api/v1/objects/([0-9A-F]{32})/content)",
                     [](const httplib::Request &, httplib::Response &res) {
                         // The announced checksum is not the one of these bytes.
                         res.set_header("X-Aurex-SHA256", std::string(64, '0'));
                         res.set_content("damaged", "application/octet-stream");
                     });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~HostilePlatform()
    {
        m_server.stop();
        m_thread.join();
    }
    QString host() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    QStringList m_titles;
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

} // namespace

class TestConnectorTransport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hostileFileNamesAreRefused_data();
    void hostileFileNamesAreRefused();
    void damagedContentNeverLands();
    void tlsWithTrustedCertificate();
    void requestsGoThroughTheProxy();

private:
    QTemporaryDir m_dir;
};

void TestConnectorTransport::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TestConnectorTransport::hostileFileNamesAreRefused_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("parent folder") << "../escape.dwg";
    QTest::newRow("backslash parent folder") << "..\\escape.dwg";
    QTest::newRow("absolute path") << "/tmp/escape.dwg";
    QTest::newRow("drive letter") << "C:escape.dwg";
    QTest::newRow("sub-folder") << "sub/escape.dwg";
    QTest::newRow("dot dot alone") << "..";
    QTest::newRow("control character") << "esc\x01ape.dwg";
    QTest::newRow("empty") << "";
}

void TestConnectorTransport::hostileFileNamesAreRefused()
{
    QFETCH(QString, title);
    HostilePlatform platform({title});
    QVERIFY(connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas"));
    const QString folder = m_dir.filePath(QStringLiteral("hostile/inner"));
    QVERIFY(QDir().mkpath(folder));
    connector()->SetWorkingDirectory(folder);
    Record request = record({{"phid", kBadId}, {"_LOCALDOWNLOADFOLDER", folder}});
    QCOMPARE(connector()->Download_Block(std::vector<FzFileInfo *>{request.get()}).size(),
             size_t(1));
    QCOMPARE(valueOf(request.get(), "filename"), QString());
    QCOMPARE(connector()->Download_Block(QString::fromLatin1(kBadId)), QString());
    const QDir hostile(m_dir.filePath(QStringLiteral("hostile")));
    QCOMPARE(hostile.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"inner"});
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/escape.dwg")));
}

void TestConnectorTransport::damagedContentNeverLands()
{
    HostilePlatform platform({QStringLiteral("plain.dwg")});
    QVERIFY(connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas"));
    const QString folder = m_dir.filePath(QStringLiteral("damaged"));
    QVERIFY(QDir().mkpath(folder));
    QFile existing(folder + QStringLiteral("/plain.dwg"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("the user's own copy");
    existing.close();
    Record request = record({{"phid", kBadId}, {"_LOCALDOWNLOADFOLDER", folder}});
    const std::vector<std::string> failures =
        connector()->Download_Block(std::vector<FzFileInfo *>{request.get()});
    QCOMPARE(failures.size(), size_t(1));
    QVERIFY(QString::fromStdString(failures.front()).contains(QStringLiteral("damaged")));
    // The local copy is untouched and no temporary file is left behind.
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("the user's own copy"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"plain.dwg"});
}

void TestConnectorTransport::tlsWithTrustedCertificate()
{
    const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
    const QString key = m_dir.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                   "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
    if (!openssl.waitForStarted())
        QSKIP("the openssl command is not installed (scripts/setup installs it)");
    QVERIFY(openssl.waitForFinished(30000));
    QCOMPARE(openssl.exitCode(), 0);

    PlatformProcess::Options options;
    options.serveArguments = QStringList{QStringLiteral("--cert"), cert, QStringLiteral("--key"), key};
    PlatformProcess platform(options);
    QString error;
    QVERIFY2(platform.start(&error), qPrintable(error));
    QVERIFY(platform.addUser(QStringLiteral("grace"), QStringLiteral("grace-pw")));
    QVERIFY(platform.addSpace(QStringLiteral("Secure Space"), {QStringLiteral("grace")}));
    // The module hands a https platform over without its scheme.
    const QString host = QStringLiteral("127.0.0.1:%1").arg(platform.port());

    qunsetenv(kCaVariable);
    QVERIFY(!connector()->LxGatepassLogin("grace", "grace-pw", host, QString(), "/cas"));
    qputenv(kCaVariable, cert.toLocal8Bit());
    QVERIFY(connector()->LxGatepassLogin("grace", "grace-pw", host, QString(), "/cas"));
    QCOMPARE(connector()->GetListOfCollaborativeSpaces(), std::vector<std::string>{"Secure Space"});
    QVERIFY(!connector()->LxGatepassLogin("grace", "grace-pw",
                                          QStringLiteral("http://") + host, QString(), "/cas"));
    qunsetenv(kCaVariable);
}

void TestConnectorTransport::requestsGoThroughTheProxy()
{
    // A forwarding proxy sees absolute addresses; this one answers for the platform itself.
    httplib::Server proxy;
    QStringList seen;
    QString authorization;
    std::mutex mutex;
    auto answer = [&](const httplib::Request &request, httplib::Response &response) {
        std::lock_guard<std::mutex> lock(mutex);
        seen << QString::fromStdString(request.path);
        authorization = QString::fromStdString(request.get_header_value("Proxy-Authorization"));
        response.set_content(request.path.find("/cas/") != std::string::npos
                                 ? "{\"token\":\"t\"}"
                                 : "{\"spaces\":[\"Via Proxy\"]}",
                             "application/json");
    };
    proxy.Get(".*", answer);
    proxy.Post(".*", answer);
    const int port = proxy.bind_to_any_port("127.0.0.1");
    std::thread thread([&proxy] { proxy.listen_after_bind(); });

    connector()->SetProxySettings(QStringLiteral("127.0.0.1"), port, QStringLiteral("puser"),
                                  QStringLiteral("ppass"));
    const QString unreachable = QStringLiteral("http://127.0.0.1:1");
    const bool signedIn = connector()->LxGatepassLogin("u", "p", unreachable, QString(), "/cas");
    const std::vector<std::string> spaces = connector()->GetListOfCollaborativeSpaces();
    connector()->SetProxySettings(QString(), 0, QString(), QString());
    proxy.stop();
    thread.join();

    QVERIFY(signedIn);
    QCOMPARE(spaces, std::vector<std::string>{"Via Proxy"});
    QCOMPARE(seen, (QStringList{unreachable + "/cas/v1/login", unreachable + "/api/v1/spaces"}));
    QCOMPARE(authorization, QStringLiteral("Basic ") + QByteArray("puser:ppass").toBase64());
}

QTEST_GUILESS_MAIN(TestConnectorTransport)
#include "tst_connectortransport.moc"
