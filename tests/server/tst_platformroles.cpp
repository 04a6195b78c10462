// Who may do what in a space, against real platforms on SQLite and (where it is installed)
// PostgreSQL: every write tried by a reader, an editor and a manager; deleted files waiting in
// the trash and coming back whole, then going for good; the trail of a two-user story.

#include "databaseplatforms.h"
#include "platformtestcase.h"

namespace {

const char kSpace[] = "Roles Space";

// The audit lines as "user action title revision detail", leaving out time and address.
QStringList trail(const QJsonArray &lines, QStringList *addresses = nullptr)
{
    QStringList out;
    for (const QJsonValue line : lines) {
        out << QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(line["user"].toString(), line["action"].toString(),
                        line["title"].toString())
                   .arg(line["revision"].toInt())
                   .arg(line["detail"].toString())
                   .trimmed();
        if (addresses)
            *addresses << line["address"].toString();
    }
    return out;
}

} // namespace

class TestPlatformRoles : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString problem;
        QVERIFY2(m_platforms.start(prepare, &problem), qPrintable(problem));
    }

    void everyRoleTriesEveryWrite_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<int>("index"); // of the role: reader, editor, manager
        for (const bool postgres : {false, true}) {
            const char *database = postgres ? "PostgreSQL" : "SQLite";
            QTest::addRow("%s reader", database) << postgres << 0;
            QTest::addRow("%s editor", database) << postgres << 1;
            QTest::addRow("%s manager", database) << postgres << 2;
        }
    }

    void everyRoleTriesEveryWrite()
    {
        QFETCH(bool, postgres);
        QFETCH(int, index);
        // What the role table promises, written out: reading for all, writing for editors
        // (their own deletes, their own locks), the rest for managers.
        const QStringList promised{
            "save new 403 200 200",          "save theirs 403 200 200",
            "lock theirs 403 200 200",       "unlock theirs 403 200 200",
            "unlock their lock 403 409 200", "restore version 403 200 200",
            "delete mine 403 200 200",       "delete theirs 403 403 200",
            "restore from trash 403 403 200", "read trail 403 403 200",
            "manage members 403 403 200"};
        const QString role = QStringList{"reader", "editor", "manager"}.at(index);
        const QString user = QStringList{"carol", "bob", "alice"}.at(index);
        QStringList answers{"search 200 " + role};
        for (const QString &line : promised)
            answers << line.section(' ', 0, -4) + ' ' + line.section(' ', index - 3, index - 3);
        PlatformProcess *platform = m_platforms.of(postgres);
        if (!platform)
            QSKIP("PostgreSQL is not installed");
        SignedIn actor(platform->serverHost(), user, user + "-password");
        SignedIn dave(platform->serverHost(), "dave", "dave-password");

        // A file of the actor's own (made while an editor), and dave's: one with two versions,
        // one he keeps locked, one he deleted.
        QCOMPARE(platform->run({"member", "role", kSpace, user, "editor"}).exitCode, 0);
        QJsonObject stored;
        const auto made = [&stored] { return ref(stored.value("objects")[0]["phid"]); };
        QCOMPARE(actor.checkIn({record("mine-" + role + ".dxf", actor.autoname(), kSpace)},
                               {"mine"}, &stored),
                 200);
        const QJsonObject mine = made();
        QCOMPARE(platform->run({"member", "role", kSpace, user, role}).exitCode, 0);
        const QJsonObject theirsRecord = record("theirs-" + role + ".dxf", dave.autoname(), kSpace);
        QCOMPARE(dave.checkIn({theirsRecord}, {"theirs 1"}), 200);
        QCOMPARE(dave.checkIn({theirsRecord}, {"theirs 2"}, &stored), 200);
        const QJsonObject theirs = made();
        QJsonObject lockedRecord = record("locked-" + role + ".dxf", dave.autoname(), kSpace);
        lockedRecord.insert("maintainlock", "true");
        QCOMPARE(dave.checkIn({lockedRecord}, {"locked"}, &stored), 200);
        const QJsonObject locked = made();
        QCOMPARE(dave.checkIn({record("gone-" + role + ".dxf", dave.autoname(), kSpace)}, {"gone"},
                              &stored),
                 200);
        const QJsonObject gone = made();
        QCOMPARE(dave.post("/api/v1/delete", {{"refs", QJsonArray{gone}}}), 200);

        QJsonObject answer;
        const int searched = actor.post(
            "/api/v1/search", {{"query", QJsonObject{{"_CS", kSpace}, {"_TypePattern", "*"}}}},
            &answer);
        QString roleShown;
        for (const QJsonValue object : answer["objects"].toArray())
            roleShown = object["_Role"].toString();
        QStringList seen{QStringLiteral("search %1 %2").arg(searched).arg(roleShown)};
        const auto tried = [&seen](const QString &what, int status) {
            seen << QStringLiteral("%1 %2").arg(what).arg(status);
        };
        tried("save new", actor.checkIn({record("new-" + role + ".dxf", actor.autoname(), kSpace)},
                                        {"new"}));
        tried("save theirs", actor.checkIn({theirsRecord}, {"theirs by " + user.toUtf8()}));
        tried("lock theirs", actor.post("/api/v1/lock", {{"ref", theirs}}));
        tried("unlock theirs", actor.post("/api/v1/unlock", {{"ref", theirs}}));
        tried("unlock their lock", actor.post("/api/v1/unlock", {{"ref", locked}}));
        tried("restore version",
              actor.post("/api/v1/objects/" + theirs["phid"].toString() + "/versions/1/restore",
                         {}));
        tried("delete mine", actor.post("/api/v1/delete", {{"refs", QJsonArray{mine}}}));
        tried("delete theirs", actor.post("/api/v1/delete", {{"refs", QJsonArray{theirs}}}));
        tried("restore from trash", actor.post("/api/v1/trash/restore", {{"refs", QJsonArray{gone}}}));
        tried("read trail", actor.http().Get("/api/v1/audit")->status);
        tried("manage members", actor.post("/api/v1/members", {{"space", kSpace}, {"login", "dave"},
                                                              {"role", "editor"}}));
        QCOMPARE(seen, answers);
    }

    void refusalsSayWhatIsMissing()
    {
        PlatformProcess &platform = m_platforms.sqlite();
        SignedIn carol(platform.serverHost(), "carol", "carol-password");
        QCOMPARE(platform.run({"member", "role", kSpace, "carol", "reader"}).exitCode, 0);
        QJsonObject answer;
        QCOMPARE(carol.checkIn({record("refused.dxf", carol.autoname(), kSpace)}, {"refused"},
                               &answer),
                 403);
        QCOMPARE(answer["error"].toString(),
                 QString("You can read Roles Space but not save to it."));
        // Roles as the spaces list tells them to the module, as a manager ends the membership
        // and gives it again.
        const auto roles = [&carol] {
            QJsonObject spaces;
            return carol.get("/api/v1/spaces", &spaces) == 200 ? spaces["roles"].toObject()
                                                               : QJsonObject{{"refused", true}};
        };
        QCOMPARE(roles(), (QJsonObject{{kSpace, "reader"}}));
        SignedIn alice(platform.serverHost(), "alice", "alice-password");
        const QJsonObject carolIn{{"space", kSpace}, {"login", "carol"}};
        QCOMPARE(alice.post("/api/v1/members/remove", carolIn), 200);
        QCOMPARE(roles(), QJsonObject());
        for (const char *role : {"owner", "reader"}) {
            QJsonObject membership = carolIn;
            membership.insert("role", role);
            QCOMPARE(alice.post("/api/v1/members", membership), *role == 'o' ? 400 : 200);
        }
        QCOMPARE(roles(), (QJsonObject{{kSpace, "reader"}}));
        // Wrong roles are wrong usage, an unknown member is named.
        QCOMPARE(platform.run({"member", "role", kSpace, "carol", "owner"}).exitCode, 2);
        const PlatformProcess::Result stranger =
            platform.run({"member", "role", kSpace, "erin", "editor"});
        QCOMPARE(stranger.exitCode, 1);
        QVERIFY2(stranger.err.contains("erin"), stranger.err.constData());
    }

    void deletedFilesComeBackWholeThenGoForGood()
    {
        PlatformProcess &platform = m_platforms.sqlite();
        SignedIn bob(platform.serverHost(), "bob", "bob-password");
        QCOMPARE(platform.run({"member", "role", kSpace, "bob", "editor"}).exitCode, 0);
        // A drawing of two versions with a reference; only the drawing is deleted.
        const QJsonArray records{record("pier.dxf", bob.autoname(), kSpace),
                                 record("pier-rebar.dxf", bob.autoname(), kSpace, 0)};
        QCOMPARE(bob.checkIn(records, {"pier one", "rebar"}), 200);
        QCOMPARE(bob.checkIn({records[0]}, {"pier two"}), 200);
        const QJsonObject pier = bob.find("pier.dxf");
        const QJsonArray refs{ref(pier["phid"])};
        // Its versions and structure, as they must come back.
        const auto state = [&bob, &pier] {
            QJsonObject versions;
            QJsonObject structure;
            return QJsonArray{bob.get("/api/v1/objects/" + pier["phid"].toString() + "/versions",
                                      &versions),
                              versions,
                              bob.post("/api/v1/structure", {{"ref", ref(pier["phid"])}},
                                       &structure),
                              structure};
        };
        const QJsonArray before = state();
        QVERIFY(before[0] == 200 && before[2] == 200);

        QCOMPARE(bob.post("/api/v1/delete", {{"refs", refs}}), 200);
        QCOMPARE(bob.findAll("pier.dxf").size(), 0);
        QJsonObject trash;
        QCOMPARE(bob.get("/api/v1/trash", &trash), 200);
        // The drawing alone, its reference left where it was (bob's earlier deletes aside).
        QStringList trashed;
        for (const QJsonValue object : trash["objects"].toArray()) {
            if (object["title"].toString().startsWith("pier"))
                trashed << object["name"].toString() + " " + object["_TrashedBy"].toString();
        }
        QCOMPARE(trashed, QStringList{pier["name"].toString() + " bob"});
        QCOMPARE(bob.findAll("pier-rebar.dxf").size(), 1);
        // Saving over it is refused, saying where it is.
        QJsonObject saved = record("pier.dxf", pier["name"].toString(), kSpace);
        saved.insert("selected", "false");
        QJsonObject answer;
        QCOMPARE(bob.checkIn({saved}, {""}, &answer), 409);
        QVERIFY2(answer["error"].toString().contains("trash of Roles Space"),
                 qPrintable(answer["error"].toString()));

        QCOMPARE(bob.post("/api/v1/trash/restore", {{"refs", refs}}), 200);
        QCOMPARE(state(), before);
        QCOMPARE(bob.downloadDigest(pier["phid"].toString(), 1), PlatformClient::sha256("pier one"));

        // Deleted again and left longer than the trash keeps: gone for good, with the bytes only
        // it used; the reference and its bytes stay.
        QCOMPARE(bob.post("/api/v1/delete", {{"refs", refs}}), 200);
        QVERIFY(platform.change({"UPDATE objects SET trashed_at = trashed_at - 8 * 86400 WHERE "
                                 "name = '" + pier["name"].toString() + "'"}));
        QCOMPARE(platform.run({"trash", "purge", "--trash-days", "10"}).out,
                 QByteArray("deleted 0 objects for good\n"));
        QCOMPARE(platform.run({"trash", "purge", "--trash-days", "7"}).out,
                 QByteArray("deleted 1 objects for good\n"));
        QStringList counts;
        for (const char *content : {"pier one", "pier two", "rebar"})
            counts << "SELECT COUNT(*) FROM contents WHERE sha256 = '"
                    + PlatformClient::sha256(content) + "'";
        QCOMPARE(platform.countsOf(counts), (QList<int>{0, 0, 1}));
        QCOMPARE(bob.post("/api/v1/trash/restore", {{"refs", refs}}), 404);
        // Its name is never given to another file.
        QCOMPARE(bob.checkIn({records[0]}, {"pier again"}), 400);
    }

    void theTrailOfTwoUsersListsEveryWriteInOrder()
    {
        PlatformProcess platform;
        QString problem;
        QVERIFY2(platform.start(&problem), qPrintable(problem));
        QVERIFY(prepare(platform));
        SignedIn alice(platform.serverHost(), "alice", "alice-password");
        SignedIn bob(platform.serverHost(), "bob", "bob-password");
        // What was done before the story (making the space) stays at the head of the trail.
        const auto readTrail = [&alice](const QString &query, QStringList *addresses = nullptr) {
            const httplib::Result read = alice.http().Get(("/api/v1/audit" + query).toStdString());
            return read && read->status == 200
                ? trail(QJsonDocument::fromJson(QByteArray::fromStdString(read->body)).array(),
                        addresses)
                : QStringList{"status " + QString::number(read ? read->status : 0)};
        };
        const int before = readTrail(QString()).size();
        QCOMPARE(before, 4);

        const QJsonObject file = record("quay.dxf", alice.autoname(), kSpace);
        QJsonObject stored;
        QCOMPARE(alice.checkIn({file}, {"quay 1"}, &stored, "first draft"), 200);
        const QJsonObject quay{{"ref", ref(stored.value("objects")[0]["phid"])}};
        const QJsonObject refs{{"refs", QJsonArray{quay["ref"]}}};
        QCOMPARE((QList<int>{
                     bob.post("/api/v1/lock", quay),
                     bob.checkIn({file}, {"quay 2"}, nullptr, "bob's pier"),
                     bob.post("/api/v1/unlock", quay), alice.post("/api/v1/delete", refs),
                     alice.post("/api/v1/trash/restore", refs),
                     alice.post("/api/v1/members",
                                {{"space", kSpace}, {"login", "bob"}, {"role", "reader"}}),
                     // Refused writes leave no line.
                     bob.post("/api/v1/lock", quay)}),
                 QList<int>({200, 200, 200, 200, 200, 200, 403}));

        QStringList addresses;
        const QStringList lines = readTrail(QString(), &addresses).mid(before);
        QCOMPARE(lines, (QStringList{"alice checkin quay.dxf 1 first draft", "bob lock quay.dxf 1",
                                     "bob checkin quay.dxf 2 bob's pier", "bob unlock quay.dxf 2",
                                     "alice delete quay.dxf 2 moved to the trash",
                                     "alice undelete quay.dxf 2 restored from the trash",
                                     "alice role change  0 bob from editor to reader"}));
        QCOMPARE(addresses.mid(before), QStringList(QVector<QString>(7, "127.0.0.1").toList()));
        // Narrowed by user and object, and the same through the command.
        QCOMPARE(readTrail("?user=bob&object=quay.dxf"), lines.mid(1, 3));
        QCOMPARE(readTrail("?since=2000-01-01T00:00:00Z&until=2999-01-01T00:00:00Z").size(),
                 before + lines.size());
        QCOMPARE(readTrail("?since=2999-01-01T00:00:00Z"), QStringList());
        QCOMPARE(readTrail("?until=2000-01-01T00:00:00Z"), QStringList());
        QCOMPARE(readTrail("?since=yesterday"), QStringList{"status 400"});
        QCOMPARE(trail(QJsonDocument::fromJson(platform.run({"audit", "--user", "bob", "--object",
                                                             "quay.dxf", "--json"}).out)
                           .array()),
                 lines.mid(1, 3));
    }

private:
    // alice manages the space, bob edits, carol reads, dave edits as the colleague.
    static bool prepare(PlatformProcess &platform)
    {
        for (const char *login : {"alice", "bob", "carol", "dave"}) {
            if (!platform.addUser(login, QString(login) + "-password", login, "Tester"))
                return false;
        }
        if (platform.run({"space", "add", kSpace}).exitCode != 0)
            return false;
        for (const auto &[login, role] : {std::pair<const char *, const char *>{"alice", "manager"},
                                          {"bob", "editor"},
                                          {"carol", "reader"},
                                          {"dave", "editor"}}) {
            if (platform.run({"member", "add", kSpace, login, "--role", role}).exitCode != 0)
                return false;
        }
        return true;
    }

    DatabasePlatforms m_platforms;
};

QTEST_GUILESS_MAIN(TestPlatformRoles)
#include "tst_platformroles.moc"
