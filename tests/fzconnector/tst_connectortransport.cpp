// How the connector reaches a platform: TLS with a certificate it is told to trust, proxies,
// platforms that stall, and its guard against file names and contents from a platform that
// would harm the local disk.

#include "connectortestsupport.h"

#include "connector/connectorplatform.h"

#include <QtTest>

#include <httplib.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace connectortest;

namespace {

const char kCaVariable[] = "FZCONNECTOR_CA_FILE";
const char kBadId[] = "0123456789ABCDEF0123456789ABCDEF";

// A server on 127.0.0.1 that serves on a thread of its own from start() until it goes.
class LocalServer : public httplib::Server
{
public:
    ~LocalServer() override { halt(); }
    // Returns once the server listens: one stopped before its thread got to listening would
    // listen for ever, and joining its thread would never end.
    void start()
    {
        m_port = bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { listen_after_bind(); });
        for (int waited = 0; !is_running() && waited < 5000; ++waited)
            QThread::msleep(1);
    }
    void halt()
    {
        stop();
        if (m_thread.joinable())
            m_thread.join();
    }
    void answerAll(const Handler &handler)
    {
        Get(".*", handler);
        Post(".*", handler);
    }
    void answerSignIn()
    {
        Post("/cas/v1/login", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("{\"token\":\"t\"}", "application/json");
        });
    }
    int port() const { return m_port; }
    QString host() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    int m_port = 0;
    std::thread m_thread;
};

// A platform that answers with whatever file name a test wants, and content whose announced
// checksum is not the one of its bytes.
class HostilePlatform : public LocalServer
{
public:
    explicit HostilePlatform(const QString &title)
    {
        const QJsonObject object{{"phid", kBadId}, {"title", title}, {"name", "AX1"},
                                 {"_filemodified", "x"}};
        answerSignIn();
        Post("/api/v1/details", [this, object](const httplib::Request &req,
                                               httplib::Response &res) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_authorizations << QString::fromStdString(req.get_header_value("Authorization"));
            }
            const QJsonObject answer{{"results", QJsonArray{object}}};
            res.set_content(QJsonDocument(answer).toJson().toStdString(), "application/json");
        });
        Get(R"(/api/v1/objects/([0-9A-F]{32}))", [object](const httplib::Request &,
                                                         httplib::Response &res) {
            res.set_content(QJsonDocument(object).toJson().toStdString(), "application/json");
        });
        Get(R"(/api/v1/objects/([0-9A-F]{32})/content)",
            [](const httplib::Request &, httplib::Response &res) {
                res.set_header("X-Aurex-SHA256", std::string(64, '0'));
                res.set_content("damaged", "application/octet-stream");
            });
        start();
    }
    // The Authorization header of each details request received.
    QStringList authorizations()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_authorizations;
    }

private:
    std::mutex m_mutex; // guards m_authorizations
    QStringList m_authorizations;
};

// A platform that signs anyone in, then takes requests and never answers them.
class StallingPlatform : public LocalServer
{
public:
    StallingPlatform()
    {
        answerSignIn();
        answerAll([this](const httplib::Request &, httplib::Response &) {
            while (!m_released)
                QThread::msleep(10);
        });
        start();
    }
    ~StallingPlatform() override { m_released = true; }

private:
    std::atomic<bool> m_released{false};
};

// What the process printed through Qt's message handler while collectPrinted was installed.
std::mutex printedMutex;
QStringList printed; // guarded by printedMutex

void collectPrinted(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    std::lock_guard<std::mutex> lock(printedMutex);
    printed << QString::fromLatin1(context.category) + QStringLiteral(": ") + message;
}

} // namespace

class TestConnectorTransport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    // A file name that would leave the download folder, or content that is not what the
    // platform announced: nothing lands, and the user's own copy of a file stays as it was.
    void hostileDownloadsLeaveTheDiskAlone_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("reason"); // the failure's
        QTest::newRow("parent folder") << "../escape.dwg" << "not a file name";
        QTest::newRow("backslash parent folder") << "..\\escape.dwg" << "not a file name";
        QTest::newRow("absolute path") << "/tmp/escape.dwg" << "not a file name";
        QTest::newRow("damaged content") << "plain.dwg" << "arrived damaged";
    }

    void hostileDownloadsLeaveTheDiskAlone()
    {
        QFETCH(QString, title);
        QFETCH(QString, reason);
        HostilePlatform platform(title);
        QVERIFY(connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas"));
        const QDir outer(m_dir.filePath(QTest::currentDataTag()));
        const QString folder = outer.filePath(QStringLiteral("inner"));
        QVERIFY(QDir().mkpath(folder));
        QFile own(writeFile(folder, QStringLiteral("plain.dwg"), "the user's own copy"));
        Record request = record({{"phid", kBadId}});
        const std::vector<std::string> failures = downloadInto(request.get(), folder);
        QCOMPARE(failures.size(), size_t(1));
        QVERIFY2(QString::fromStdString(failures.front()).contains(reason),
                 failures.front().c_str());
        QCOMPARE(valueOf(request.get(), "filename"), QString());
        connector()->SetWorkingDirectory(folder);
        QCOMPARE(connector()->Download_Block(QString::fromLatin1(kBadId)), QString());
        // No temporary file is left behind either.
        const QDir::Filters all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
        QCOMPARE(outer.entryList(all), QStringList{"inner"});
        QCOMPARE(QDir(folder).entryList(all), QStringList{"plain.dwg"});
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(own.readAll(), QByteArray("the user's own copy"));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/escape.dwg")));
    }

    void tokenNeverReachesAnotherServer()
    {
        HostilePlatform first(QStringLiteral("plain.dwg"));
        HostilePlatform second(QStringLiteral("plain.dwg"));
        Record request = record({{"phid", kBadId}});
        QVERIFY(connector()->LxGatepassLogin("u", "p", first.host(), QString(), "/cas"));
        downloadInto(request.get(), m_dir.path());
        QCOMPARE(first.authorizations(), QStringList{"Bearer t"});
        connector()->SetServer(second.host());
        downloadInto(request.get(), m_dir.path());
        QCOMPARE(second.authorizations(), QStringList());
    }

    void tlsWithTrustedCertificate()
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

        PlatformProcess platform(
            PlatformProcess::Options{false, {"--cert", cert, "--key", key}, {}});
        QString error;
        QVERIFY2(platform.start(&error), qPrintable(error));
        QVERIFY(platform.addUser(QStringLiteral("grace"), QStringLiteral("grace-password")));
        QVERIFY(platform.addSpace(QStringLiteral("Secure Space"), {QStringLiteral("grace")}));
        // The module hands a https platform over without its scheme.
        const QString host = QStringLiteral("127.0.0.1:%1").arg(platform.port());

        // Not trusted: the user reads why, not that the password is wrong.
        qunsetenv(kCaVariable);
        QVERIFY(!connector()->LxGatepassLogin("grace", "grace-password", host, QString(), "/cas"));
        QCOMPARE(connector()->GetCertificateProblem(), QString("self-signed certificate"));
        ConnectorPlatform platformGlue(connector());
        QCOMPARE(platformGlue.failureText("Authentication failed"),
                 QString("The AUREX Platform's certificate is not trusted: self-signed "
                         "certificate."));
        // Trusted, and for a call over plain HTTP, no certificate problem is left.
        qputenv(kCaVariable, cert.toLocal8Bit());
        QVERIFY(connector()->LxGatepassLogin("grace", "grace-password", host, QString(), "/cas"));
        QCOMPARE(connector()->GetCertificateProblem(), QString());
        QCOMPARE(connector()->GetListOfCollaborativeSpaces(),
                 std::vector<std::string>{"Secure Space"});
        qunsetenv(kCaVariable);
    }

    void requestsGoThroughTheProxy_data()
    {
        QTest::addColumn<QString>("proxy");
        QTest::addColumn<QStringList>("paths"); // what the proxy was asked for
        const QString login = QStringLiteral("http://127.0.0.1:1/cas/v1/login");
        // A forwarding proxy sees absolute addresses; this one answers for the platform itself.
        QTest::newRow("proxy answers for the platform")
            << "answers" << QStringList{login, "http://127.0.0.1:1/api/v1/spaces"};
        QTest::newRow("proxy refuses, echoing what it received") << "echoes" << QStringList{login};
    }

    void requestsGoThroughTheProxy()
    {
        QFETCH(QString, proxy);
        QFETCH(QStringList, paths);
        LocalServer server;
        QStringList seen;
        QString authorization;
        std::mutex mutex;
        server.answerAll([&](const httplib::Request &request, httplib::Response &response) {
            const std::string sent = request.get_header_value("Proxy-Authorization");
            {
                std::lock_guard<std::mutex> lock(mutex);
                seen << QString::fromStdString(request.path);
                authorization = QString::fromStdString(sent);
            }
            if (proxy == QLatin1String("answers")) {
                response.set_content(request.path.find("/cas/") != std::string::npos
                                         ? "{\"token\":\"t\"}"
                                         : "{\"spaces\":[\"Via Proxy\"]}",
                                     "application/json");
                return;
            }
            response.status = 407;
            const QByteArray credentials = QByteArray::fromBase64(QByteArray(sent.data()).mid(6));
            const QJsonObject answer{{"error", QStringLiteral("refused %1 (%2) for %3")
                                                   .arg(QString::fromStdString(sent),
                                                        QString::fromUtf8(credentials),
                                                        QString::fromStdString(request.body))}};
            response.set_content(QJsonDocument(answer).toJson().toStdString(), "application/json");
        });
        server.start();

        QLoggingCategory::setFilterRules(QStringLiteral("fzconnector.debug=true"));
        printed.clear();
        const QtMessageHandler previous = qInstallMessageHandler(&collectPrinted);
        connector()->SetProxySettings(QStringLiteral("127.0.0.1"), server.port(),
                                      QStringLiteral("puser"), QStringLiteral("ppass"));
        const bool signedIn = connector()->LxGatepassLogin("u", "u-secret-pw", "http://127.0.0.1:1",
                                                           QString(), "/cas");
        const std::vector<std::string> spaces = connector()->GetListOfCollaborativeSpaces();
        connector()->SetProxySettings(QString(), 0, QString(), QString());
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        server.halt();
        const QString output = printed.join(QLatin1Char('\n'));

        const bool answers = proxy == QLatin1String("answers");
        QCOMPARE(signedIn, answers);
        QCOMPARE(spaces,
                 answers ? std::vector<std::string>{"Via Proxy"} : std::vector<std::string>());
        QCOMPARE(seen, paths);
        QCOMPARE(authorization, QStringLiteral("Basic ") + QByteArray("puser:ppass").toBase64());
        // What a refusing proxy says is printed; the secrets it was sent are not.
        QVERIFY2(output.contains(QStringLiteral("407")) == !answers, qPrintable(output));
        for (const char *secret : {"ppass", "cHVzZXI6cHBhc3M=", "u-secret-pw"})
            QVERIFY2(!output.contains(QLatin1String(secret)), qPrintable(output));
    }

    void stalledPlatformLetsTheCallerGo()
    {
        StallingPlatform platform;
        qputenv("FZCONNECTOR_TIMEOUT", "2");
        QVERIFY(connector()->LxGatepassLogin("u", "p", platform.host(), QString(), "/cas"));
        const Record query = record({{"_TypePattern", "*"}});
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!connector()->SearchPattern(query.get()));
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        qunsetenv("FZCONNECTOR_TIMEOUT");
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestConnectorTransport)
#include "tst_connectortransport.moc"
