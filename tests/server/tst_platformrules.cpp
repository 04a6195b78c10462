// Rules the platform keeps whoever asks: a drawing's preview is written only by whoever may write
// the drawing, a search's lists and texts are bounded, titles that would be unsafe on the
// machines that download them are refused, and password guessing is slowed down per account and
// per address.

#include "platformclient.h"
#include "platformprocess.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QtTest>

namespace {

QJsonObject refTo(const QJsonObject &object)
{
    return QJsonObject{{"phid", object["phid"]}};
}

} // namespace

class TestPlatformRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void previewFollowsItsDrawingsLock_data();
    void previewFollowsItsDrawingsLock();
    void drawingHolderChecksInItsPreview();
    void boundedQueries_data();
    void boundedQueries();
    void unsafeTitlesAreRefused_data();
    void unsafeTitlesAreRefused();
    void trustedProxyNamesTheClient();
    void detailsByNameHonourTheType();
    // Last: it leaves the test's address throttled.
    void passwordGuessingIsSlowedDown();

private:
    std::unique_ptr<PlatformProcess> m_platform;
    std::map<QString, std::unique_ptr<PlatformClient>> m_as; // signed in, by user
};

void TestPlatformRules::initTestCase()
{
    QString error;
    m_platform = PlatformProcess::startDemo(&error);
    QVERIFY2(m_platform, qPrintable(error));
    for (const QString user : {"alice", "bob", "carol"}) {
        m_as[user] = std::make_unique<PlatformClient>(m_platform->serverHost());
        QCOMPARE(m_as[user]->signIn(user, user + "-demo-pw"), 200);
    }
}

void TestPlatformRules::previewFollowsItsDrawingsLock_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("lock") << "lock";
    QTest::newRow("unlock") << "unlock";
    QTest::newRow("delete") << "delete";
    QTest::newRow("check-in over it") << "check-in";
}

void TestPlatformRules::previewFollowsItsDrawingsLock()
{
    QFETCH(QString, action);
    // bob holds deck.dwg; alice may neither change its preview nor take it.
    PlatformClient &alice = *m_as["alice"];
    const QJsonObject deck = alice.find("deck.dwg");
    QCOMPARE(deck.value("_LockedBy").toString(), QString("bob"));
    const QJsonObject preview = alice.previewOf(deck);
    QVERIFY(!preview.value("name").toString().isEmpty());
    QJsonObject answer;
    int status = 0;
    if (action == QLatin1String("delete")) {
        status = alice.post("/api/v1/delete", {{"refs", QJsonArray{refTo(preview)}}}, &answer);
    } else if (action == QLatin1String("check-in")) {
        status = alice.checkIn({QJsonObject{{"parent", -1}, {"title", preview["title"]},
                                            {"name", preview["name"]}, {"maintainlock", "true"}}},
                               {"not a preview"}, &answer);
    } else {
        status = alice.post("/api/v1/" + action, {{"ref", refTo(preview)}}, &answer);
    }
    QCOMPARE(status, 409);
    QVERIFY(answer.value("error").toString().contains("bob"));
    const QJsonObject after = alice.previewOf(deck);
    QCOMPARE(after.value("_sha256"), preview.value("_sha256"));
    QCOMPARE(after.value("_LockedBy").toString(), QString("bob"));
}

void TestPlatformRules::drawingHolderChecksInItsPreview()
{
    // alice takes the preview of a drawing nobody holds; bob then locks the drawing, and his
    // lock covers the preview: his check-in of both goes through.
    PlatformClient &alice = *m_as["alice"];
    PlatformClient &bob = *m_as["bob"];
    const QJsonObject bridge = bob.find("bridge.dwg");
    const QJsonObject preview = bob.previewOf(bridge);
    QCOMPARE(alice.post("/api/v1/lock", {{"ref", refTo(preview)}}), 200);
    QCOMPARE(bob.post("/api/v1/lock", {{"ref", refTo(bridge)}}), 200);
    QCOMPARE(bob.checkIn({QJsonObject{{"parent", -1}, {"title", "bridge.dwg"},
                                      {"name", bridge["name"]}, {"maintainlock", "true"}},
                          QJsonObject{{"parent", 0}, {"title", preview["title"]},
                                      {"_RelationToParent", "DerivedOutputOf"},
                                      {"maintainlock", "true"}}},
                         {"0\nSECTION\n0\nENDSEC\n0\nEOF\n", "new preview bytes"}),
             200);
    QCOMPARE(bob.previewOf(bridge).value("revision").toString(), QString("2"));
    QCOMPARE(alice.post("/api/v1/delete", {{"refs", QJsonArray{refTo(preview)}}}), 409);
}

void TestPlatformRules::boundedQueries_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("count"); // how many values; negative: characters of one text
    QTest::addColumn<int>("status");
    QTest::newRow("100,000 types") << "_TypePattern" << 100000 << 400;
    QTest::newRow("30 short types") << "_TypePattern" << 30 << 413;
    QTest::newRow("20,000 titles") << "_or_title_" << 20000 << 413;
    QTest::newRow("title pattern of 60,000 characters") << "_TitlePattern" << -60000 << 400;
    QTest::newRow("name pattern of 60,000 characters") << "_NamePattern" << -60000 << 400;
    QTest::newRow("one title of 60,000 characters") << "_or_title_" << -60000 << 400;
    QTest::newRow("5,000 titles") << "_or_title_" << 5000 << 200;
}

void TestPlatformRules::boundedQueries()
{
    QFETCH(QString, key);
    QFETCH(int, count);
    QFETCH(int, status);
    QJsonObject query;
    if (count < 0) {
        const QString longText = "*" + QString(-count, QLatin1Char('a'));
        query.insert(key.endsWith(QLatin1Char('_')) ? key + QLatin1Char('0') : key, longText);
    } else if (key == QLatin1String("_TypePattern")) {
        QStringList types;
        for (int i = 0; i < count; ++i)
            types << QStringLiteral("Type %1").arg(i);
        query.insert(key, types.join(QLatin1Char(',')));
    } else {
        for (int i = 0; i < count; ++i)
            query.insert(key + QString::number(i), QStringLiteral("file %1.dwg").arg(i));
    }
    QElapsedTimer timer;
    timer.start();
    QJsonObject answer;
    QCOMPARE(m_as["carol"]->post("/api/v1/search", {{"query", query}}, &answer), status);
    QVERIFY(answer.contains(status == 200 ? "objects" : "error"));
    // No worker is pinned: the answer comes within seconds either way.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

void TestPlatformRules::unsafeTitlesAreRefused_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("device name") << "CON" << false;
    QTest::newRow("device name with a suffix") << "nul.dwg" << false;
    QTest::newRow("numbered device, other case") << "Com7.dxf" << false;
    QTest::newRow("trailing dot") << "plan.dwg." << false;
    QTest::newRow("trailing space") << "plan.dwg " << false;
    QTest::newRow("right-to-left override") << QString::fromUtf8("plan\u202Egpj.dwg") << false;
    QTest::newRow("isolate") << QString::fromUtf8("plan\u2067x.dwg") << false;
    QTest::newRow("C1 control character") << QString::fromUtf8("plan\u0085.dwg") << false;
    QTest::newRow("tab") << "plan\t.dwg" << false;
    QTest::newRow("over 255 bytes") << QString(300, QLatin1Char('a')) + ".dwg" << false;
    QTest::newRow("device name inside a longer name") << "console.dwg" << true;
    QTest::newRow("non-Latin letters and an emoji") << QString::fromUtf8("план 📐.dwg") << true;
}

void TestPlatformRules::unsafeTitlesAreRefused()
{
    QFETCH(QString, title);
    QFETCH(bool, accepted);
    PlatformClient &carol = *m_as["carol"];
    QJsonObject answer;
    QCOMPARE(carol.checkIn({QJsonObject{{"parent", -1}, {"title", title}, {"name", carol.autoname()},
                                        {"collabspace", "Harbour Works"}}},
                           {"bytes"}, &answer),
             accepted ? 200 : 400);
    if (accepted)
        return;
    const QString message = answer.value("error").toString();
    // The message says what is wrong without carrying the hidden characters themselves.
    QVERIFY2(message.contains("file name") || message.contains("device name"),
             qPrintable(message));
    for (const QChar c : message) {
        QVERIFY2(c.category() != QChar::Other_Control && c.unicode() != 0x202E
                     && c.unicode() != 0x2067,
                 qPrintable(message));
    }
}

void TestPlatformRules::trustedProxyNamesTheClient()
{
    PlatformProcess::Options options;
    options.serveArguments = QStringList{"--trusted-proxy", "127.0.0.1"};
    PlatformProcess platform(options);
    QString error;
    QVERIFY2(platform.start(&error), qPrintable(error));
    QVERIFY(platform.addUser("dora", "dora-pw"));
    // Behind the proxy, one client guessing is held back, and another client is not.
    PlatformClient guesser(platform.serverHost());
    guesser.http().set_default_headers({{"X-Forwarded-For", "10.0.0.9, 203.0.113.7"}});
    int status = 0;
    for (int i = 0; i < 25 && status != 429; ++i)
        status = guesser.signIn(QStringLiteral("guess%1").arg(i), "pw");
    QCOMPARE(status, 429);
    QCOMPARE(guesser.signIn("dora", "dora-pw"), 429);
    PlatformClient other(platform.serverHost());
    other.http().set_default_headers({{"X-Forwarded-For", "203.0.113.8"}});
    QCOMPARE(other.signIn("dora", "dora-pw"), 200);
}

void TestPlatformRules::detailsByNameHonourTheType()
{
    PlatformClient &bob = *m_as["bob"];
    QJsonObject answer;
    const QJsonObject byId{{"phid", m_platform->demoObjectId("bridge.dwg")}};
    QCOMPARE(bob.post("/api/v1/details", {{"refs", QJsonArray{byId}}}, &answer), 200);
    const QString name = answer["results"].toArray().at(0).toObject()["name"].toString();
    QVERIFY(!name.isEmpty());
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

void TestPlatformRules::passwordGuessingIsSlowedDown()
{
    QVERIFY(m_platform->addUser("target", "right-pw"));
    PlatformClient client(m_platform->serverHost());
    // A few mistakes cost nothing; then every guess waits, and the right password too.
    int retryAfter = 0;
    QList<int> statuses;
    for (int i = 0; i < 7; ++i)
        statuses << client.signIn("target", "wrong-pw", &retryAfter);
    QCOMPARE(statuses.mid(0, 5), QList<int>({401, 401, 401, 401, 401}));
    QCOMPARE(statuses.last(), 429);
    QVERIFY2(retryAfter >= 1 && retryAfter <= 900, qPrintable(QString::number(retryAfter)));
    QCOMPARE(client.signIn("target", "right-pw"), 429);
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

QTEST_GUILESS_MAIN(TestPlatformRules)
#include "tst_platformrules.moc"
