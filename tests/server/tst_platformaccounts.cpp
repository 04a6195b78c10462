// The administrator's account commands against a served demo platform: disabling an account
// that is signed in, breaking a colleague's lock, removing accounts only when nothing is left of
// them, the password rules, memberships and the lists scripts read.

#include "eventreader.h"
#include "platformtestcase.h"

class TestPlatformAccounts : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(startDemo({"alice"}), QString()); }

    void cleanup()
    {
        m_as.clear();
        m_platform.reset();
    }

    void disablingEndsSessionsAndCookiesAndListsLocks()
    {
        const QString host = m_platform->serverHost();
        SignedIn bob(host, "bob");
        const QString cookie = m_platform->issueCookie("bob");
        QCOMPARE(bob.http().Get("/api/v1/me")->status, 200);

        const PlatformProcess::Result disabled = m_platform->run({"user", "disable", "bob"});
        QCOMPARE(disabled.exitCode, 0);
        QCOMPARE(bob.http().Get("/api/v1/me")->status, 401);
        QCOMPARE(cookieSignIn(host, {{"cookie", cookie}}), 401);
        QCOMPARE(bob.signIn("bob", "wrong password"), 401);
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 403);
        QCOMPARE(m_platform->run({"issue-cookie", "bob"}).exitCode, 1);

        // The locks he keeps are said, and are the ones the lock list shows.
        const PlatformProcess::Result locks = m_platform->run({"lock", "list", "--user", "bob"});
        QVERIFY2(disabled.out.endsWith(locks.out), disabled.out.constData());
        QCOMPARE(command({"lock", "list", "--user", "bob"}, {"title", "space", "lockedBy", "name"}),
                 (QStringList{"stair.dxf|Bridge Project|bob|" + nameOf("stair.dxf"),
                              "deck.dwg|Common Space|bob|" + nameOf("deck.dwg")}));
        // Signed in: alice in init, bob before he was disabled.
        QStringList users = command({"user", "list"}, {"login", "disabled", "lastSignIn"});
        users.replaceInStrings(QRegularExpression("\\|[^|]+$"), "|once");
        QCOMPARE(users, (QStringList{"alice|false|once", "bob|true|once", "carol|false|"}));

        QCOMPARE(m_platform->run({"user", "enable", "bob"}).exitCode, 0);
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        QCOMPARE(cookieSignIn(host, {{"cookie", cookie}}), 401);
    }

    void administratorReleasesALock()
    {
        SignedIn &alice = as("alice");
        const QJsonObject deck{{"ref", byName(nameOf("deck.dwg"))}};
        QCOMPARE(alice.post("/api/v1/lock", deck), 409);
        EventReader carol(m_platform->serverHost(), "carol");
        QTRY_VERIFY(carol.isOpen());

        const PlatformProcess::Result released =
            m_platform->run({"lock", "release", nameOf("deck.dwg")});
        QCOMPARE(released.exitCode, 0);
        QVERIFY2(released.err.contains("held by bob was released by administrator"),
                 released.err.constData());
        QTRY_COMPARE(carol.events().size(), 1);
        QVERIFY2(carol.events().first().startsWith("unlock deck.dwg administrator "),
                 qPrintable(carol.events().first()));
        // Alice takes it over, the preview with it.
        QCOMPARE(alice.post("/api/v1/lock", deck), 200);
        QCOMPARE(alice.previewOf(alice.find("deck.dwg"))["_LockedBy"].toString(), QString("alice"));
        QCOMPARE(command({"lock", "list"}, {"title", "lockedBy"}),
                 (QStringList{"stair.dxf|bob", "deck.dwg|alice", "quay.dxf|carol"}));

        const PlatformProcess::Result unknown = m_platform->run({"lock", "release", "AX9"});
        QCOMPARE(unknown.exitCode, 1);
        QVERIFY(unknown.err.contains("there is no object AX9"));
    }

    void removeOnlyWhenNothingIsLeft_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("refusal"); // empty: removed
        QTest::addColumn<bool>("daveSavesLogo"); // a version of alice's logo.png
        QTest::newRow("holds locks") << "bob" << "holds the locks of deck.dwg" << false;
        QTest::newRow("owns objects") << "alice" << "owns berth-schedule.pdf, bridge.dwg" << false;
        QTest::newRow("saved a version of a colleague's file")
            << "dave" << "saved versions that are kept: 1" << true;
        QTest::newRow("unknown") << "nobody" << "unknown user nobody" << false;
        QTest::newRow("member, signed in, with names and a cookie") << "dave" << "" << false;
    }

    void removeOnlyWhenNothingIsLeft()
    {
        QFETCH(QString, login);
        QFETCH(QString, refusal);
        QFETCH(bool, daveSavesLogo);
        QVERIFY(m_platform->addUser("dave", "dave-password"));
        QVERIFY(m_platform->addSpace("Dave's Space", {"dave"}));
        QCOMPARE(m_platform->run({"member", "add", "Common Space", "dave"}).exitCode, 0);
        QVERIFY(!m_platform->issueCookie("dave").isEmpty());
        SignedIn dave(m_platform->serverHost(), "dave", "dave-password");
        QVERIFY(!dave.autoname().isEmpty());
        if (daveSavesLogo) {
            const QJsonObject logo{{"parent", -1}, {"title", "logo.png"},
                                   {"name", nameOf("logo.png")}};
            QCOMPARE(dave.checkIn({logo}, {"dave's logo"}), 200);
        }
        const QByteArray usersBefore = m_platform->run({"user", "list"}).out;

        const PlatformProcess::Result removed = m_platform->run({"user", "remove", login});
        QCOMPARE(removed.exitCode, refusal.isEmpty() ? 0 : 1);
        QVERIFY2(removed.err.contains(refusal.toUtf8()), removed.err.constData());
        if (!refusal.isEmpty()) {
            QCOMPARE(m_platform->run({"user", "list"}).out, usersBefore);
            return;
        }
        QCOMPARE(command({"user", "list"}, {"login"}), (QStringList{"alice", "bob", "carol"}));
        QCOMPARE(dave.http().Get("/api/v1/me")->status, 401);
        QCOMPARE(command({"member", "list", "Dave's Space"}, {"login"}), QStringList());
        // The name is free again.
        QVERIFY(m_platform->addUser("Dave", "another-password"));
    }

    void passwordAndLoginRules_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        const QStringList addGina{"user", "add", "gina"};
        const QString tooShort = "at least 10 characters";
        QTest::newRow("nine characters") << addGina << "nine-char" << tooShort;
        QTest::newRow("ten characters") << addGina << "ten-chars!" << "";
        // Characters count, not the UTF-16 units of characters outside the basic plane.
        QTest::newRow("nine wide characters")
            << addGina << QString::fromUtf8("📐📐📐📐📐📐📐📐📐") << tooShort;
        QTest::newRow("the login in capitals") << QStringList{"user", "add", "frankfurter1"}
                                               << "FRANKFURTER1" << "must not be the user name";
        QTest::newRow("a login that differs in case only")
            << QStringList{"user", "add", "Alice"} << "long-enough-pw"
            << "user alice exists already; user names that differ only in letter case";
        QTest::newRow("short new password")
            << QStringList{"user", "passwd", "alice"} << "short" << tooShort;
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
            as("alice").post("/api/v1/search",
                             {{"query", QJsonObject{{"_CS", space},
                                                    {"_TypePattern", "ACAD Drawing,ACAD Insert"}}}},
                             &found);
            expected << QStringLiteral("%1|%2|%3").arg(space).arg(members).arg(
                found["objects"].toArray().size());
        }
        QCOMPARE(command({"space", "list"}, {"space", "members", "objects"}), expected);

        SignedIn bob(m_platform->serverHost(), "bob");
        const QStringList remove{"member", "remove", "Bridge Project", "bob"};
        const PlatformProcess::Result removed = m_platform->run(remove);
        QCOMPARE(removed.exitCode, 0);
        // His lock there stays, and is said.
        QVERIFY2(removed.out.contains("stair.dxf"), removed.out.constData());
        QJsonObject spaces;
        QCOMPARE(bob.get("/api/v1/spaces", &spaces), 200);
        QCOMPARE(spaces["spaces"].toVariant().toStringList(), QStringList{"Common Space"});
        QCOMPARE(command({"member", "list", "Bridge Project"}, {"login", "preferred", "disabled"}),
                 QStringList{"alice|false|false"});
        const PlatformProcess::Result again = m_platform->run(remove);
        QCOMPARE(again.exitCode, 1);
        QVERIFY(again.err.contains("bob is not a member of Bridge Project"));
    }

private:
    QString nameOf(const QString &title) { return as("alice").find(title)["name"].toString(); }

    // The list the administration command prints with --json, one line per entry.
    QStringList command(const QStringList &arguments, const QStringList &keys)
    {
        return lines(m_platform->run(arguments + QStringList{"--json"}).out, keys);
    }
};

QTEST_GUILESS_MAIN(TestPlatformAccounts)
#include "tst_platformaccounts.moc"
