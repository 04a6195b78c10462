// aurex-launcher run as a user would on their own computer, against a demo platform whose
// administrator lets launcher cookies last three days: what the computer holds afterwards, for a
// right and a wrong password, a space that is not the user's, a platform that is not there.

#include "platformtestcase.h"
#include "testhome.h"

#include <QTcpServer>

namespace {

const char kParamsFile[] = "config/fzcachedir/FzxAppLauncherParams.xml";
const char kAppsFile[] = "data/fzcachedir/FzxAppsInfo.xml";
const QByteArray kEarlierParams =
    "<FzxAppLauncher><Params ServerUrl=\"https://old.example.com/vaultis\" CasCookie=\"earlier\"/>"
    "</FzxAppLauncher>\n";

// The files below the folder with their contents' outlines (the earlier parameters as they are).
QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        const QByteArray content = file.readAll();
        files << QDir(folder).relativeFilePath(file.fileName()) + ": "
                + (content == kEarlierParams ? "earlier" : PlatformTestCase::outline(file.fileName()));
    }
    files.sort();
    return files;
}

} // namespace

class TestPlatformLauncher : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = std::make_unique<PlatformProcess>(
            PlatformProcess::Options{true, {"--launcher-cookie-days", "3"}, {}, true});
        QString error;
        QVERIFY2(m_platform->start(&error), qPrintable(error));
        QTcpServer server; // a port on which nothing listens, once it is closed
        server.listen(QHostAddress::LocalHost);
        m_closed = QString("http://127.0.0.1:%1").arg(server.serverPort());
    }

    void setsUpTheComputer_data()
    {
        QTest::addColumn<QString>("server"); // empty: the platform
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        // "user space days" of the files written, or the exit code and what the launcher said.
        QTest::addColumn<QString>("outcome");
        const QString refused = "1 aurex-launcher: the AUREX Platform refused: ";
        QTest::newRow("right password") << QString() << QStringList{"--user", "alice"}
                                        << QByteArray("alice-demo-pw\n") << "alice  3";
        QTest::newRow("user name and password from the input, a space")
            << QString() << QStringList{"--space", "Bridge Project"}
            << QByteArray("bob\nbob-demo-pw\n") << "bob Bridge Project 3";
        QTest::newRow("shorter than the administrator allows")
            << QString() << QStringList{"--user", "carol", "--days", "1"}
            << QByteArray("carol-demo-pw\n") << "carol  1";
        QTest::newRow("longer than the administrator allows")
            << QString() << QStringList{"--user", "alice", "--days", "30"}
            << QByteArray("alice-demo-pw\n") << "alice  3";
        QTest::newRow("wrong password")
            << QString() << QStringList{"--user", "alice"} << QByteArray("alice-wrong-pw\n")
            << refused + "user name or password incorrect\n";
        QTest::newRow("a space that is not the user's")
            << QString() << QStringList{"--user", "bob", "--space", "Harbour Works"}
            << QByteArray("bob-demo-pw\n")
            << refused + "no access to collaborative space Harbour Works\n";
        QTest::newRow("no password") << QString() << QStringList{"--user", "alice"} << QByteArray()
                                     << "2 aurex-launcher: no password given\n";
        QTest::newRow("platform not reachable")
            << m_closed << QStringList{"--user", "alice"} << QByteArray("alice-demo-pw\n")
            << "1 aurex-launcher: cannot reach the AUREX Platform at " + m_closed
                + ": Connection refused\n";
        QTest::newRow("not a platform address")
            << "ftp://aurex.example.com" << QStringList{"--user", "alice"}
            << QByteArray("alice-demo-pw\n")
            << "2 aurex-launcher: ftp://aurex.example.com is not an address of the AUREX "
               "Platform; give one such as https://aurex.example.com\n";
    }

    void setsUpTheComputer()
    {
        QFETCH(QString, server);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QString, outcome);
        TestHome home;
        QVERIFY(home.isValid());
        QVERIFY(home.writeLauncherParams(kEarlierParams));
        const QString host = m_platform->serverHost();
        const QDateTime started = QDateTime::currentDateTimeUtc();
        QString out;
        QString err;
        const int exitCode = launch(home, QStringList{"--server-url", server.isEmpty() ? host : server}
                                              + arguments, input, &out, &err);
        if (exitCode != 0) {
            QCOMPARE(QString::number(exitCode) + ' ' + err, outcome);
            QCOMPARE(filesBelow(home.path()), QStringList{QString(kParamsFile) + ": earlier"});
            QCOMPARE(out, QString());
            return;
        }
        const QString user = outcome.section(' ', 0, 0);
        const QString space = outcome.section(' ', 1, -2);
        QStringList files = filesBelow(home.path());
        const QString cookie =
            QRegularExpression("CasCookie=(\\S*)").match(files.join('\n')).captured(1);
        QCOMPARE(files.replaceInStrings(cookie, "COOKIE"),
                 (QStringList{QStringLiteral("%1: FzxAppLauncher\nParams ServerUrl=%2/vaultis "
                                             "CasCookie=COOKIE NamedSpace=%3 Tenant= ModelID= "
                                             "PreferredContext=\nEenvironment TMURMLYER_CAS_URL=%2/cas")
                                  .arg(kParamsFile, host, space),
                              QStringLiteral("%1: apps\napp\nid [XHUBDECK_AP]\nlaunchInfos "
                                             "[%2/dashboard]")
                                  .arg(kAppsFile, host)}));
        // The parameters hold a credential: neither group nor others may read them.
        QCOMPARE(modeOf(home.filePath(kParamsFile)), 0600);
        const QDateTime expiry = expiryOf(cookie);
        QCOMPARE(out, QString("aurex-launcher: launcher files for %1 written to %2 and %3\n"
                              "aurex-launcher: Lintra signs %1 in by itself until %4; run "
                              "aurex-launcher again after that\n")
                          .arg(user, home.filePath(kParamsFile), home.filePath(kAppsFile),
                               expiry.toString(Qt::ISODate)));
        // Days as the platform stored them, whatever the moment within the run.
        QCOMPARE(QString::number(qRound(started.secsTo(expiry) / 86400.0)), outcome.section(' ', -1));

        // The cookie signs the user in, as the module does, in the space named (every demo
        // user prefers Common Space).
        PlatformClient client(host);
        QJsonObject answer;
        QCOMPARE(client.post("/cas/v1/cookie", {{"cookie", cookie}, {"tenant", ""}, {"space", space},
                                                {"preferredContext", false}},
                             &answer),
                 200);
        client.http().set_bearer_token_auth(answer.value("token").toString().toStdString());
        QJsonObject spaces;
        QCOMPARE((QList<int>{client.get("/api/v1/me", &answer), client.get("/api/v1/spaces", &spaces)}),
                 QList<int>({200, 200}));
        QCOMPARE(answer.value("login").toString() + " in " + spaces.value("spaces")[0].toString(),
                 user + " in " + (space.isEmpty() ? "Common Space" : space));
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
    // the request came in on; without one, the address the client used.
    void addressesAreThePublicOnesWhenGiven()
    {
        QString error;
        const auto behindProxy =
            PlatformProcess::startDemo(&error, {"--public-url", "https://aurex.example.com/ignored"});
        QVERIFY2(behindProxy, qPrintable(error));
        QStringList addresses;
        for (const QString &host : {behindProxy->serverHost(), m_platform->serverHost()}) {
            QJsonObject answer;
            QCOMPARE(PlatformClient(host).post(
                         "/cas/v1/launcher", {{"username", "alice"}, {"password", "alice-demo-pw"}},
                         &answer),
                     200);
            addresses << answer["serverUrl"].toString() << answer["casUrl"].toString()
                      << answer["dashboardUrl"].toString();
        }
        const QString direct = m_platform->serverHost();
        QCOMPARE(addresses, (QStringList{"https://aurex.example.com/vaultis",
                                         "https://aurex.example.com/cas",
                                         "https://aurex.example.com/dashboard", direct + "/vaultis",
                                         direct + "/cas", direct + "/dashboard"}));
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

    QDateTime expiryOf(const QString &cookie) const
    {
        const QList<int> stored = m_platform->countsOf(
            {"SELECT expires_at FROM launcher_cookies WHERE cookie_hash = '"
             + PlatformClient::sha256(cookie.toUtf8()) + "'"});
        return QDateTime::fromSecsSinceEpoch(stored.value(0), Qt::UTC);
    }

    QString m_closed; // the address of a port on which nothing listens
};

QTEST_GUILESS_MAIN(TestPlatformLauncher)
#include "tst_platformlauncher.moc"
