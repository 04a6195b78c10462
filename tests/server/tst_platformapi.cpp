// The platform's HTTP interface under bad input, the rules it keeps whoever asks, and its
// administration: malformed and oversized requests, unknown ids, missing or forged sessions,
// check-ins that must leave no trace; a drawing's preview written only by whoever may write the
// drawing, bounded searches, unsafe titles refused, password guessing slowed down per account
// and per address; administration commands, launcher files, the dashboard and the process's
// log, stop and data folder.

#include "platformclient.h"
#include "platformprocess.h"
#include "rawhttp.h"
#include "testhome.h"

#include <QXmlStreamReader>
#include <QtTest>

#include <httplib.h>

#include <csignal>

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

} // namespace

class TestPlatformApi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A refused upload closes the connection while the test still sends.
        std::signal(SIGPIPE, SIG_IGN);
        QString error;
        m_platform = PlatformProcess::startDemo(&error, {"--max-upload", "200000"});
        QVERIFY2(m_platform, qPrintable(error));
        for (const QString user : {"alice", "bob", "carol"}) {
            m_as[user] = std::make_unique<PlatformClient>(m_platform->serverHost());
            QCOMPARE(m_as[user]->signIn(user, user + "-demo-pw"), 200);
        }
        m_token = m_as["alice"]->token();
        QCOMPARE(m_token.size(), size_t(43)); // 256 bits in URL-safe base64
        PlatformClient again(m_platform->serverHost());
        QCOMPARE(again.signIn("alice", "alice-demo-pw"), 200);
        QVERIFY(again.token() != m_token);
    }

    void badRequests_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body"); // null: a GET
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("session"); // empty: alice's
        const auto row = [](const char *name, const char *path, const char *body, int status,
                            const char *session = "") {
            QTest::newRow(name) << path << QByteArray(body) << status << session;
        };
        row("no session", "/api/v1/spaces", nullptr, 401, "none");
        row("forged session", "/api/v1/search", "{}", 401, "forged");
        row("signed-out session", "/api/v1/me", nullptr, 401, "signed out");
        row("malformed JSON", "/api/v1/details", "{\"refs\": [", 400);
        row("too many names", "/api/v1/autonames", "{\"count\":100000}", 400);
        row("sign-in with malformed JSON", "/cas/v1/login", "user=x", 400);
        row("unknown object", "/api/v1/objects/0123456789ABCDEF0123456789ABCDEF", nullptr, 404);
        row("content outside the objects", "/api/v1/objects/..%2F..%2Fetc/content", nullptr, 404);
        row("restore asked with GET",
            "/api/v1/objects/0123456789ABCDEF0123456789ABCDEF/versions/1/restore", nullptr, 405);
        row("version 0", "/api/v1/objects/0123456789ABCDEF0123456789ABCDEF/versions/0", nullptr,
            404);
    }

    void badRequests()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, session);
        httplib::Client c(m_platform->serverHost().toStdString());
        PlatformClient bob(m_platform->serverHost());
        if (session == QLatin1String("signed out")) {
            QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
            QCOMPARE(bob.http().Post("/cas/v1/logout")->status, 200);
            c.set_bearer_token_auth(bob.token());
        } else if (session.isEmpty() || session == QLatin1String("forged")) {
            c.set_bearer_token_auth(session.isEmpty() ? m_token : std::string(43, 'A'));
        }
        const httplib::Result result = body.isNull()
            ? c.Get(path.toStdString())
            : c.Post(path.toStdString(), body.toStdString(), "application/json");
        QVERIFY(result);
        QCOMPARE(result->status, status);
        QVERIFY(!PlatformClient::parse(result->body).value("error").toString().isEmpty());
        // The platform goes on serving.
        QCOMPARE(m_as["alice"]->http().Get("/api/v1/spaces")->status, 200);
    }

    void bodiesAreRefusedBeforeTheyArrive_data()
    {
        QTest::addColumn<QByteArray>("head"); // TOKEN stands for alice's session
        QTest::addColumn<int>("status");
        const QByteArray upload = "POST /api/v1/checkin HTTP/1.1\r\nHost: platform\r\n"
                                  "Content-Type: multipart/form-data; boundary=b\r\n"
                                  "Content-Length: 300000000\r\n";
        const QByteArray session = "Authorization: Bearer TOKEN\r\n";
        const QByteArray search = "POST /api/v1/search HTTP/1.1\r\nHost: platform\r\n"
                                  "Content-Type: application/json\r\n" + session;
        QTest::newRow("check-in without a session") << upload << 401;
        QTest::newRow("check-in beyond the upload limit") << upload + session << 413;
        QTest::newRow("chunked search") << search + "Transfer-Encoding: chunked\r\n" << 411;
        QTest::newRow("search beyond the JSON limit")
            << search + "Content-Length: 5000000\r\n" << 413;
        QTest::newRow("length that is no number") << search + "Content-Length: 12abc\r\n" << 400;
    }

    void bodiesAreRefusedBeforeTheyArrive()
    {
        QFETCH(QByteArray, head);
        QFETCH(int, status);
        head.replace("TOKEN", QByteArray::fromStdString(m_token));
        // The body never comes: the answer must not wait for it, and the connection, which still
        // expects it, ends with the answer.
        auto socket = connectTo(m_platform->port());
        socket->write(head + "\r\n");
        QCOMPARE(answerStatus(*socket, 5000), status);
        QVERIFY(socket->state() == QAbstractSocket::UnconnectedState
                || socket->waitForDisconnected(5000));
    }

    void brokenCheckInsLeaveNoTrace_data()
    {
        // A drawing with two children; the row breaks one field of one record.
        QTest::addColumn<int>("record");
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
        QFETCH(int, record);
        QFETCH(QString, field);
        QFETCH(QJsonValue, value);
        const QStringList titles{"trace.dwg", "trace.png", "trace.pdf"};
        QList<QByteArray> bytes{"drawing bytes", "image bytes", "pdf bytes"};
        QJsonArray names;
        for (int i = 0; i < 3; ++i)
            names.append(m_as["alice"]->autoname());
        // Counts of the rows a check-in writes, read straight from the platform's database.
        const auto footprint = [this] {
            return m_platform->countsOf(
                {"SELECT COUNT(*) FROM objects", "SELECT COUNT(*) FROM contents",
                 "SELECT COUNT(*) FROM relations", "SELECT COUNT(*) FROM object_versions",
                 "SELECT COUNT(*) FROM autonames WHERE used = 1",
                 "SELECT COUNT(*) FROM objects WHERE locked_by IS NOT NULL"});
        };
        const QList<int> before = footprint();

        auto checkIn = [&](bool broken) {
            QJsonArray records;
            QByteArray contents;
            for (int i = 0; i < 3; ++i) {
                QJsonObject fields{{"parent", i == 0 ? -1 : 0}, {"title", titles[i]},
                                   {"name", names[i]}, {"collabspace", "Common Space"},
                                   {"offset", contents.size()}, {"size", bytes[i].size()},
                                   {"sha256", PlatformClient::sha256(bytes[i])}};
                fields.insert(i == 0 ? "maintainlock" : "_RelationToParent",
                              i == 0 ? "true" : "CADSubcomponent");
                if (broken && i == record)
                    fields.insert(field, value);
                records.append(fields);
                contents += bytes[i];
            }
            const httplib::MultipartFormDataItems items{
                {"manifest", PlatformClient::text({{"records", records}}), "manifest",
                 "application/json"},
                {"contents", contents.toStdString(), "contents", "application/octet-stream"}};
            return m_as["alice"]->http().Post("/api/v1/checkin", items)->status;
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
        for (const QJsonValue &name : names)
            refs.append(QJsonObject{{"name", name}});
        QCOMPARE(m_as["alice"]->post("/api/v1/delete", {{"refs", refs}}), 200);
        QVERIFY(m_platform->change({"UPDATE objects SET trashed_at = trashed_at - 86400"}));
        QCOMPARE(m_platform->run({"trash", "purge", "--trash-days", "1"}).exitCode, 0);
        QCOMPARE(footprint().mid(0, 4), before.mid(0, 4));
    }

    // A client that lost the answer sends its check-in again with the same key: the platform
    // answers what it answered the first time and stores nothing more; another key is another
    // save.
    void aRetriedCheckInIsStoredOnce()
    {
        PlatformClient &alice = *m_as["alice"];
        const QString name = alice.autoname();
        const QDateTime began = QDateTime::fromSecsSinceEpoch(
            QDateTime::currentSecsSinceEpoch(), Qt::UTC);
        const auto send = [&alice, &name](const QString &key, const QByteArray &bytes) {
            const QJsonObject record{{"parent", -1}, {"title", "retry.dxf"}, {"name", name},
                                     {"collabspace", "Common Space"}, {"offset", 0},
                                     {"size", bytes.size()},
                                     {"sha256", PlatformClient::sha256(bytes)}};
            const httplib::Result result = alice.http().Post(
                "/api/v1/checkin",
                httplib::MultipartFormDataItems{
                    {"manifest",
                     PlatformClient::text({{"records", QJsonArray{record}}, {"key", key}}),
                     "manifest", "application/json"},
                    {"contents", bytes.toStdString(), "contents", "application/octet-stream"}});
            return result ? QString::number(result->status) + " " + QString::fromStdString(result->body)
                          : QString("no answer");
        };
        const QString first = send("save-1", "first bytes");
        QVERIFY2(first.startsWith("200 "), qPrintable(first));
        // The retry carries other bytes, as a file changed meanwhile might: still the first
        // answer, and the first bytes stay.
        QCOMPARE(send("save-1", "changed since"), first);
        const auto versions = [&alice] {
            QJsonObject answer;
            alice.get("/api/v1/objects/" + alice.find("retry.dxf")["phid"].toString()
                          + "/versions",
                      &answer);
            return answer["versions"].toArray();
        };
        const auto revisions = [&versions] {
            QStringList lines;
            for (const QJsonValue version : versions())
                lines << version["revision"].toString() + " " + version["_sha256"].toString();
            return lines;
        };
        QCOMPARE(revisions(), QStringList{"1 " + PlatformClient::sha256("first bytes")});
        QVERIFY(send("save-2", "second save").startsWith("200 "));
        QCOMPARE(revisions(), (QStringList{"2 " + PlatformClient::sha256("second save"),
                                           "1 " + PlatformClient::sha256("first bytes")}));
        // Each version is stamped with the time it was stored, as a person reads it (a change
        // within the same second as the last is stamped a second on, so that stamps differ).
        const QDateTime ended = QDateTime::currentDateTimeUtc().addSecs(1);
        for (const QJsonValue version : versions()) {
            const QString stamp = version["_filemodified"].toString();
            QDateTime at = QDateTime::fromString(stamp, "yyyy/MM/dd@HH:mm:ss:'GMT'");
            at.setTimeSpec(Qt::UTC);
            QVERIFY2(at >= began && at <= ended, qPrintable(stamp));
        }
        QVERIFY(send(QString(201, 'k'), "too long a key").startsWith("400 "));
    }

    void previewFollowsItsDrawingsLock_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("lock") << "lock";
        QTest::newRow("delete") << "delete";
        QTest::newRow("check-in over it") << "check-in";
    }

    void previewFollowsItsDrawingsLock()
    {
        QFETCH(QString, action);
        // bob holds deck.dwg; alice may neither change its preview nor take it.
        PlatformClient &alice = *m_as["alice"];
        const QJsonObject deck = alice.find("deck.dwg");
        QCOMPARE(deck.value("_LockedBy").toString(), QString("bob"));
        const QJsonObject preview = alice.previewOf(deck);
        const QJsonObject ref{{"phid", preview["phid"]}};
        QJsonObject answer;
        const QJsonObject record{{"parent", -1}, {"title", preview["title"]},
                                 {"name", preview["name"]}, {"maintainlock", "true"}};
        const int status = action == QLatin1String("lock")
            ? alice.post("/api/v1/lock", {{"ref", ref}}, &answer)
            : action == QLatin1String("delete")
            ? alice.post("/api/v1/delete", {{"refs", QJsonArray{ref}}}, &answer)
            : alice.checkIn({record}, {"not a preview"}, &answer);
        QCOMPARE(status, 409);
        QVERIFY(answer.value("error").toString().contains("bob"));
        const QJsonObject after = alice.previewOf(deck);
        QCOMPARE(after.value("_sha256"), preview.value("_sha256"));
        QCOMPARE(after.value("_LockedBy").toString(), QString("bob"));
    }

    void boundedQueries_data()
    {
        QTest::addColumn<QJsonObject>("query");
        QTest::addColumn<int>("status");
        const auto titles = [](int count) {
            QJsonObject query;
            for (int i = 0; i < count; ++i)
                query.insert("_or_title_" + QString::number(i),
                             QStringLiteral("file %1.dwg").arg(i));
            return query;
        };
        QStringList types;
        for (int i = 0; i < 100000; ++i)
            types << QStringLiteral("Type %1").arg(i);
        QTest::newRow("100,000 types") << QJsonObject{{"_TypePattern", types.join(',')}} << 400;
        QTest::newRow("20,000 titles") << titles(20000) << 413;
        QTest::newRow("title pattern of 60,000 characters")
            << QJsonObject{{"_TitlePattern", "*" + QString(60000, QLatin1Char('a'))}} << 400;
        QTest::newRow("5,000 titles") << titles(5000) << 200;
    }

    void boundedQueries()
    {
        QFETCH(QJsonObject, query);
        QFETCH(int, status);
        QElapsedTimer timer;
        timer.start();
        QJsonObject answer;
        QCOMPARE(m_as["carol"]->post("/api/v1/search", {{"query", query}}, &answer), status);
        QVERIFY(answer.contains(status == 200 ? "objects" : "error"));
        // No worker is pinned: the answer comes within seconds either way.
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }

    // A key the platform does not know is named, not passed over with everything answered.
    void unknownQueryKeysAreNamed_data()
    {
        QTest::addColumn<QJsonObject>("query");
        QTest::addColumn<QString>("error");
        QTest::newRow("misspelt") << QJsonObject{{"_NamePatern", "*deck*"}}
                                  << "unknown query key: _NamePatern";
        QTest::newRow("a title key without its number")
            << QJsonObject{{"_or_title_", "deck.dwg"}, {"_or_title_07", "deck.dwg"}}
            << "unknown query keys: _or_title_, _or_title_07";
        QJsonObject many;
        for (const char *key : {"a", "b", "c", "d", "e", "f", "g"})
            many.insert(key, "1");
        QTest::newRow("many") << many << "unknown query keys: a, b, c, d, e and 2 more";
        QTest::newRow("every known key")
            << QJsonObject{{"_CS", "Common Space"}, {"_TypePattern", "*"},
                           {"_NamePattern", "*"}, {"_TitlePattern", "*"},
                           {"_or_title_0", "deck.dwg"}, {"_or_title_12", "x"},
                           {"_Pagelimit", "10"}, {"_Pagination", "true"}, {"_Pagesize", "5"},
                           {"_NoIndex", "true"}, {"_DOWNLOADPREVIEWS", "false"},
                           {"name", ""}, {"title", ""}}
            << QString();
    }

    void unknownQueryKeysAreNamed()
    {
        QFETCH(QJsonObject, query);
        QFETCH(QString, error);
        QJsonObject answer;
        QCOMPARE(m_as["carol"]->post("/api/v1/search", {{"query", query}}, &answer),
                 error.isEmpty() ? 200 : 400);
        QCOMPARE(answer.value("error").toString(), error);
    }

    void unsafeTitlesAreRefused_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("device name with a suffix") << "nul.dwg" << false;
        QTest::newRow("trailing dot") << "plan.dwg." << false;
        QTest::newRow("right-to-left override") << QString::fromUtf8("plan\u202Egpj.dwg") << false;
        QTest::newRow("device name inside a longer name") << "console.dwg" << true;
        QTest::newRow("non-Latin letters and an emoji") << QString::fromUtf8("план 📐.dwg") << true;
    }

    void unsafeTitlesAreRefused()
    {
        QFETCH(QString, title);
        QFETCH(bool, accepted);
        PlatformClient &carol = *m_as["carol"];
        QJsonObject answer;
        const QJsonObject record{{"parent", -1}, {"title", title}, {"name", carol.autoname()},
                                 {"collabspace", "Harbour Works"}};
        QCOMPARE(carol.checkIn({record}, {"bytes"}, &answer), accepted ? 200 : 400);
        if (accepted)
            return;
        const QString message = answer.value("error").toString();
        // The message says what is wrong without carrying the hidden characters themselves.
        QVERIFY2(message.contains("file name") || message.contains("device name"),
                 qPrintable(message));
        QVERIFY2(!message.contains(QRegularExpression("[\\p{Cc}\\x{202E}]")), qPrintable(message));
    }

    // What a new file is to the platform follows from its name: drawings (DWG and DXF, in any
    // letter case) are assemblies, everything else is inserted into them.
    void newFilesAreTypedByTheirNames()
    {
        PlatformClient &carol = *m_as["carol"];
        const QStringList titles{"quay-plan.dwg", "quay-detail.DXF", "quay-photo.png",
                                 "quay-table.pdf"};
        // One check-in each: a check-in has one top file.
        for (const QString &title : titles) {
            const QJsonObject record{{"parent", -1}, {"title", title}, {"name", carol.autoname()},
                                     {"collabspace", "Harbour Works"}};
            QJsonObject answer;
            QVERIFY2(carol.checkIn({record}, {"bytes"}, &answer) == 200,
                     qPrintable(answer["error"].toString()));
        }
        QStringList typed;
        for (const QString &title : titles) {
            const QJsonObject found = carol.find(title);
            typed << title + ": " + found["type"].toString() + " / " + found["cadtype"].toString();
        }
        QCOMPARE(typed, (QStringList{"quay-plan.dwg: ACAD Drawing / assembly",
                                     "quay-detail.DXF: ACAD Drawing / assembly",
                                     "quay-photo.png: ACAD Insert / insertedobject",
                                     "quay-table.pdf: ACAD Insert / insertedobject"}));
    }

    void detailsByNameHonourTheType()
    {
        PlatformClient &bob = *m_as["bob"];
        QJsonObject answer;
        const QJsonObject byId{{"phid", m_platform->demoObjectId("bridge.dwg")}};
        QCOMPARE(bob.post("/api/v1/details", {{"refs", QJsonArray{byId}}}, &answer), 200);
        const QString name = answer["results"].toArray().at(0).toObject()["name"].toString();
        // A name asked for as another type of object finds nothing; without a type, the object.
        const QJsonArray refs{QJsonObject{{"name", name}, {"type", "ACAD Drawing"}},
                              QJsonObject{{"name", name}, {"type", "ACAD Insert"}},
                              QJsonObject{{"name", name}}};
        QCOMPARE(bob.post("/api/v1/details", {{"refs", refs}}, &answer), 200);
        QStringList titles;
        for (const QJsonValue &result : answer["results"].toArray())
            titles << (result.isNull() ? "(none)" : result["title"].toString());
        QCOMPARE(titles, (QStringList{"bridge.dwg", "(none)", "bridge.dwg"}));
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

        QCOMPARE(signInStatus({{"cookie", cookie}, {"space", "Bridge Project"}}), 200);
        QCOMPARE(signInStatus({{"cookie", cookie + QLatin1Char('x')}}), 401);
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
        QVERIFY(m_platform->addUser("erin", "first-password"));
        PlatformClient erin(m_platform->serverHost());
        QCOMPARE(erin.signIn("erin", "first-password"), 200);
        // A launcher file written before the change, leaked or not, no longer signs anyone in.
        const QString cookie = m_platform->issueCookie("erin");
        QCOMPARE(signInStatus({{"cookie", cookie}}), 200);
        QCOMPARE(m_platform->run({"user", "passwd", "erin"}, "second-password\n").exitCode, 0);
        QCOMPARE(erin.http().Get("/api/v1/me")->status, 401);
        QCOMPARE(signInStatus({{"cookie", cookie}}), 401);
        QCOMPARE(erin.signIn("erin", "first-password"), 401);
        QCOMPARE(erin.signIn("erin", "second-password"), 200);
        QCOMPARE(signInStatus({{"cookie", m_platform->issueCookie("erin")}}), 200);
    }

    void tenantsKeepTheirSpacesApart()
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
        const QJsonObject everything{{"_TypePattern", "*"}};
        QCOMPARE(acme.post("/api/v1/search", {{"query", everything}}, &found), 200);
        QCOMPARE(found.value("objects").toArray(), QJsonArray());
    }

    void commandErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("user exists") << QStringList{"user", "add", "alice"} << 1;
        QTest::newRow("hostile user name") << QStringList{"user", "add", "../x"} << 1;
        QTest::newRow("member of unknown space")
            << QStringList{"member", "add", "Nowhere", "bob"} << 1;
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2;
    }

    void commandErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const PlatformProcess::Result result = m_platform->run(arguments, "some-password\n");
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY(!result.err.isEmpty());
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
        const QStringList secrets{"frank-secret-pw", "wrong-secret-pw", cookie,
                                  QString::fromStdString(passwordToken), cookieToken};
        for (const QString &secret : secrets)
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
    int signInStatus(const QJsonObject &body, std::string *token = nullptr)
    {
        QJsonObject answer;
        const int status = PlatformClient(m_platform->serverHost())
                               .post(body.contains("cookie") ? "/cas/v1/cookie" : "/cas/v1/login",
                                     body, &answer);
        if (token)
            *token = answer.value("token").toString().toStdString();
        return status;
    }

    std::unique_ptr<PlatformProcess> m_platform;
    std::map<QString, std::unique_ptr<PlatformClient>> m_as; // signed in, by user
    std::string m_token; // alice's
};

QTEST_GUILESS_MAIN(TestPlatformApi)
#include "tst_platformapi.moc"
