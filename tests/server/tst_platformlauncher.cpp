// aurex-launcher run as a user would on their own computer, against a demo platform whose
// administrator lets launcher cookies last three days: what the computer holds afterwards, for a
// right and a wrong password, a space that is not the user's, a platform that is not there.

#include "platformclient.h"
#include "platformprocess.h"
#include "testhome.h"

#include <QTcpServer>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const char kParamsFile[] = "config/fzcachedir/FzxAppLauncherParams.xml";
const char kAppsFile[] = "data/fzcachedir/FzxAppsInfo.xml";
const QByteArray kEarlierParams =
    "<FzxAppLauncher><Params ServerUrl=\"https://old.example.com/vaultis\" CasCookie=\"earlier\"/>"
    "</FzxAppLauncher>\n";

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every attribute of the file's elements, and every element's text, as "name=value".
QMap<QString, QString> xmlValues(const QByteArray &xml)
{
    QMap<QString, QString> values;
    QXmlStreamReader reader(xml);
    QString element;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            element = reader.name().toString();
            for (const QXmlStreamAttribute &attribute : reader.attributes())
                values.insert(attribute.name().toString(), attribute.value().toString());
        } else if (reader.isCharacters() && !reader.isWhitespace()) {
            values.insert(element, reader.text().toString());
        }
    }
    return values;
}

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// A port on which nothing listens.
int closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace

class TestPlatformLauncher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        PlatformProcess::Options options;
        options.demo = true;
        options.serveArguments = QStringList{"--launcher-cookie-days", "3"};
        options.keepLog = true;
        m_platform = std::make_unique<PlatformProcess>(options);
        QString error;
        QVERIFY2(m_platform->start(&error), qPrintable(error));
    }

    void setsUpTheComputer_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        // The user the files sign in, the space they name and the cookie's days; no user:
        // nothing is written.
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("space");
        QTest::addColumn<int>("days");

        const QString platform = "PLATFORM";
        QTest::newRow("right password")
            << platform << QStringList{"--user", "alice"} << QByteArray("alice-demo-pw\n") << 0
            << QString() << "alice" << "" << 3;
        QTest::newRow("user name and password from the input, a space")
            << platform << QStringList{"--space", "Bridge Project"}
            << QByteArray("bob\nbob-demo-pw\n") << 0 << QString() << "bob" << "Bridge Project"
            << 3;
        QTest::newRow("shorter than the administrator allows")
            << platform << QStringList{"--user", "carol", "--days", "1"}
            << QByteArray("carol-demo-pw\n") << 0 << QString() << "carol" << "" << 1;
        QTest::newRow("longer than the administrator allows")
            << platform << QStringList{"--user", "alice", "--days", "30"}
            << QByteArray("alice-demo-pw\n") << 0 << QString() << "alice" << "" << 3;
        QTest::newRow("wrong password")
            << platform << QStringList{"--user", "alice"} << QByteArray("alice-wrong-pw\n") << 1
            << "aurex-launcher: the AUREX Platform refused: user name or password incorrect\n"
            << QString() << "" << 0;
        QTest::newRow("a space that is not the user's")
            << platform << QStringList{"--user", "bob", "--space", "Harbour Works"}
            << QByteArray("bob-demo-pw\n") << 1
            << "aurex-launcher: the AUREX Platform refused: no access to collaborative space "
               "Harbour Works\n"
            << QString() << "" << 0;
        QTest::newRow("no password")
            << platform << QStringList{"--user", "alice"} << QByteArray() << 2
            << "aurex-launcher: no password given\n" << QString() << "" << 0;
        const QString closed = QString("http://127.0.0.1:%1").arg(closedPort());
        QTest::newRow("platform not reachable")
            << closed << QStringList{"--user", "alice"} << QByteArray("alice-demo-pw\n") << 1
            << "aurex-launcher: cannot reach the AUREX Platform at " + closed
                + ": Connection refused\n"
            << QString() << "" << 0;
        QTest::newRow("not a platform address")
            << "ftp://aurex.example.com" << QStringList{"--user", "alice"}
            << QByteArray("alice-demo-pw\n") << 2
            << "aurex-launcher: ftp://aurex.example.com is not an address of the AUREX "
               "Platform; give one such as https://aurex.example.com\n"
            << QString() << "" << 0;
    }

    void setsUpTheComputer()
    {
        QFETCH(QString, server);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QString, user);
        QFETCH(QString, space);
        QFETCH(int, days);

        TestHome home;
        QVERIFY(home.isValid());
        QVERIFY(home.writeLauncherParams(kEarlierParams));
        if (server == "PLATFORM")
            server = m_platform->serverHost();
        const QDateTime started = QDateTime::currentDateTimeUtc();
        QString out;
        QString err;
        QCOMPARE(launch(home, QStringList{"--server-url", server} + arguments, input, &out, &err),
                 exitCode);
        QCOMPARE(err, message);

        if (user.isEmpty()) {
            QCOMPARE(filesBelow(home.path()), QStringList{kParamsFile});
            QCOMPARE(contentOf(home.filePath(kParamsFile)), kEarlierParams);
            QCOMPARE(out, QString());
            return;
        }
        const QMap<QString, QString> params = xmlValues(contentOf(home.filePath(kParamsFile)));
        const QString cookie = params.value("CasCookie");
        QCOMPARE(computerState(home, params), expectedState(space, user));
        QCOMPARE(out, QString("aurex-launcher: launcher files for %1 written to %2 and %3\n"
                              "aurex-launcher: Lintra signs %1 in by itself until %4; run "
                              "aurex-launcher again after that\n")
                          .arg(user, home.filePath(kParamsFile), home.filePath(kAppsFile),
                               expiryOf(cookie).toString(Qt::ISODate)));
        // Days as the platform stored them, whatever the moment within the run.
        QCOMPARE(qRound(started.secsTo(expiryOf(cookie)) / 86400.0), days);
    }

    // The right password does not help an account that guessing has slowed down, nor a disabled
    // one; the platform logs the refusal as it logs those of password sign-ins.
    void refusedAsAPasswordSignIn_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("logged");
        QTest::newRow("after five wrong passwords")
            << "erin" << false
            << "^aurex-launcher: the AUREX Platform refused: too many failed sign-ins; try again "
               "in \\d+ seconds\n$"
            << "password sign-in for account erin from 127.0.0.1 refused: too many failures";
        QTest::newRow("disabled account")
            << "frank" << true
            << "^aurex-launcher: the AUREX Platform refused: the account frank is disabled; ask "
               "the platform's administrator\n$"
            << "sign-in of disabled account frank refused";
    }

    void refusedAsAPasswordSignIn()
    {
        QFETCH(QString, login);
        QFETCH(bool, disabled);
        QFETCH(QString, message);
        QFETCH(QString, logged);
        const QString password = login + "-launcher-pw";
        QVERIFY(m_platform->addUser(login, password));
        if (disabled) {
            QCOMPARE(m_platform->run({"user", "disable", login}).exitCode, 0);
        } else {
            PlatformClient guesser(m_platform->serverHost());
            for (int i = 0; i < 5; ++i)
                QCOMPARE(guesser.signIn(login, "not-" + password), 401);
            // As five more guesses, each after its wait, would leave it: the next wait is about a
            // minute, which no busy machine outlasts before the launcher asks.
            QVERIFY(m_platform->change({"UPDATE sign_in_failures SET failures = 10 WHERE key = "
                                        "'account:" + login + "'"}));
        }
        TestHome home;
        QString out;
        QString err;
        QCOMPARE(launch(home, {"--server-url", m_platform->serverHost(), "--user", login},
                        password.toUtf8() + "\n", &out, &err),
                 1);
        QVERIFY2(QRegularExpression(message).match(err).hasMatch(), qPrintable(err));
        QCOMPARE(filesBelow(home.path()), QStringList());
        QVERIFY2(m_platform->log().contains(logged.toUtf8()), m_platform->log().constData());
    }

    // Behind a proxy the platform hands out the address users reach it by, whatever address
    // the request came in on.
    void addressesAreThePublicOnesWhenGiven()
    {
        PlatformProcess::Options options;
        options.demo = true;
        options.serveArguments = QStringList{"--public-url", "https://aurex.example.com/ignored"};
        PlatformProcess behindProxy(options);
        QString error;
        QVERIFY2(behindProxy.start(&error), qPrintable(error));
        PlatformClient client(behindProxy.serverHost());
        QJsonObject answer;
        QCOMPARE(client.post("/cas/v1/launcher",
                             {{"username", "alice"}, {"password", "alice-demo-pw"}}, &answer),
                 200);
        QCOMPARE((QStringList{answer["serverUrl"].toString(), answer["casUrl"].toString(),
                              answer["dashboardUrl"].toString()}),
                 (QStringList{"https://aurex.example.com/vaultis", "https://aurex.example.com/cas",
                              "https://aurex.example.com/dashboard"}));
        // Without it, the address the client used.
        PlatformClient direct(m_platform->serverHost());
        QCOMPARE(direct.post("/cas/v1/launcher",
                             {{"username", "alice"}, {"password", "alice-demo-pw"}}, &answer),
                 200);
        QCOMPARE(answer["serverUrl"].toString(), m_platform->serverHost() + "/vaultis");
    }

private:
    // Runs aurex-launcher in the home with the input on its standard input; its exit code.
    static int launch(const TestHome &home, const QStringList &arguments, const QByteArray &input,
                      QString *out, QString *err)
    {
        QProcess launcher;
        launcher.setProcessEnvironment(home.environment());
        launcher.start(AUREX_LAUNCHER_BIN, arguments);
        if (!launcher.waitForStarted())
            return -1;
        launcher.write(input);
        launcher.closeWriteChannel();
        // A password check takes the platform a moment, longer on a busy machine.
        if (!launcher.waitForFinished(60000))
            return -1;
        *out = QString::fromUtf8(launcher.readAllStandardOutput());
        *err = QString::fromUtf8(launcher.readAllStandardError());
        return launcher.exitStatus() == QProcess::NormalExit ? launcher.exitCode() : -1;
    }

    // What the module finds on the computer: the files, the parameters file's mode, every value
    // but the cookie, and who the cookie signs in as, in which space, as the module signs in.
    QStringList computerState(const TestHome &home, QMap<QString, QString> params) const
    {
        const QString cookie = params.take("CasCookie");
        const QFileDevice::Permissions everyone = QFileDevice::ReadOwner | QFileDevice::WriteOwner
            | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup
            | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
            | QFileDevice::ExeOther;
        const bool ownerOnly = (QFile::permissions(home.filePath(kParamsFile)) & everyone)
            == (QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QStringList state{"files: " + filesBelow(home.path()).join(", "),
                          ownerOnly ? "parameters: owner only" : "parameters: readable by others"};
        QMap<QString, QString> values = params;
        values.insert(xmlValues(contentOf(home.filePath(kAppsFile))));
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            state << it.key() + "=" + it.value();

        PlatformClient client(m_platform->serverHost());
        const httplib::Result signedIn = client.http().Post(
            "/cas/v1/cookie",
            PlatformClient::text({{"cookie", cookie},
                                  {"tenant", params.value("Tenant")},
                                  {"space", params.value("NamedSpace")},
                                  {"preferredContext", params.value("PreferredContext") == "1"}}),
            "application/json");
        if (!signedIn || signedIn->status != 200)
            return state << "cookie refused";
        client.http().set_bearer_token_auth(
            PlatformClient::parse(signedIn->body).value("token").toString().toStdString());
        QJsonObject me;
        QJsonObject spaces;
        client.get("/api/v1/me", &me);
        client.get("/api/v1/spaces", &spaces);
        return state << "signed in as " + me.value("login").toString() + " in "
                + spaces.value("spaces").toArray().first().toString();
    }

    QStringList expectedState(const QString &space, const QString &user) const
    {
        const QString host = m_platform->serverHost();
        // Every demo user prefers Common Space.
        const QString preferred = "Common Space";
        return {"files: " + QString(kParamsFile) + ", " + kAppsFile,
                "parameters: owner only",
                "ModelID=",
                "NamedSpace=" + space,
                "PreferredContext=",
                "ServerUrl=" + host + "/vaultis",
                "TMURMLYER_CAS_URL=" + host + "/cas",
                "Tenant=",
                "id=XHUBDECK_AP",
                "launchInfos=" + host + "/dashboard",
                "signed in as " + user + " in " + (space.isEmpty() ? preferred : space)};
    }

    QDateTime expiryOf(const QString &cookie) const
    {
        const QList<int> stored = m_platform->countsOf(
            {"SELECT expires_at FROM launcher_cookies WHERE cookie_hash = '"
             + PlatformClient::sha256(cookie.toUtf8()) + "'"});
        return QDateTime::fromSecsSinceEpoch(stored.value(0), Qt::UTC);
    }

    std::unique_ptr<PlatformProcess> m_platform;
};

QTEST_GUILESS_MAIN(TestPlatformLauncher)
#include "tst_platformlauncher.moc"
