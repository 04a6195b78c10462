// The platform's administration commands, launcher files, dashboard and process behaviour.

#include "platformclient.h"
#include "platformprocess.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <httplib.h>

#include <sys/stat.h>

namespace {

// The permission bits of a file or folder; -1 when it is not there.
int modeOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

// The file's elements, one a line: the name, then each attribute as name=value, then the text
// in brackets.
QString outline(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(no file)");
    QXmlStreamReader xml(&file);
    QStringList lines;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            lines << xml.name().toString();
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                lines.last() += QStringLiteral(" %1=%2").arg(attribute.name(), attribute.value());
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            lines.last() += QStringLiteral(" [%1]").arg(xml.text());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

// The cookie in an outline of launcher parameters, replaced there with COOKIE.
QString takeCookie(QString *outline)
{
    const QString cookie =
        QRegularExpression(QStringLiteral("CasCookie=(\\S*)")).match(*outline).captured(1);
    outline->replace(cookie, QStringLiteral("COOKIE"));
    return cookie;
}

} // namespace

class TestPlatformAdmin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void launcherFilesSignTheUserIn();
    void dashboardShowsOnlyTheUsersFiles();
    void passwordChangeEndsSessions();
    void tenantsKeepTheirSpacesApart();
    void commandErrors_data();
    void commandErrors();
    void logsHoldNoCredentialAndStopIsGraceful();
    void dataFolderIsPrivate();

private:
    int signInStatus(const QJsonObject &body, std::string *token = nullptr);

    std::unique_ptr<PlatformProcess> m_platform;
};

void TestPlatformAdmin::initTestCase()
{
    QString error;
    m_platform = PlatformProcess::startDemo(&error);
    QVERIFY2(m_platform, qPrintable(error));
}

int TestPlatformAdmin::signInStatus(const QJsonObject &body, std::string *token)
{
    QJsonObject answer;
    const int status = PlatformClient(m_platform->serverHost())
                           .post(body.contains("cookie") ? "/cas/v1/cookie" : "/cas/v1/login",
                                 body, &answer);
    if (token)
        *token = answer.value("token").toString().toStdString();
    return status;
}

void TestPlatformAdmin::launcherFilesSignTheUserIn()
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    QVERIFY(m_platform->writeLauncherFiles(
        "bob", environment,
        {"--space", "Bridge Project", "--model", "0123456789ABCDEF0123456789ABCDEF",
         "--preferred-context", "true"}));

    const QString params = home.filePath("config/fzcachedir/FzxAppLauncherParams.xml");
    // The file holds a credential: neither group nor others may read it.
    QCOMPARE(modeOf(params), 0600);
    QString written = outline(params);
    const QString cookie = takeCookie(&written);
    QCOMPARE(cookie.size(), 43);
    QCOMPARE(written, QStringLiteral("FzxAppLauncher\nParams ServerUrl=%1 CasCookie=COOKIE"
                                     " NamedSpace=Bridge Project Tenant="
                                     " ModelID=0123456789ABCDEF0123456789ABCDEF"
                                     " PreferredContext=true\nEenvironment TMURMLYER_CAS_URL=%2")
                          .arg(m_platform->serverUrl(), m_platform->casUrl()));
    const QString apps = QStringLiteral("apps\napp\nid [XHUBDECK_AP]\nlaunchInfos [%1/dashboard]")
                             .arg(m_platform->serverHost());
    QCOMPARE(outline(home.filePath("data/fzcachedir/FzxAppsInfo.xml")), apps);

    // Without an address the one the running server published is taken; folders may be named.
    const QString folder = home.filePath("named");
    QCOMPARE(m_platform->run({"launcher-files", "--user", "bob", "--config-folder", folder,
                              "--apps-folder", folder}).exitCode,
             0);
    written = outline(folder + "/FzxAppLauncherParams.xml");
    QVERIFY(takeCookie(&written) != cookie);
    QVERIFY2(written.contains("ServerUrl=" + m_platform->serverUrl() + " "), qPrintable(written));
    QCOMPARE(outline(folder + "/FzxAppsInfo.xml"), apps);

    QCOMPARE(signInStatus({{"cookie", cookie}, {"space", "Bridge Project"}}), 200);
    QCOMPARE(signInStatus({{"cookie", cookie + QLatin1Char('x')}}), 401);
}

void TestPlatformAdmin::dashboardShowsOnlyTheUsersFiles()
{
    httplib::Client client(m_platform->serverHost().toStdString());
    const httplib::Result form = client.Get("/dashboard");
    QCOMPARE(form->status, 200);
    QVERIFY(form->body.find("<form") != std::string::npos);

    const httplib::Result refused =
        client.Post("/dashboard/login", httplib::Params{{"username", "carol"}, {"password", "x"}});
    QCOMPARE(refused->status, 401);
    QVERIFY(!refused->has_header("Set-Cookie"));

    const httplib::Result signedIn = client.Post(
        "/dashboard/login", httplib::Params{{"username", "carol"}, {"password", "carol-demo-pw"}});
    QCOMPARE(signedIn->status, 303);
    const std::string cookie = signedIn->get_header_value("Set-Cookie");
    QVERIFY(cookie.find("HttpOnly") != std::string::npos);
    const httplib::Result page =
        client.Get("/dashboard", {{"Cookie", cookie.substr(0, cookie.find(';'))}});
    QCOMPARE(page->status, 200);
    for (const char *shown : {"Common Space", "Harbour Works", "quay.dxf", "bridge.dwg"})
        QVERIFY2(page->body.find(shown) != std::string::npos, shown);
    for (const char *hidden : {"Bridge Project", "tower.dwg"})
        QVERIFY2(page->body.find(hidden) == std::string::npos, hidden);
}

void TestPlatformAdmin::passwordChangeEndsSessions()
{
    QVERIFY(m_platform->addUser("erin", "first-pw"));
    std::string token;
    QCOMPARE(signInStatus({{"username", "erin"}, {"password", "first-pw"}}, &token), 200);
    // A launcher file written before the change, leaked or not, no longer signs anyone in.
    const QString cookie = m_platform->issueCookie("erin");
    QCOMPARE(signInStatus({{"cookie", cookie}}), 200);
    QCOMPARE(m_platform->run({"user", "passwd", "erin"}, "second-pw\n").exitCode, 0);
    httplib::Client client(m_platform->serverHost().toStdString());
    client.set_bearer_token_auth(token);
    QCOMPARE(client.Get("/api/v1/me")->status, 401);
    QCOMPARE(signInStatus({{"cookie", cookie}}), 401);
    QCOMPARE(signInStatus({{"username", "erin"}, {"password", "first-pw"}}), 401);
    QCOMPARE(signInStatus({{"username", "erin"}, {"password", "second-pw"}}), 200);
    QCOMPARE(signInStatus({{"cookie", m_platform->issueCookie("erin")}}), 200);
}

void TestPlatformAdmin::tenantsKeepTheirSpacesApart()
{
    // A space of the same name as one of the default tenant's, with the same member.
    const QList<QStringList> commands{
        {"tenant", "add", "acme"},
        {"space", "add", "Common Space", "--tenant", "acme"},
        {"member", "add", "Common Space", "alice", "--tenant", "acme"}};
    for (const QStringList &command : commands)
        QCOMPARE(m_platform->run(command).exitCode, 0);
    std::string token;
    QCOMPARE(signInStatus({{"username", "alice"}, {"password", "alice-demo-pw"},
                           {"tenant", "acme"}}, &token), 200);
    PlatformClient acme(m_platform->serverHost());
    acme.http().set_bearer_token_auth(token);
    const QJsonObject spaces = PlatformClient::parse(acme.http().Get("/api/v1/spaces")->body);
    QCOMPARE(spaces.value("spaces").toVariant().toStringList(), QStringList{"Common Space"});
    QJsonObject found;
    QCOMPARE(acme.post("/api/v1/search", {{"query", QJsonObject{{"_TypePattern", "*"}}}}, &found),
             200);
    QCOMPARE(found.value("objects").toArray(), QJsonArray());
}

void TestPlatformAdmin::commandErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("user exists") << QStringList{"user", "add", "alice"} << 1;
    QTest::newRow("hostile user name") << QStringList{"user", "add", "../x"} << 1;
    QTest::newRow("member of unknown space") << QStringList{"member", "add", "Nowhere", "bob"} << 1;
    QTest::newRow("cookie for unknown user") << QStringList{"issue-cookie", "nobody"} << 1;
    QTest::newRow("demo twice") << QStringList{"demo"} << 1;
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2;
    QTest::newRow("launcher files without user") << QStringList{"launcher-files"} << 2;
}

void TestPlatformAdmin::commandErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const PlatformProcess::Result result = m_platform->run(arguments, "some-password\n");
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY(!result.err.isEmpty());
}

void TestPlatformAdmin::logsHoldNoCredentialAndStopIsGraceful()
{
    // The platform's data, served below by a process whose log the test reads.
    PlatformProcess platform;
    QVERIFY(platform.addUser("frank", "frank-secret-pw"));
    const std::string cookie = platform.issueCookie("frank").toStdString();
    QTemporaryDir dir;

    QProcess server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_LOGGING_RULES", "*.debug=true");
    server.setProcessEnvironment(environment);
    const QString portFile = dir.filePath("port");
    server.start(PlatformProcess::binary(), {"--data", platform.dataDir(), "serve", "--listen",
                                             "127.0.0.1:0", "--port-file", portFile});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(portFile), 10000);
    QFile file(portFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    httplib::Client client("127.0.0.1", file.readAll().trimmed().toInt());

    // A password sign-in, a refused one, a cookie sign-in and a bad request in its session.
    std::vector<std::string> secrets{"frank-secret-pw", "wrong-secret-pw", cookie};
    for (const auto &[path, body] : std::vector<std::pair<const char *, std::string>>{
             {"/cas/v1/login", R"({"username":"frank","password":"frank-secret-pw"})"},
             {"/cas/v1/login", R"({"username":"frank","password":"wrong-secret-pw"})"},
             {"/cas/v1/cookie", "{\"cookie\":\"" + cookie + "\"}"}}) {
        const httplib::Result result = client.Post(path, body, "application/json");
        QVERIFY(result);
        const QString token = PlatformClient::parse(result->body).value("token").toString();
        if (!token.isEmpty())
            secrets.push_back(token.toStdString());
    }
    QCOMPARE(secrets.size(), size_t(5));
    client.set_bearer_token_auth(secrets.back());
    QCOMPARE(client.Post("/api/v1/details", "{bad", "application/json")->status, 400);

    server.terminate();
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);
    QVERIFY(server.readAllStandardOutput().contains("stopped"));
    const QByteArray log = server.readAllStandardError();
    QVERIFY(log.contains("/cas/v1/login")); // the request log is on, and still names no secret
    // The refused password sign-in names the account and where it came from.
    QByteArrayList refusals;
    for (const QByteArray &line : log.split('\n')) {
        if (line.contains("refused"))
            refusals << line;
    }
    QCOMPARE(refusals.size(), 1);
    QVERIFY2(refusals.first().contains("frank") && refusals.first().contains("127.0.0.1"),
             refusals.first().constData());
    for (const std::string &secret : secrets)
        QVERIFY2(!log.contains(secret.c_str()), secret.c_str());
}

void TestPlatformAdmin::dataFolderIsPrivate()
{
    // A folder the platform creates, and one that was there already for all to read.
    QCOMPARE(modeOf(m_platform->dataDir()), 0700);
    QCOMPARE(modeOf(m_platform->dataDir() + "/uploads"), 0700);
    QTemporaryDir dir;
    const QString existing = dir.filePath("existing");
    QVERIFY(QDir().mkpath(existing));
    QVERIFY(::chmod(QFile::encodeName(existing).constData(), 0755) == 0);
    QProcess admin;
    admin.start(PlatformProcess::binary(), {"--data", existing, "tenant", "add", "private"});
    QVERIFY(admin.waitForFinished());
    QCOMPARE(admin.exitCode(), 0);
    QCOMPARE(modeOf(existing), 0700);
    QVERIFY(QFile::exists(existing + "/platform.sqlite"));
}

QTEST_GUILESS_MAIN(TestPlatformAdmin)
#include "tst_platformadmin.moc"
