// How the connector reaches a platform: TLS with a certificate it is told to trust, proxies,
// platforms that stall, and its guard against file names and contents from a platform that
// would harm the local disk.

#include "connectortestsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <httplib.h>

#include <condition_variable>
#include <mutex>
#include <chrono>
#include <thread>

using namespace connectortest;

namespace {

const char kCaVariable[] = "FZCONNECTOR_CA_FILE";
const char kBadId[] = "0123456789ABCDEF0123456789ABCDEF";

// A platform that answers with whatever file names and checksums a test wants.
// Serves on a thread of its own and returns once the server listens: a server stopped before
// its thread got to listening would listen for ever, and joining its thread would never end.
std::thread listenInBackground(httplib::Server &server)
{
    std::thread thread([&server] { server.listen_after_bind(); });
    for (int waited = 0; !server.is_running() && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return thread;
}

class HostilePlatform
{
public:
    explicit HostilePlatform(const QStringList &titles) : m_titles(titles)
    {
        m_server.Post("/cas/v1/login", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("{\"token\":\"t\"}", "application/json");
        });
        m_server.Post("/api/v1/details", [this](const httplib::Request &req, httplib::Response &res) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_authorizations << QString::fromStdString(req.get_header_value("Authorization"));
            }
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
        m_thread = listenInBackground(m_server);
    }
    ~HostilePlatform()
    {
        m_server.stop();
        m_thread.join();
    }
    QString host() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    // The Authorization header of each details request received.
    QStringList authorizations()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_authorizations;
    }

private:
    QStringList m_titles;
    std::mutex m_mutex; // guards m_authorizations
    QStringList m_authorizations;
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

// A platform that takes requests and never answers them, except, when asked to, the sign-in.
class StallingPlatform
{
public:
    explicit StallingPlatform(bool answersSignIn)
    {
        auto stall = [this](const httplib::Request &, httplib::Response &) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_released.wait(lock, [this] { return m_done; });
        };
        if (answersSignIn) {
            m_server.Post("/cas/v1/login", [](const httplib::Request &, httplib::Response &res) {
                res.set_content("{\"token\":\"t\"}", "application/json");
            });
        }
        m_server.Get(".*", stall);
        m_server.Post(".*", stall);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = listenInBackground(m_server);
    }
    ~StallingPlatform()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_released.notify_all();
        m_server.stop();
        m_thread.join();
    }
    QString host() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_done = false; // guarded by m_mutex
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

// Collects everything the process prints through Qt's message handler while it lives.
class PrintedMessages
{
public:
    PrintedMessages()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&PrintedMessages::collect);
    }
    ~PrintedMessages() { qInstallMessageHandler(m_previous); }
    QString all() const
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        return s_messages.join(QLatin1Char('\n'));
    }

private:
    static void collect(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_messages << QString::fromLatin1(context.category) + QStringLiteral(": ") + message;
    }

    static std::mutex s_mutex;
    static QStringList s_messages; // guarded by s_mutex
    QtMessageHandler m_previous = nullptr;
};

std::mutex PrintedMessages::s_mutex;
QStringList PrintedMessages::s_messages;

} // namespace

class TestConnectorTransport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hostileFileNamesAreRefused_data();
    void hostileFileNamesAreRefused();
    void currentLocalCopyDoesNotExcuseAHostileName_data();
    void currentLocalCopyDoesNotExcuseAHostileName();
    void tokenNeverReachesAnotherServer();
    void damagedContentNeverLands();
    void tlsWithTrustedCertificate();
    void requestsGoThroughTheProxy();
    void refusingProxyLearnsNothingPrinted_data();
    void refusingProxyLearnsNothingPrinted();
    void stalledPlatformLetsTheCallerGo_data();
    void stalledPlatformLetsTheCallerGo();

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

void TestConnectorTransport::currentLocalCopyDoesNotExcuseAHostileName_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("parent folder") << "../escape.dwg";
    QTest::newRow("sub-folder") << "sub/escape.dwg";
}

void TestConnectorTransport::currentLocalCopyDoesNotExcuseAHostileName()
{
    // A file already lies where the hostile name points, with the stamp the platform announces,
    // so a download would be skipped as current: the name must be refused all the same.
    QFETCH(QString, title);
    HostilePlatform platform({title});
    QVERIFY(connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas"));
    const QString folder = m_dir.filePath(QStringLiteral("current/inner"));
    const QString target = QDir(folder).filePath(title);
    QVERIFY(QDir().mkpath(QFileInfo(target).path()));
    QFile planted(target);
    QVERIFY(planted.open(QIODevice::WriteOnly));
    planted.close();
    Record request = record({{"phid", kBadId}, {"_LOCALDOWNLOADFOLDER", folder},
                             {"_LOCALTIMESTAMP", "x"}});
    QCOMPARE(connector()->Download_Block(std::vector<FzFileInfo *>{request.get()}).size(),
             size_t(1));
    QCOMPARE(valueOf(request.get(), "filename"), QString());
}

void TestConnectorTransport::tokenNeverReachesAnotherServer()
{
    HostilePlatform first({QStringLiteral("plain.dwg")});
    HostilePlatform second({QStringLiteral("plain.dwg")});
    Record request = record({{"phid", kBadId}, {"_LOCALDOWNLOADFOLDER", m_dir.path()}});
    const std::vector<FzFileInfo *> records{request.get()};
    QVERIFY(connector()->LxGatepassLogin("u", "p", first.host(), QString(), "/cas"));
    connector()->Download_Block(records);
    QCOMPARE(first.authorizations(), QStringList{"Bearer t"});

    connector()->SetServer(second.host());
    connector()->Download_Block(records);
    QCOMPARE(second.authorizations(), QStringList());
    connector()->SetServer(first.host());
    connector()->Download_Block(records);
    QCOMPARE(first.authorizations(), QStringList{"Bearer t"});
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
    std::thread thread = listenInBackground(proxy);

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

void TestConnectorTransport::refusingProxyLearnsNothingPrinted_data()
{
    QTest::addColumn<bool>("echoes");
    QTest::newRow("proxy refuses") << false;
    QTest::newRow("proxy echoes what it received") << true;
}

void TestConnectorTransport::refusingProxyLearnsNothingPrinted()
{
    QFETCH(bool, echoes);
    httplib::Server proxy;
    auto refuse = [echoes](const httplib::Request &request, httplib::Response &response) {
        response.status = 407;
        if (echoes) {
            const QByteArray credentials = QByteArray::fromBase64(
                QByteArray::fromStdString(request.get_header_value("Proxy-Authorization"))
                    .mid(6));
            const QString message = QStringLiteral("refused %1 (%2) for %3")
                                        .arg(QString::fromStdString(
                                                 request.get_header_value("Proxy-Authorization")),
                                             QString::fromUtf8(credentials),
                                             QString::fromStdString(request.body));
            response.set_content(QJsonDocument(QJsonObject{{"error", message}})
                                     .toJson()
                                     .toStdString(),
                                 "application/json");
        } else {
            response.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
            response.set_content("<html><body>Proxy Authentication Required</body></html>",
                                 "text/html");
        }
    };
    proxy.Get(".*", refuse);
    proxy.Post(".*", refuse);
    const int port = proxy.bind_to_any_port("127.0.0.1");
    std::thread thread = listenInBackground(proxy);

    QLoggingCategory::setFilterRules(QStringLiteral("fzconnector.debug=true"));
    bool signedIn = true;
    std::vector<std::string> spaces{"not asked"};
    QString printed;
    {
        const PrintedMessages messages;
        connector()->SetProxySettings(QStringLiteral("127.0.0.1"), port, QStringLiteral("puser"),
                                      QStringLiteral("ppass"));
        signedIn = connector()->LxGatepassLogin("u", "u-secret-pw", "http://127.0.0.1:1",
                                                QString(), "/cas");
        spaces = connector()->GetListOfCollaborativeSpaces();
        connector()->SetProxySettings(QString(), 0, QString(), QString());
        printed = messages.all();
    }
    QLoggingCategory::setFilterRules(QString());
    proxy.stop();
    thread.join();

    QVERIFY(!signedIn);
    QVERIFY(spaces.empty());
    QVERIFY2(printed.contains(QStringLiteral("407")), qPrintable(printed));
    for (const char *secret : {"ppass", "cHVzZXI6cHBhc3M=", "u-secret-pw"})
        QVERIFY2(!printed.contains(QLatin1String(secret)), qPrintable(printed));
}

void TestConnectorTransport::stalledPlatformLetsTheCallerGo_data()
{
    QTest::addColumn<QString>("call");
    QTest::newRow("password sign-in") << "password";
    QTest::newRow("cookie sign-in") << "cookie";
    QTest::newRow("search") << "search";
    QTest::newRow("list of spaces") << "spaces";
}

void TestConnectorTransport::stalledPlatformLetsTheCallerGo()
{
    QFETCH(QString, call);
    const bool signInFirst = call == QLatin1String("search") || call == QLatin1String("spaces");
    StallingPlatform platform(signInFirst);
    qputenv("FZCONNECTOR_TIMEOUT", "2");
    if (signInFirst)
        QVERIFY(connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas"));
    QElapsedTimer timer;
    timer.start();
    bool answered = true;
    if (call == QLatin1String("password")) {
        answered = connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas");
    } else if (call == QLatin1String("cookie")) {
        answered = connector()->LoginWithCASCookie_Block("cookie", QString(), platform.host(),
                                                         "/cas");
    } else if (call == QLatin1String("search")) {
        const Record query = record({{"_TypePattern", "*"}});
        answered = connector()->SearchPattern(query.get());
    } else {
        answered = !connector()->GetListOfCollaborativeSpaces().empty();
    }
    const qint64 elapsed = timer.elapsed();
    qunsetenv("FZCONNECTOR_TIMEOUT");
    QVERIFY(!answered);
    QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
}

QTEST_GUILESS_MAIN(TestConnectorTransport)
#include "tst_connectortransport.moc"
