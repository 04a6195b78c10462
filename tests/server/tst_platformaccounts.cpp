// The administrator's account commands against a served demo platform: disabling an account
// that is signed in, breaking a colleague's lock, removing accounts only when nothing is left of
// them, the password rules, memberships and the lists scripts read.

#include "eventreader.h"
#include "platformclient.h"
#include "platformprocess.h"

#include <QtTest>

namespace {

// The JSON list a command printed with --json, one line per entry with the keys' values.
QStringList entries(const PlatformProcess::Result &result, const QStringList &keys)
{
    QStringList lines;
    for (const QJsonValue entry : QJsonDocument::fromJson(result.out).array()) {
        QStringList values;
        for (const QString &key : keys)
            values << entry[key].toVariant().toString();
        lines << values.join(QLatin1Char('|'));
    }
    return lines;
}

int cookieSignIn(const QString &serverHost, const QString &cookie)
{
    PlatformClient client(serverHost);
    return client.http()
        .Post("/cas/v1/cookie", PlatformClient::text({{"cookie", cookie}}), "application/json")
        ->status;
}

} // namespace

class TestPlatformAccounts : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QString error;
        m_platform = PlatformProcess::startDemo(&error);
        QVERIFY2(m_platform, qPrintable(error));
        m_alice = std::make_unique<PlatformClient>(m_platform->serverHost());
        QCOMPARE(m_alice->signIn("alice", "alice-demo-pw"), 200);
    }

    void cleanup()
    {
        m_alice.reset();
        m_platform.reset();
    }

    void disablingEndsSessionsAndCookiesAndListsLocks()
    {
        PlatformClient bob(m_platform->serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        const QString cookie = m_platform->issueCookie("bob");
        QCOMPARE(bob.http().Get("/api/v1/me")->status, 200);

        const PlatformProcess::Result disabled = m_platform->run({"user", "disable", "bob"});
        QCOMPARE(disabled.exitCode, 0);
        QCOMPARE(bob.http().Get("/api/v1/me")->status, 401);
        QCOMPARE(cookieSignIn(m_platform->serverHost(), cookie), 401);
        QCOMPARE(bob.signIn("bob", "wrong password"), 401);
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 403);
        QCOMPARE(m_platform->run({"issue-cookie", "bob"}).exitCode, 1);

        // The locks he keeps are said, and are the ones the lock list shows.
        const PlatformProcess::Result locks = m_platform->run({"lock", "list", "--user", "bob"});
        QVERIFY2(disabled.out.endsWith(locks.out), disabled.out.constData());
        QCOMPARE(entries(m_platform->run({"lock", "list", "--user", "bob", "--json"}),
                         {"title", "space", "lockedBy", "name"}),
                 (QStringList{"stair.dxf|Bridge Project|bob|" + nameOf("stair.dxf"),
                              "deck.dwg|Common Space|bob|" + nameOf("deck.dwg")}));
        QCOMPARE(entries(m_platform->run({"user", "list", "--json"}), {"login", "disabled"}),
                 (QStringList{"alice|false", "bob|true", "carol|false"}));
        // Signed in: alice in init, bob before he was disabled.
        const QJsonArray users =
            QJsonDocument::fromJson(m_platform->run({"user", "list", "--json"}).out).array();
        QStringList signedIn;
        for (const QJsonValue user : users)
            signedIn << user["login"].toString() + ' ' + (user["lastSignIn"].isNull() ? "never"
                                                                                     : "once");
        QCOMPARE(signedIn, (QStringList{"alice once", "bob once", "carol never"}));

        QCOMPARE(m_platform->run({"user", "enable", "bob"}).exitCode, 0);
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        QCOMPARE(cookieSignIn(m_platform->serverHost(), cookie), 401);
    }

    void administratorReleasesALock()
    {
        const QString deck = nameOf("deck.dwg");
        QCOMPARE(m_alice->post("/api/v1/lock", {{"ref", QJsonObject{{"name", deck}}}}), 409);
        EventReader carol(m_platform->serverHost(), "carol");
        QTRY_VERIFY(carol.isOpen());

        const PlatformProcess::Result released = m_platform->run({"lock", "release", deck});
        QCOMPARE(released.exitCode, 0);
        QVERIFY2(released.err.contains("held by bob was released by administrator"),
                 released.err.constData());
        QTRY_COMPARE(carol.events().size(), 1);
        QVERIFY2(carol.events().first().startsWith("unlock deck.dwg administrator "),
                 qPrintable(carol.events().first()));
        // Alice takes it over, the preview with it.
        QCOMPARE(m_alice->post("/api/v1/lock", {{"ref", QJsonObject{{"name", deck}}}}), 200);
        QCOMPARE(m_alice->previewOf(m_alice->find("deck.dwg"))["_LockedBy"].toString(),
                 QString("alice"));
        QCOMPARE(entries(m_platform->run({"lock", "list", "--json"}), {"title", "lockedBy"}),
                 (QStringList{"stair.dxf|bob", "deck.dwg|alice", "quay.dxf|carol"}));

        const PlatformProcess::Result unknown = m_platform->run({"lock", "release", "AX9"});
        QCOMPARE(unknown.exitCode, 1);
        QVERIFY(unknown.err.contains("there is no object AX9"));
    }

    void removeOnlyWhenNothingIsLeft_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("daveSavesLogo"); // a version of alice's logo.png
        QTest::newRow("holds locks") << "bob" << 1 << "holds the locks of deck.dwg" << false;
        QTest::newRow("owns objects")
            << "alice" << 1 << "owns berth-schedule.pdf, bridge.dwg" << false;
        QTest::newRow("saved a version of a colleague's file")
            << "dave" << 1 << "saved versions that are kept: 1" << true;
        QTest::newRow("unknown") << "nobody" << 1 << "unknown user nobody" << false;
        QTest::newRow("member, signed in, with names and a cookie") << "dave" << 0 << "" << false;
    }

    void removeOnlyWhenNothingIsLeft()
    {
        QFETCH(QString, login);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(bool, daveSavesLogo);
        QVERIFY(m_platform->addUser("dave", "dave-password"));
        QVERIFY(m_platform->addSpace("Dave's Space", {"dave"}));
        QCOMPARE(m_platform->run({"member", "add", "Common Space", "dave"}).exitCode, 0);
        QVERIFY(!m_platform->issueCookie("dave").isEmpty());
        PlatformClient dave(m_platform->serverHost());
        QCOMPARE(dave.signIn("dave", "dave-password"), 200);
        QVERIFY(!dave.autoname().isEmpty());
        if (daveSavesLogo) {
            const QJsonObject logo{{"parent", -1}, {"title", "logo.png"},
                                   {"name", nameOf("logo.png")}};
            QCOMPARE(dave.checkIn({logo}, {"dave's logo"}), 200);
        }
        const QByteArray usersBefore = m_platform->run({"user", "list"}).out;

        const PlatformProcess::Result removed = m_platform->run({"user", "remove", login});
        QCOMPARE(removed.exitCode, exitCode);
        QVERIFY2(removed.err.contains(said.toUtf8()), removed.err.constData());
        const QStringList users = entries(m_platform->run({"user", "list", "--json"}), {"login"});
        if (exitCode != 0) {
            QCOMPARE(m_platform->run({"user", "list"}).out, usersBefore);
            return;
        }
        QCOMPARE(users, (QStringList{"alice", "bob", "carol"}));
        QCOMPARE(dave.http().Get("/api/v1/me")->status, 401);
        QCOMPARE(entries(m_platform->run({"member", "list", "Dave's Space", "--json"}),
                         {"login"}),
                 QStringList());
        // The name is free again.
        QVERIFY(m_platform->addUser("Dave", "another-password"));
    }

    void passwordAndLoginRules_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        const QStringList addGina{"user", "add", "gina"};
        QTest::newRow("nine characters") << addGina << "nine-char" << "at least 10 characters";
        QTest::newRow("ten characters") << addGina << "ten-chars!" << "";
        // Characters count, not the UTF-16 units of characters outside the basic plane.
        QTest::newRow("nine wide characters")
            << addGina << QString::fromUtf8("📐📐📐📐📐📐📐📐📐") << "at least 10 characters";
        QTest::newRow("the login in capitals")
            << QStringList{"user", "add", "frankfurter1"} << "FRANKFURTER1"
            << "must not be the user name";
        QTest::newRow("a login that differs in case only")
            << QStringList{"user", "add", "Alice"} << "long-enough-pw"
            << "user alice exists already; user names that differ only in letter case";
        QTest::newRow("short new password")
            << QStringList{"user", "passwd", "alice"} << "short" << "at least 10 characters";
        QTest::newRow("new password") << QStringList{"user", "passwd", "alice"}
                                      << "alice-new-password" << "";
    }

    void passwordAndLoginRules()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, password);
        QFETCH(QString, refusal);
        const QByteArray usersBefore = m_platform->run({"user", "list"}).out;
        const PlatformProcess::Result result = m_platform->run(command, password.toUtf8() + '\n');
        QCOMPARE(result.exitCode, refusal.isEmpty() ? 0 : 1);
        QVERIFY2(result.err.contains(refusal.toUtf8()), result.err.constData());
        PlatformClient client(m_platform->serverHost());
        QCOMPARE(client.signIn(command.at(2), password), refusal.isEmpty() ? 200 : 401);
        if (!refusal.isEmpty())
            QCOMPARE(m_platform->run({"user", "list"}).out, usersBefore);
    }

    void spacesAndMemberships()
    {
        // Members as the demo made them; objects as alice, a member of every space, finds them.
        QStringList expected;
        for (const auto &[space, members] : {std::pair<QString, int>{"Bridge Project", 2},
                                             {"Common Space", 3},
                                             {"Harbour Works", 2}}) {
            QJsonObject found;
            m_alice->post("/api/v1/search",
                          {{"query", QJsonObject{{"_CS", space},
                                                 {"_TypePattern", "ACAD Drawing,ACAD Insert"}}}},
                          &found);
            expected << QStringLiteral("%1|%2|%3").arg(space).arg(members).arg(
                found["objects"].toArray().size());
        }
        QCOMPARE(entries(m_platform->run({"space", "list", "--json"}),
                         {"space", "members", "objects"}),
                 expected);

        PlatformClient bob(m_platform->serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        const PlatformProcess::Result removed =
            m_platform->run({"member", "remove", "Bridge Project", "bob"});
        QCOMPARE(removed.exitCode, 0);
        // His lock there stays, and is said.
        QVERIFY2(removed.out.contains("stair.dxf"), removed.out.constData());
        QJsonObject spaces;
        QCOMPARE(bob.get("/api/v1/spaces", &spaces), 200);
        QCOMPARE(spaces["spaces"].toVariant().toStringList(), QStringList{"Common Space"});
        QCOMPARE(entries(m_platform->run({"member", "list", "Bridge Project", "--json"}),
                         {"login", "preferred", "disabled"}),
                 QStringList{"alice|false|false"});
        const PlatformProcess::Result again =
            m_platform->run({"member", "remove", "Bridge Project", "bob"});
        QCOMPARE(again.exitCode, 1);
        QVERIFY(again.err.contains("bob is not a member of Bridge Project"));
    }

private:
    QString nameOf(const QString &title) { return m_alice->find(title)["name"].toString(); }

    std::unique_ptr<PlatformProcess> m_platform;
    std::unique_ptr<PlatformClient> m_alice;
};

QTEST_GUILESS_MAIN(TestPlatformAccounts)
#include "tst_platformaccounts.moc"
