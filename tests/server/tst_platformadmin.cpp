// The platform's administration commands, launcher files, dashboard and process behaviour.

#include "platformclient.h"
#include "platformprocess.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
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

// Attributes of the first element of that name, anywhere in the file.
QXmlStreamAttributes firstElement(const QString &path, const QString &name, QString *text = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == name) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (text)
                *text = xml.readElementText();
            return attributes;
        }
        if (!xml.isStartElement())
            xml.readNext();
    }
    return {};
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
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    QVERIFY(m_platform->writeLauncherFiles(
        QStringLiteral("bob"), environment,
        {QStringLiteral("--space"), QStringLiteral("Bridge Project"), QStringLiteral("--model"),
         QStringLiteral("0123456789ABCDEF0123456789ABCDEF"), QStringLiteral("--preferred-context"),
         QStringLiteral("true")}));

    const QString params = home.filePath(QStringLiteral("config/fzcachedir/FzxAppLauncherParams.xml"));
    // The file holds a credential: neither group nor others may read it.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
        | QFileDevice::ExeOther;
    QVERIFY(QFile::exists(params));
    QCOMPARE(QFile::permissions(params) & others, QFileDevice::Permissions());
    const QXmlStreamAttributes values = firstElement(params, QStringLiteral("Params"));
    const QString serverUrl = values.value(QStringLiteral("ServerUrl")).toString();
    QCOMPARE(serverUrl, m_platform->serverUrl());
    // What the module does with the address must give the connector's server host.
    QCOMPARE(QString(serverUrl).remove(QStringLiteral("https://")).remove(QStringLiteral("/vaultis"))
                 .toLower(),
             m_platform->serverHost());
    QCOMPARE(values.value(QStringLiteral("NamedSpace")).toString(), QStringLiteral("Bridge Project"));
    QCOMPARE(values.value(QStringLiteral("Tenant")).toString(), QString());
    QCOMPARE(values.value(QStringLiteral("ModelID")).toString(),
             QStringLiteral("0123456789ABCDEF0123456789ABCDEF"));
    QCOMPARE(values.value(QStringLiteral("PreferredContext")).toString(), QStringLiteral("true"));
    const QString casUrl = firstElement(params, QStringLiteral("Eenvironment"))
                               .value(QStringLiteral("TMURMLYER_CAS_URL"))
                               .toString();
    QCOMPARE(casUrl, m_platform->casUrl());

    QString dashboard;
    firstElement(home.filePath(QStringLiteral("data/fzcachedir/FzxAppsInfo.xml")),
                 QStringLiteral("launchInfos"), &dashboard);
    QString appId;
    firstElement(home.filePath(QStringLiteral("data/fzcachedir/FzxAppsInfo.xml")),
                 QStringLiteral("id"), &appId);
    QCOMPARE(appId, QStringLiteral("XHUBDECK_AP"));
    QCOMPARE(dashboard, m_platform->serverHost() + QStringLiteral("/dashboard"));

    // Without an address the one the running server published is taken; folders may be named.
    const QString folder = home.filePath(QStringLiteral("named"));
    QCOMPARE(m_platform->run({QStringLiteral("launcher-files"), QStringLiteral("--user"),
                              QStringLiteral("bob"), QStringLiteral("--config-folder"), folder,
                              QStringLiteral("--apps-folder"), folder})
                 .exitCode,
             0);
    const QXmlStreamAttributes named = firstElement(
        folder + QStringLiteral("/FzxAppLauncherParams.xml"), QStringLiteral("Params"));
    QCOMPARE(named.value(QStringLiteral("ServerUrl")).toString(), m_platform->serverUrl());
    QVERIFY(QFile::exists(folder + QStringLiteral("/FzxAppsInfo.xml")));

    const QString cookie = values.value(QStringLiteral("CasCookie")).toString();
    QCOMPARE(cookie.size(), 43);
    QVERIFY(named.value(QStringLiteral("CasCookie")).toString() != cookie);
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
    QVERIFY(m_platform->addUser(QStringLiteral("erin"), QStringLiteral("first-pw")));
    std::string token;
    QCOMPARE(signInStatus({{"username", "erin"}, {"password", "first-pw"}}, &token), 200);
    // A launcher file written before the change, leaked or not, no longer signs anyone in.
    const QString cookie = m_platform->issueCookie(QStringLiteral("erin"));
    QCOMPARE(signInStatus({{"cookie", cookie}}), 200);
    QCOMPARE(m_platform->run({QStringLiteral("user"), QStringLiteral("passwd"),
                              QStringLiteral("erin")},
                             "second-pw\n")
                 .exitCode,
             0);
    httplib::Client client(m_platform->serverHost().toStdString());
    client.set_bearer_token_auth(token);
    QCOMPARE(client.Get("/api/v1/me")->status, 401);
    QCOMPARE(signInStatus({{"cookie", cookie}}), 401);
    QCOMPARE(signInStatus({{"username", "erin"}, {"password", "first-pw"}}), 401);
    QCOMPARE(signInStatus({{"username", "erin"}, {"password", "second-pw"}}), 200);
    QCOMPARE(signInStatus({{"cookie", m_platform->issueCookie(QStringLiteral("erin"))}}), 200);
}

void TestPlatformAdmin::tenantsKeepTheirSpacesApart()
{
    QCOMPARE(m_platform->run({QStringLiteral("tenant"), QStringLiteral("add"),
                              QStringLiteral("acme")}).exitCode, 0);
    QCOMPARE(m_platform->run({QStringLiteral("space"), QStringLiteral("add"),
                              QStringLiteral("Common Space"), QStringLiteral("--tenant"),
                              QStringLiteral("acme")}).exitCode, 0);
    QCOMPARE(m_platform->run({QStringLiteral("member"), QStringLiteral("add"),
                              QStringLiteral("Common Space"), QStringLiteral("alice"),
                              QStringLiteral("--tenant"), QStringLiteral("acme")}).exitCode, 0);
    std::string token;
    QCOMPARE(signInStatus({{"username", "alice"}, {"password", "alice-demo-pw"},
                           {"tenant", "acme"}}, &token), 200);
    httplib::Client client(m_platform->serverHost().toStdString());
    client.set_bearer_token_auth(token);
    const QJsonObject spaces = PlatformClient::parse(client.Get("/api/v1/spaces")->body);
    QCOMPARE(spaces.value("spaces").toVariant().toStringList(), QStringList{"Common Space"});
    const httplib::Result search = client.Post(
        "/api/v1/search", "{\"query\":{\"_TypePattern\":\"*\"}}", "application/json");
    QCOMPARE(PlatformClient::parse(search->body).value("objects").toArray().size(), 0);
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
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    const QStringList storage{QStringLiteral("--data"), data};
    QProcess admin;
    admin.start(PlatformProcess::binary(), storage + QStringList{"user", "add", "frank"});
    admin.write("frank-secret-pw\n");
    admin.closeWriteChannel();
    QVERIFY(admin.waitForFinished());
    QCOMPARE(admin.exitCode(), 0);
    admin.start(PlatformProcess::binary(), storage + QStringList{"issue-cookie", "frank"});
    QVERIFY(admin.waitForFinished());
    const std::string cookie = admin.readAllStandardOutput().trimmed().toStdString();

    QProcess server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.debug=true"));
    server.setProcessEnvironment(environment);
    const QString portFile = dir.filePath(QStringLiteral("port"));
    server.start(PlatformProcess::binary(),
                 storage + QStringList{"serve", "--listen", "127.0.0.1:0", "--port-file", portFile});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(portFile), 10000);
    QFile file(portFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    httplib::Client client("127.0.0.1", file.readAll().trimmed().toInt());

    std::vector<std::string> secrets{"frank-secret-pw", cookie};
    for (const std::string &body :
         {std::string("{\"username\":\"frank\",\"password\":\"frank-secret-pw\"}"),
          std::string("{\"username\":\"frank\",\"password\":\"wrong-secret-pw\"}"),
          "{\"cookie\":\"" + cookie + "\"}"}) {
        const bool withCookie = body.find("cookie") != std::string::npos;
        const httplib::Result result =
            client.Post(withCookie ? "/cas/v1/cookie" : "/cas/v1/login", body, "application/json");
        QVERIFY(result);
        const std::string token =
            PlatformClient::parse(result->body).value("token").toString().toStdString();
        if (!token.empty())
            secrets.push_back(token);
    }
    QCOMPARE(secrets.size(), size_t(4));
    client.set_bearer_token_auth(secrets.back());
    QCOMPARE(client.Post("/api/v1/details", "{bad", "application/json")->status, 400);
    secrets.push_back("wrong-secret-pw");

    server.terminate();
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);
    QVERIFY(server.readAllStandardOutput().contains("stopped"));
    const QByteArray log = server.readAllStandardError();
    QVERIFY(log.contains("/cas/v1/login")); // the request log is on, and still names no secret
    // The refused password sign-in names the account and where it came from.
    const QList<QByteArray> refusals = [&log] {
        QList<QByteArray> lines;
        for (const QByteArray &line : log.split('\n')) {
            if (line.contains("refused"))
                lines << line;
        }
        return lines;
    }();
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
    QCOMPARE(modeOf(m_platform->dataDir() + QStringLiteral("/uploads")), 0700);
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("existing"));
    QVERIFY(QDir().mkpath(existing));
    QVERIFY(::chmod(QFile::encodeName(existing).constData(), 0755) == 0);
    QProcess admin;
    admin.start(PlatformProcess::binary(), {"--data", existing, "tenant", "add", "private"});
    QVERIFY(admin.waitForFinished());
    QCOMPARE(admin.exitCode(), 0);
    QCOMPARE(modeOf(existing), 0700);
    QVERIFY(QFile::exists(existing + QStringLiteral("/platform.sqlite")));
}

QTEST_GUILESS_MAIN(TestPlatformAdmin)
#include "tst_platformadmin.moc"
