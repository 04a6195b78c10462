// The platform's HTTP interface under bad input: malformed and oversized requests, unknown
// ids, missing or forged sessions, and check-ins that must leave no trace.

#include "platformclient.h"
#include "platformprocess.h"
#include "rawhttp.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include <httplib.h>

#include <csignal>

namespace {

QString sha256(const std::string &bytes)
{
    return PlatformClient::sha256(QByteArray::fromStdString(bytes));
}

} // namespace

class TestPlatformApi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void requestsWithoutSession_data();
    void requestsWithoutSession();
    void badRequests_data();
    void badRequests();
    void bodiesAreRefusedBeforeTheyArrive_data();
    void bodiesAreRefusedBeforeTheyArrive();
    void brokenCheckInsLeaveNoTrace_data();
    void brokenCheckInsLeaveNoTrace();

private:
    httplib::Client client() const;
    // Counts of the rows a check-in writes, read straight from the platform's database.
    QList<int> footprint();

    std::unique_ptr<PlatformProcess> m_platform;
    std::unique_ptr<PlatformClient> m_alice;
    std::string m_token;
};

httplib::Client TestPlatformApi::client() const
{
    httplib::Client c(m_platform->serverHost().toStdString());
    c.set_read_timeout(30);
    return c;
}

void TestPlatformApi::initTestCase()
{
    // A refused upload closes the connection while the test still sends.
    std::signal(SIGPIPE, SIG_IGN);
    QString error;
    m_platform = PlatformProcess::startDemo(&error, {"--max-upload", "200000"});
    QVERIFY2(m_platform, qPrintable(error));
    m_alice = std::make_unique<PlatformClient>(m_platform->serverHost());
    QCOMPARE(m_alice->signIn("alice", "alice-demo-pw"), 200);
    m_token = m_alice->token();
    QCOMPARE(m_token.size(), size_t(43)); // 256 bits in URL-safe base64
    PlatformClient again(m_platform->serverHost());
    QCOMPARE(again.signIn("alice", "alice-demo-pw"), 200);
    QVERIFY(again.token() != m_token);
}

void TestPlatformApi::requestsWithoutSession_data()
{
    QTest::addColumn<QString>("token");
    QTest::newRow("no token") << QString();
    QTest::newRow("forged token") << QStringLiteral("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
    QTest::newRow("token of a signed-out session") << QStringLiteral("signed-out");
}

void TestPlatformApi::requestsWithoutSession()
{
    QFETCH(QString, token);
    httplib::Client c = client();
    if (token == QLatin1String("signed-out")) {
        PlatformClient bob(m_platform->serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        QCOMPARE(bob.http().Post("/cas/v1/logout")->status, 200);
        c.set_bearer_token_auth(bob.token());
    } else if (!token.isEmpty()) {
        c.set_bearer_token_auth(token.toStdString());
    }
    for (const char *path : {"/api/v1/spaces", "/api/v1/me"})
        QCOMPARE(c.Get(path)->status, 401);
    const httplib::Result search = c.Post("/api/v1/search", "{}", "application/json");
    QCOMPARE(search->status, 401);
    QVERIFY(!PlatformClient::parse(search->body).value("error").toString().isEmpty());
}

void TestPlatformApi::badRequests_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body"); // null: a GET
    QTest::addColumn<int>("status");
    QTest::newRow("malformed JSON") << "/api/v1/details" << QByteArray("{\"refs\": [") << 400;
    QTest::newRow("JSON that is no object") << "/api/v1/search" << QByteArray("[1,2]") << 400;
    QTest::newRow("unknown id in structure")
        << "/api/v1/structure" << QByteArray("{\"ref\":{\"phid\":\"FFFF\"}}") << 404;
    QTest::newRow("lock of nothing") << "/api/v1/lock" << QByteArray("{}") << 404;
    QTest::newRow("delete of an unknown name")
        << "/api/v1/delete" << QByteArray("{\"refs\":[{\"name\":\"AX999999999\"}]}") << 404;
    QTest::newRow("too many names") << "/api/v1/autonames" << QByteArray("{\"count\":100000}")
                                    << 400;
    QTest::newRow("negative count") << "/api/v1/autonames" << QByteArray("{\"count\":-1}") << 400;
    QTest::newRow("check-in that is not a form") << "/api/v1/checkin" << QByteArray("{}") << 400;
    QTest::newRow("sign-in with malformed JSON") << "/cas/v1/login" << QByteArray("user=x") << 400;
    QTest::newRow("unknown route") << "/api/v1/nothing" << QByteArray("{}") << 404;
    QTest::newRow("unknown object")
        << "/api/v1/objects/0123456789ABCDEF0123456789ABCDEF" << QByteArray() << 404;
    QTest::newRow("content of an unknown object")
        << "/api/v1/objects/0123456789ABCDEF0123456789ABCDEF/content" << QByteArray() << 404;
    QTest::newRow("content outside the objects")
        << "/api/v1/objects/..%2F..%2Fetc/content" << QByteArray() << 404;
}

void TestPlatformApi::badRequests()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    httplib::Client &c = m_alice->http();
    const httplib::Result result = body.isNull()
        ? c.Get(path.toStdString())
        : c.Post(path.toStdString(), body.toStdString(), "application/json");
    QVERIFY(result);
    QCOMPARE(result->status, status);
    QVERIFY(PlatformClient::parse(result->body).contains("error"));
    // The platform goes on serving.
    QCOMPARE(c.Get("/api/v1/spaces")->status, 200);
}

void TestPlatformApi::bodiesAreRefusedBeforeTheyArrive_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("token"); // "valid": the test's session
    QTest::addColumn<int>("status");
    const QByteArray upload = "POST /api/v1/checkin HTTP/1.1\r\nHost: platform\r\n"
                              "Content-Type: multipart/form-data; boundary=b\r\n"
                              "Content-Length: 300000000\r\n";
    const QByteArray search = "POST /api/v1/search HTTP/1.1\r\nHost: platform\r\n"
                              "Content-Type: application/json\r\n";
    QTest::newRow("check-in without a session") << upload << "" << 401;
    QTest::newRow("check-in with a forged session") << upload << "forged" << 401;
    QTest::newRow("check-in beyond the upload limit") << upload << "valid" << 413;
    QTest::newRow("chunked search without a session")
        << search + "Transfer-Encoding: chunked\r\n" << "" << 401;
    QTest::newRow("chunked search") << search + "Transfer-Encoding: chunked\r\n" << "valid"
                                    << 411;
    QTest::newRow("search of unstated length") << search << "valid" << 411;
    QTest::newRow("search beyond the JSON limit")
        << search + "Content-Length: 5000000\r\n" << "valid" << 413;
    QTest::newRow("length that is no number") << search + "Content-Length: 12abc\r\n"
                                              << "valid" << 400;
}

void TestPlatformApi::bodiesAreRefusedBeforeTheyArrive()
{
    QFETCH(QByteArray, head);
    QFETCH(QString, token);
    QFETCH(int, status);
    if (!token.isEmpty()) {
        head += "Authorization: Bearer "
            + (token == QLatin1String("valid") ? QByteArray::fromStdString(m_token)
                                               : token.toLatin1())
            + "\r\n";
    }
    // The body never comes: the answer must not wait for it, and the connection, which still
    // expects it, ends with the answer.
    auto socket = connectTo(m_platform->port());
    socket->write(head + "\r\n");
    QCOMPARE(answerStatus(*socket, 5000), status);
    QVERIFY(socket->state() == QAbstractSocket::UnconnectedState
            || socket->waitForDisconnected(5000));
}

QList<int> TestPlatformApi::footprint()
{
    return m_platform->countsOf({"SELECT COUNT(*) FROM objects", "SELECT COUNT(*) FROM contents",
                                 "SELECT COUNT(*) FROM relations",
                                 "SELECT COUNT(*) FROM autonames WHERE used = 1",
                                 "SELECT COUNT(*) FROM objects WHERE locked_by IS NOT NULL"});
}

void TestPlatformApi::brokenCheckInsLeaveNoTrace_data()
{
    // A drawing with two children; the row breaks the tree or the last child.
    QTest::addColumn<QList<int>>("parents");
    QTest::addColumn<QString>("lastTitle");
    QTest::addColumn<QString>("lastContent"); // "checksum": not its bytes; "offset": past the end
    const QList<int> tree{-1, 0, 0};
    QTest::newRow("content does not match its checksum") << tree << "trace.pdf" << "checksum";
    QTest::newRow("content beyond the upload") << tree << "trace.pdf" << "offset";
    QTest::newRow("title with a path") << tree << "../trace.pdf" << "";
    QTest::newRow("child named before its parent") << QList<int>{-1, 2, 0} << "trace.pdf" << "";
    QTest::newRow("record that is its own parent") << QList<int>{-1, 0, 2} << "trace.pdf" << "";
    QTest::newRow("second top") << QList<int>{-1, 0, -1} << "trace.pdf" << "";
}

void TestPlatformApi::brokenCheckInsLeaveNoTrace()
{
    QFETCH(QList<int>, parents);
    QFETCH(QString, lastTitle);
    QFETCH(QString, lastContent);
    QStringList titles{"trace.dwg", "trace.png", lastTitle};
    const QList<std::string> bytes{"drawing bytes", "image bytes", "pdf bytes"};
    QJsonArray issued;
    for (int i = 0; i < 3; ++i)
        issued.append(m_alice->autoname());
    const QList<int> before = footprint();
    QCOMPARE(before.size(), 5);

    auto checkIn = [&] {
        QJsonArray records;
        std::string contents;
        for (int i = 0; i < 3; ++i) {
            QJsonObject record{{"parent", parents[i]}, {"title", titles[i]}, {"name", issued[i]},
                               {"collabspace", "Common Space"}, {"offset", int(contents.size())},
                               {"size", int(bytes[i].size())}, {"sha256", sha256(bytes[i])}};
            record.insert(i == 0 ? "maintainlock" : "_RelationToParent",
                          i == 0 ? "true" : "CADSubcomponent");
            records.append(record);
            contents += bytes[i];
        }
        QJsonObject last = records[2].toObject();
        if (lastContent == QLatin1String("checksum"))
            last.insert("sha256", sha256("other"));
        else if (lastContent == QLatin1String("offset"))
            last.insert("offset", int(contents.size()));
        records[2] = last;
        const httplib::MultipartFormDataItems items{
            {"manifest", PlatformClient::text({{"records", records}}), "manifest",
             "application/json"},
            {"contents", contents, "contents", "application/octet-stream"}};
        return m_alice->http().Post("/api/v1/checkin", items)->status;
    };
    QCOMPARE(checkIn(), 400);
    QCOMPARE(footprint(), before);

    // The same check-in, repaired, goes through: the failure held nothing back.
    parents = {-1, 0, 0};
    titles[2] = QStringLiteral("trace.pdf");
    lastContent.clear();
    QCOMPARE(checkIn(), 200);
    const QList<int> after = footprint();
    QCOMPARE(after[0], before[0] + 3);
    QCOMPARE(after[3], before[3] + 3);
    QCOMPARE(after[4], before[4] + 1);
    // Clean up for the next row: the names stay used.
    QJsonArray refs;
    for (const QJsonValue &name : issued)
        refs.append(QJsonObject{{"name", name}});
    QCOMPARE(m_alice->post("/api/v1/delete", {{"refs", refs}}), 200);
    QCOMPARE(footprint().mid(0, 3), before.mid(0, 3));
}

QTEST_GUILESS_MAIN(TestPlatformApi)
#include "tst_platformapi.moc"
