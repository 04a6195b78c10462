// The platform's HTTP interface under bad input, the rules it keeps whoever asks, and its
// administration: malformed and oversized requests, unknown ids, missing or forged sessions,
// check-ins that must leave no trace; a drawing's preview written only by whoever may write the
// drawing, bounded searches, unsafe titles refused, password guessing slowed down per account
// and per address; administration commands, launcher files, the dashboard and the process's
// log, stop and data folder.

#include "platformtestcase.h"
#include "testhome.h"

#include <httplib.h>

#include <csignal>

#include <sys/stat.h>

class TestPlatformApi : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A refused upload closes the connection while the test still sends.
        std::signal(SIGPIPE, SIG_IGN);
        QCOMPARE(startDemo({"alice", "bob", "carol"}, {"--max-upload", "200000"}), QString());
        m_token = as("alice").token();
        QCOMPARE(m_token.size(), size_t(43)); // 256 bits in URL-safe base64
        PlatformClient again(m_platform->serverHost());
        QCOMPARE(again.signIn("alice", "alice-demo-pw"), 200);
        QVERIFY(again.token() != m_token);
    }

    // Each refused with its reason, the platform serving on.
    void badRequests()
    {
        SignedIn bob(m_platform->serverHost(), "bob");
        QCOMPARE(bob.http().Post("/cas/v1/logout")->status, 200);
        const std::string unknown = "/api/v1/objects/0123456789ABCDEF0123456789ABCDEF";
        const struct {
            std::string path;
            const char *body; // null: a GET
            std::string session;
            const char *answer;
        } rows[] = {
            {"/api/v1/spaces", nullptr, "", "401 no session"},
            {"/api/v1/search", "{}", std::string(43, 'A'), "401 forged session"},
            {"/api/v1/me", nullptr, bob.token(), "401 signed-out session"},
            {"/api/v1/details", "{\"refs\": [", m_token, "400 malformed JSON"},
            {"/api/v1/autonames", "{\"count\":100000}", m_token, "400 too many names"},
            {"/cas/v1/login", "user=x", m_token, "400 sign-in with malformed JSON"},
            {unknown, nullptr, m_token, "404 unknown object"},
            {"/api/v1/objects/..%2F..%2Fetc/content", nullptr, m_token, "404 outside the objects"},
            {unknown + "/versions/1/restore", nullptr, m_token, "405 restore asked with GET"},
            {unknown + "/versions/0", nullptr, m_token, "404 version 0"},
        };
        QStringList answers;
        QStringList expected;
        for (const auto &row : rows) {
            httplib::Client client(m_platform->serverHost().toStdString());
            if (!row.session.empty())
                client.set_bearer_token_auth(row.session);
            const httplib::Result result = row.body
                ? client.Post(row.path, row.body, "application/json")
                : client.Get(row.path);
            const bool said =
                result && !PlatformClient::parse(result->body)["error"].toString().isEmpty();
            answers << QStringLiteral("%1 %2%3").arg(result ? result->status : 0)
                           .arg(QString(row.answer).mid(4), said ? "" : ", no reason given");
            expected << row.answer;
        }
        QCOMPARE(answers, expected);
        QCOMPARE(as("alice").http().Get("/api/v1/spaces")->status, 200);
    }

    // The body never comes: the answer must not wait for it, and the connection, which still
    // expects it, ends with the answer.
    void bodiesAreRefusedBeforeTheyArrive()
    {
        const QByteArray upload = "POST /api/v1/checkin HTTP/1.1\r\nHost: platform\r\n"
                                  "Content-Type: multipart/form-data; boundary=b\r\n"
                                  "Content-Length: 300000000\r\n";
        const QByteArray session =
            "Authorization: Bearer " + QByteArray::fromStdString(m_token) + "\r\n";
        const QByteArray search = "POST /api/v1/search HTTP/1.1\r\nHost: platform\r\n"
                                  "Content-Type: application/json\r\n" + session;
        QStringList answers;
        for (const QByteArray &head :
             {upload, upload + session, search + "Transfer-Encoding: chunked\r\n",
              search + "Content-Length: 5000000\r\n", search + "Content-Length: 12abc\r\n"}) {
            auto socket = connectTo(m_platform->port());
            socket->write(head + "\r\n");
            const int status = answerStatus(*socket, 5000);
            answers << QString::number(status)
                    + (socket->state() == QAbstractSocket::UnconnectedState
                               || socket->waitForDisconnected(5000)
                           ? ""
                           : " and the connection stays");
        }
        // Without a session, beyond the upload limit, chunked, beyond the JSON limit, a length
        // that is no number.
        QCOMPARE(answers, (QStringList{"401", "413", "411", "413", "400"}));
    }

    void brokenCheckInsLeaveNoTrace_data()
    {
        // A drawing with two children; the row breaks one field of one record.
        QTest::addColumn<int>("broken");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("content does not match its checksum")
            << 2 << "sha256" << QJsonValue(PlatformClient::sha256("other"));
        // The three contents take 33 bytes.
        QTest::newRow("content beyond the upload") << 2 << "offset" << QJsonValue(33);
        QTest::newRow("title with a path") << 2 << "title" << QJsonValue("../trace.pdf");
        QTest::newRow("child named before its parent") << 1 << "parent" << QJsonValue(2);
    }

    void brokenCheckInsLeaveNoTrace()
    {
        QFETCH(int, broken);
        QFETCH(QString, field);
        QFETCH(QJsonValue, value);
        const QStringList titles{"trace.dwg", "trace.png", "trace.pdf"};
        QList<QByteArray> bytes{"drawing bytes", "image bytes", "pdf bytes"};
        const QStringList names{as("alice").autoname(), as("alice").autoname(),
                                as("alice").autoname()};
        // Counts of the rows a check-in writes, read straight from the platform's database.
        const auto footprint = [this] {
            return m_platform->countsOf(
                {"SELECT COUNT(*) FROM objects", "SELECT COUNT(*) FROM contents",
                 "SELECT COUNT(*) FROM relations", "SELECT COUNT(*) FROM object_versions",
                 "SELECT COUNT(*) FROM autonames WHERE used = 1",
                 "SELECT COUNT(*) FROM objects WHERE locked_by IS NOT NULL"});
        };
        const QList<int> before = footprint();

        const auto checkIn = [&](bool breaking) {
            QJsonArray records;
            QByteArray contents;
            for (int i = 0; i < 3; ++i) {
                QJsonObject fields =
                    record(titles[i], names[i], "Common Space", i == 0 ? -1 : 0);
                fields.insert("offset", contents.size());
                fields.insert("size", bytes[i].size());
                fields.insert("sha256", PlatformClient::sha256(bytes[i]));
                if (i == 0)
                    fields.insert("maintainlock", "true");
                if (breaking && i == broken)
                    fields.insert(field, value);
                records.append(fields);
                contents += bytes[i];
            }
            const httplib::MultipartFormDataItems items{
                {"manifest", PlatformClient::text({{"records", records}}), "manifest",
                 "application/json"},
                {"contents", contents.toStdString(), "contents", "application/octet-stream"}};
            return as("alice").http().Post("/api/v1/checkin", items)->status;
        };
        QCOMPARE(checkIn(true), 400);
        QCOMPARE(footprint(), before);

        // The same check-in, repaired, goes through: the failure held nothing back.
        QCOMPARE(checkIn(false), 200);
        // Three objects with their contents and first versions, two relations, three names used,
        // one lock.
        const QList<int> stored{before[0] + 3, before[1] + 3, before[2] + 2, before[3] + 3,
                                before[4] + 3, before[5] + 1};
        QCOMPARE(footprint(), stored);
        // A new version of the image: the old one is kept with its content.
        bytes[1] = "image bytes, second version";
        QCOMPARE(checkIn(false), 200);
        QCOMPARE(footprint(), (QList<int>{stored[0], stored[1] + 1, stored[2], stored[3] + 1,
                                          stored[4], stored[5]}));
        // Clean up for the next row: the names stay used; once the trash is emptied, the
        // versions and contents go.
        QJsonArray refs;
        for (const QString &name : names)
            refs.append(byName(name));
        QCOMPARE(as("alice").post("/api/v1/delete", {{"refs", refs}}), 200);
        QVERIFY(purgeTrash(*m_platform));
        QCOMPARE(footprint().mid(0, 4), before.mid(0, 4));
    }

    // A client that lost the answer sends its check-in again with the same key: the platform
    // answers what it answered the first time and stores nothing more; another key is another
    // save.
    void aRetriedCheckInIsStoredOnce()
    {
        PlatformClient &alice = as("alice");
        const QString name = alice.autoname();
        const QDateTime began =
            QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
        const auto send = [&alice, &name](const QString &key, const QByteArray &bytes) {
            QJsonObject fields = record("retry.dxf", name, "Common Space");
            fields.insert("offset", 0);
            fields.insert("size", bytes.size());
            fields.insert("sha256", PlatformClient::sha256(bytes));
            const httplib::Result result = alice.http().Post(
                "/api/v1/checkin",
                httplib::MultipartFormDataItems{
                    {"manifest",
                     PlatformClient::text({{"records", QJsonArray{fields}}, {"key", key}}),
                     "manifest", "application/json"},
                    {"contents", bytes.toStdString(), "contents", "application/octet-stream"}});
            return result ? QString::number(result->status) + " "
                    + QString::fromStdString(result->body)
                          : QString("no answer");
        };
        const QString first = send("save-1", "first bytes");
        QVERIFY2(first.startsWith("200 "), qPrintable(first));
        // The retry carries other bytes, as a file changed meanwhile might: still the first
        // answer, and (as the versions below show) the first bytes stay, stored once.
        QCOMPARE(send("save-1", "changed since"), first);
        const auto versions = [&alice] { return versionsOf(alice, phidOf(alice, "retry.dxf")); };
        QVERIFY(send("save-2", "second save").startsWith("200 "));
        QCOMPARE(lines(versions(), {"revision", "_sha256"}),
                 (QStringList{"2|" + PlatformClient::sha256("second save"),
                              "1|" + PlatformClient::sha256("first bytes")}));
        // Each version is stamped with the time it was stored, as a person reads it (a change
        // within the same second as the last is stamped a second on, so that stamps differ).
        const QDateTime ended = QDateTime::currentDateTimeUtc().addSecs(1);
        for (const QString &stamp : lines(versions(), {"_filemodified"})) {
            QDateTime at = QDateTime::fromString(stamp, "yyyy/MM/dd@HH:mm:ss:'GMT'");
            at.setTimeSpec(Qt::UTC);
            QVERIFY2(at >= began && at <= ended, qPrintable(stamp));
        }
        QVERIFY(send(QString(201, 'k'), "too long a key").startsWith("400 "));
    }

    // bob holds deck.dwg: alice may neither take its preview, nor delete it, nor check in
    // over it.
    void previewFollowsItsDrawingsLock()
    {
        PlatformClient &alice = as("alice");
        const QJsonObject deck = alice.find("deck.dwg");
        QCOMPARE(deck.value("_LockedBy").toString(), QString("bob"));
        const QJsonObject preview = alice.previewOf(deck);
        const QJsonObject record{{"parent", -1}, {"title", preview["title"]},
                                 {"name", preview["name"]}, {"maintainlock", "true"}};
        QJsonObject answers[3];
        const QList<int> statuses{
            alice.post("/api/v1/lock", {{"ref", ref(preview["phid"])}}, &answers[0]),
            alice.post("/api/v1/delete", {{"refs", QJsonArray{ref(preview["phid"])}}}, &answers[1]),
            alice.checkIn({record}, {"not a preview"}, &answers[2])};
        QCOMPARE(statuses, QList<int>({409, 409, 409}));
        for (const QJsonObject &answer : answers)
            QVERIFY2(answer["error"].toString().contains("bob"), qPrintable(answer["error"].toString()));
        const QJsonObject after = alice.previewOf(deck);
        QCOMPARE(after.value("_sha256"), preview.value("_sha256"));
        QCOMPARE(after.value("_LockedBy").toString(), QString("bob"));
    }

    // A search is answered within seconds however much it asks; a key the platform does not
    // know is named, not passed over with everything answered.
    void searchQueries()
    {
        const auto titles = [](int count) {
            QJsonObject query;
            for (int i = 0; i < count; ++i)
                query.insert("_or_title_" + QString::number(i), QStringLiteral("file %1.dwg").arg(i));
            return query;
        };
        QStringList types;
        for (int i = 0; i < 100000; ++i)
            types << QStringLiteral("Type %1").arg(i);
        QJsonObject many;
        for (const char *key : {"a", "b", "c", "d", "e", "f", "g"})
            many.insert(key, "1");
        const QJsonObject everyKnownKey{
            {"_CS", "Common Space"}, {"_TypePattern", "*"}, {"_NamePattern", "*"},
            {"_TitlePattern", "*"}, {"_or_title_0", "deck.dwg"}, {"_or_title_12", "x"},
            {"_Pagelimit", "10"}, {"_Pagination", "true"}, {"_Pagesize", "5"}, {"_NoIndex", "true"},
            {"_DOWNLOADPREVIEWS", "false"}, {"name", ""}, {"title", ""}};
        const QList<std::pair<QJsonObject, QString>> rows{ // "?": any reason
            {{{"_TypePattern", types.join(',')}}, "400 ?"},
            {titles(20000), "413 ?"},
            {{{"_TitlePattern", "*" + QString(60000, QLatin1Char('a'))}}, "400 ?"},
            {titles(5000), "200 "},
            {{{"_NamePatern", "*deck*"}}, "400 unknown query key: _NamePatern"},
            {{{"_or_title_", "deck.dwg"}, {"_or_title_07", "deck.dwg"}},
             "400 unknown query keys: _or_title_, _or_title_07"},
            {many, "400 unknown query keys: a, b, c, d, e and 2 more"},
            {everyKnownKey, "200 "}};
        QStringList answers;
        QStringList expected;
        for (const auto &[query, answer] : rows) {
            QElapsedTimer timer;
            timer.start();
            QJsonObject found;
            const int status = as("carol").post("/api/v1/search", {{"query", query}}, &found);
            const QString error = found["error"].toString();
            answers << QStringLiteral("%1 %2%3%4")
                           .arg(status)
                           .arg(answer.endsWith('?') && !error.isEmpty() ? "?" : error,
                                found.contains(status == 200 ? "objects" : "error") ? "" : ", malformed",
                                // No worker is pinned: the answer comes within seconds either way.
                                timer.elapsed() < 5000 ? "" : ", slow");
            expected << answer;
        }
        QCOMPARE(answers, expected);
    }

    // What a new file is to the platform follows from its name: drawings (DWG and DXF, in any
    // letter case) are assemblies, everything else is inserted into them. Names unsafe on a
    // client's disk are refused, saying why without the hidden characters themselves.
    void newFilesByTheirNames()
    {
        const QString drawing = "ACAD Drawing / assembly";
        const QString insert = "ACAD Insert / insertedobject";
        const QString refused = "refused";
        const QList<std::pair<QString, QString>> rows{
            {"nul.dwg", refused}, // a device name with a suffix
            {"plan.dwg.", refused},
            {QString::fromUtf8("plan\u202Egpj.dwg"), refused},
            {"console.dwg", drawing}, // a device name inside a longer name
            {QString::fromUtf8("план 📐.dwg"), drawing},
            {"quay-plan.dwg", drawing},
            {"quay-detail.DXF", drawing},
            {"quay-photo.png", insert},
            {"quay-table.pdf", insert}};
        PlatformClient &carol = as("carol");
        QStringList answers;
        QStringList expected;
        for (const auto &[title, typed] : rows) {
            // One check-in each: a check-in has one top file.
            QJsonObject answer;
            const int status = carol.checkIn({record(title, carol.autoname(), "Harbour Works")},
                                             {"bytes"}, &answer);
            const QString message = answer.value("error").toString();
            const bool saysWhy = message.contains("file name") || message.contains("device name");
            const QJsonObject found = carol.find(title);
            answers << title + ": "
                    + (status == 400 && saysWhy
                               && !message.contains(QRegularExpression("[\\p{Cc}\\x{202E}]"))
                           ? refused
                           : QStringLiteral("%1 %2 / %3 %4")
                                 .arg(status)
                                 .arg(found["type"].toString(), found["cadtype"].toString(), message));
            expected << title + ": " + (typed == refused ? refused : "200 " + typed + " ");
        }
        QCOMPARE(answers, expected);
    }

    void detailsByNameHonourTheType()
    {
        PlatformClient &bob = as("bob");
        QJsonObject answer;
        const QJsonArray byId{ref(m_platform->demoObjectId("bridge.dwg"))};
        QCOMPARE(bob.post("/api/v1/details", {{"refs", byId}}, &answer), 200);
        const QString name = answer.value("results")[0]["name"].toString();
        // A name asked for as another type of object finds nothing; without a type, the object.
        const QJsonArray refs{QJsonObject{{"name", name}, {"type", "ACAD Drawing"}},
                              QJsonObject{{"name", name}, {"type", "ACAD Insert"}},
                              byName(name)};
        QCOMPARE(bob.post("/api/v1/details", {{"refs", refs}}, &answer), 200);
        QCOMPARE(lines(answer["results"].toArray(), {"title"}),
                 (QStringList{"bridge.dwg", "", "bridge.dwg"}));
    }

    void launcherFilesSignTheUserIn()
    {
        const TestHome home;
        QVERIFY(m_platform->writeLauncherFiles(
            "bob", home.environment(),
            {"--space", "Bridge Project", "--model", "0123456789ABCDEF0123456789ABCDEF",
             "--preferred-context", "true"}));

        const QString params = home.filePath("config/fzcachedir/FzxAppLauncherParams.xml");
        // The file holds a credential: neither group nor others may read it.
        QCOMPARE(modeOf(params), 0600);
        QString written = outline(params);
        const QString cookie = QRegularExpression("CasCookie=(\\S*)").match(written).captured(1);
        QCOMPARE(cookie.size(), 43);
        QCOMPARE(written.replace(cookie, "COOKIE"),
                 QStringLiteral("FzxAppLauncher\nParams ServerUrl=%1 CasCookie=COOKIE"
                                " NamedSpace=Bridge Project Tenant="
                                " ModelID=0123456789ABCDEF0123456789ABCDEF"
                                " PreferredContext=true\nEenvironment TMURMLYER_CAS_URL=%2")
                     .arg(m_platform->serverUrl(), m_platform->casUrl()));
        QCOMPARE(outline(home.filePath("data/fzcachedir/FzxAppsInfo.xml")),
                 QStringLiteral("apps\napp\nid [XHUBDECK_AP]\nlaunchInfos [%1/dashboard]")
                     .arg(m_platform->serverHost()));

        const QString host = m_platform->serverHost();
        QCOMPARE(cookieSignIn(host, {{"cookie", cookie}, {"space", "Bridge Project"}}), 200);
        QCOMPARE(cookieSignIn(host, {{"cookie", cookie + QLatin1Char('x')}}), 401);
    }

    void dashboardShowsOnlyTheUsersFiles()
    {
        httplib::Client client(m_platform->serverHost().toStdString());
        const httplib::Result refused = client.Post(
            "/dashboard/login", httplib::Params{{"username", "carol"}, {"password", "x"}});
        QCOMPARE(refused->status, 401);
        QVERIFY(!refused->has_header("Set-Cookie"));

        const httplib::Result signedIn =
            client.Post("/dashboard/login",
                        httplib::Params{{"username", "carol"}, {"password", "carol-demo-pw"}});
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

    void passwordChangeEndsSessions()
    {
        const QString host = m_platform->serverHost();
        QVERIFY(m_platform->addUser("erin", "first-password"));
        PlatformClient erin(host);
        QCOMPARE(erin.signIn("erin", "first-password"), 200);
        // A launcher file written before the change, leaked or not, no longer signs anyone in.
        const QString cookie = m_platform->issueCookie("erin");
        QCOMPARE(cookieSignIn(host, {{"cookie", cookie}}), 200);
        QCOMPARE(m_platform->run({"user", "passwd", "erin"}, "second-password\n").exitCode, 0);
        QCOMPARE(erin.http().Get("/api/v1/me")->status, 401);
        QCOMPARE(cookieSignIn(host, {{"cookie", cookie}}), 401);
        QCOMPARE(erin.signIn("erin", "first-password"), 401);
        QCOMPARE(erin.signIn("erin", "second-password"), 200);
        QCOMPARE(cookieSignIn(host, {{"cookie", m_platform->issueCookie("erin")}}), 200);
    }

    void tenantsKeepTheirSpacesApart()
    {
        // A space of the same name as one of the default tenant's, with the same member.
        for (const QStringList &command :
             {QStringList{"tenant", "add", "acme"},
              QStringList{"space", "add", "Common Space", "--tenant", "acme"},
              QStringList{"member", "add", "Common Space", "alice", "--tenant", "acme"}})
            QCOMPARE(m_platform->run(command).exitCode, 0);
        PlatformClient acme(m_platform->serverHost());
        QJsonObject answer;
        QCOMPARE(acme.post("/cas/v1/login",
                           {{"username", "alice"}, {"password", "alice-demo-pw"},
                            {"tenant", "acme"}},
                           &answer),
                 200);
        acme.http().set_bearer_token_auth(answer.value("token").toString().toStdString());
        QCOMPARE(acme.get("/api/v1/spaces", &answer), 200);
        QCOMPARE(answer.value("spaces").toVariant().toStringList(), QStringList{"Common Space"});
        const QJsonObject everything{{"_TypePattern", "*"}};
        QCOMPARE(acme.post("/api/v1/search", {{"query", everything}}, &answer), 200);
        QCOMPARE(answer.value("objects").toArray(), QJsonArray());
    }

    void commandErrors()
    {
        QStringList exitCodes;
        for (const QStringList &command :
             {QStringList{"user", "add", "alice"}, {"user", "add", "../x"} /* hostile name */,
              {"member", "add", "Nowhere", "bob"}, {"frobnicate"}}) {
            const PlatformProcess::Result result = m_platform->run(command, "some-password\n");
            exitCodes << command.join(' ') + ": " + QString::number(result.exitCode)
                    + (result.err.isEmpty() ? " without a reason" : "");
        }
        QCOMPARE(exitCodes, (QStringList{"user add alice: 1", "user add ../x: 1",
                                         "member add Nowhere bob: 1", "frobnicate: 2"}));
    }

    // A certificate or key that cannot be read ends the serve at once with the reason; it
    // never serves plain HTTP in place of TLS.
    void unreadableCertificateStopsTheServe()
    {
        PlatformProcess fresh;
        QVERIFY(QDir().mkpath(fresh.dataDir()));
        const QString missing = fresh.dataDir() + "/missing.pem";
        const PlatformProcess::Result result = fresh.run(
            {"serve", "--listen", "127.0.0.1:0", "--cert", missing, "--key", missing});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("the TLS certificate or key cannot be read"),
                 result.err.constData());
    }

    void logsHoldNoCredentialAndStopIsGraceful()
    {
        // The platform's data, served below by a process whose log the test reads.
        PlatformProcess platform;
        QVERIFY(platform.addUser("frank", "frank-secret-pw"));
        const QString cookie = platform.issueCookie("frank");
        QTemporaryDir dir;

        QProcess server;
        // Ahead of the rest: the first of two settings of a variable is the one read.
        server.setEnvironment(QStringList{"QT_LOGGING_RULES=*.debug=true"}
                              + QProcess::systemEnvironment());
        const QString portFile = dir.filePath("port");
        server.start(PlatformProcess::binary(), {"--data", platform.dataDir(), "serve", "--listen",
                                                 "127.0.0.1:0", "--port-file", portFile});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(portFile), 10000);
        QFile file(portFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        PlatformClient client("http://127.0.0.1:" + QString::fromLatin1(file.readAll().trimmed()));

        // A password sign-in, a refused one, a cookie sign-in and a bad request in its session.
        QCOMPARE(client.signIn("frank", "frank-secret-pw"), 200);
        const std::string passwordToken = client.token();
        QCOMPARE(client.signIn("frank", "wrong-secret-pw"), 401);
        QJsonObject cookieSignIn;
        QCOMPARE(client.post("/cas/v1/cookie", {{"cookie", cookie}}, &cookieSignIn), 200);
        const QString cookieToken = cookieSignIn.value("token").toString();
        client.http().set_bearer_token_auth(cookieToken.toStdString());
        QCOMPARE(client.http().Post("/api/v1/details", "{bad", "application/json")->status, 400);

        server.terminate();
        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        const QByteArray log = server.readAllStandardError();
        QVERIFY(log.contains("/cas/v1/login")); // the request log is on, and still names no secret
        for (const QString &secret : {QString("frank-secret-pw"), QString("wrong-secret-pw"),
                                      cookie, QString::fromStdString(passwordToken), cookieToken})
            QVERIFY2(!log.contains(secret.toUtf8()), qPrintable(secret));
    }

    void dataFolderIsPrivate()
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

    // Last: it leaves the test's address throttled.
    void passwordGuessingIsSlowedDown()
    {
        QVERIFY(m_platform->addUser("target", "right-password"));
        PlatformClient client(m_platform->serverHost());
        // A few mistakes cost nothing; then every guess waits, and the right password too.
        int retryAfter = 0;
        QList<int> statuses;
        for (int i = 0; i < 7; ++i)
            statuses << client.signIn("target", "wrong-pw", &retryAfter);
        QCOMPARE(statuses.mid(0, 5), QList<int>({401, 401, 401, 401, 401}));
        QCOMPARE(statuses.last(), 429);
        QVERIFY2(retryAfter >= 1 && retryAfter <= 900, qPrintable(QString::number(retryAfter)));
        QCOMPARE(client.signIn("target", "right-password"), 429);
        // Other accounts are not held back by one account's failures...
        QCOMPARE(client.signIn("bob", "bob-demo-pw"), 200);
        // ...but one address guessing across many accounts is, even when it claims to forward
        // requests of others: only a proxy named with --trusted-proxy is believed.
        for (int i = 0; i < 25; ++i) {
            client.http().set_default_headers(
                {{"X-Forwarded-For", QStringLiteral("192.0.2.%1").arg(i).toStdString()}});
            statuses << client.signIn(QStringLiteral("guess%1").arg(i), "pw");
        }
        QCOMPARE(statuses.last(), 429);
        QCOMPARE(client.signIn("carol", "carol-demo-pw", &retryAfter), 429);
        QVERIFY(retryAfter >= 1);
    }

private:
    std::string m_token; // alice's
};

QTEST_GUILESS_MAIN(TestPlatformApi)
#include "tst_platformapi.moc"
