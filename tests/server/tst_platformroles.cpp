// Who may do what in a space, against real platforms on SQLite and (where it is installed)
// PostgreSQL: every write tried by a reader, an editor and a manager; deleted files waiting in
// the trash and coming back whole, then going for good; the trail of a two-user story.

#include "databaseplatforms.h"
#include "platformclient.h"
#include "platformprocess.h"

#include <QtTest>

namespace {

const char kSpace[] = "Roles Space";

QJsonObject newFile(const QString &title, const QString &name, int parent = -1)
{
    QJsonObject record{{"parent", parent}, {"title", title}, {"name", name},
                       {"collabspace", kSpace}};
    if (parent >= 0)
        record.insert("_RelationToParent", "CADSubcomponent");
    return record;
}

QJsonObject ref(const QJsonObject &object)
{
    return QJsonObject{{"phid", object.value("phid")}};
}

QString error(const std::string &body)
{
    return PlatformClient::parse(body).value("error").toString();
}

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

class TestPlatformRoles : public QObject
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
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("answers");
        // What the role table promises, written out: reading for all, writing for editors
        // (their own deletes, their own locks), the rest for managers.
        const QStringList reader{"search 200 reader",     "save new 403",
                                 "save theirs 403",       "lock theirs 403",
                                 "unlock theirs 403",     "unlock their lock 403",
                                 "restore version 403",   "delete mine 403",
                                 "delete theirs 403",     "restore from trash 403",
                                 "read trail 403",        "manage members 403"};
        const QStringList editor{"search 200 editor",     "save new 200",
                                 "save theirs 200",       "lock theirs 200",
                                 "unlock theirs 200",     "unlock their lock 409",
                                 "restore version 200",   "delete mine 200",
                                 "delete theirs 403",     "restore from trash 403",
                                 "read trail 403",        "manage members 403"};
        const QStringList manager{"search 200 manager",   "save new 200",
                                  "save theirs 200",      "lock theirs 200",
                                  "unlock theirs 200",    "unlock their lock 200",
                                  "restore version 200",  "delete mine 200",
                                  "delete theirs 200",    "restore from trash 200",
                                  "read trail 200",       "manage members 200"};
        for (const bool postgres : {false, true}) {
            const char *database = postgres ? "PostgreSQL" : "SQLite";
            QTest::addRow("%s reader", database) << postgres << "reader" << "carol" << reader;
            QTest::addRow("%s editor", database) << postgres << "editor" << "bob" << editor;
            QTest::addRow("%s manager", database) << postgres << "manager" << "alice" << manager;
        }
    }

    void everyRoleTriesEveryWrite()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, role);
        QFETCH(QString, user);
        QFETCH(QStringList, answers);
        if (!m_platforms.of(postgres))
            QSKIP("PostgreSQL is not installed");
        PlatformProcess &platform = *m_platforms.of(postgres);
        PlatformClient actor(platform.serverHost());
        PlatformClient dave(platform.serverHost());
        QCOMPARE(actor.signIn(user, user + "-password"), 200);
        QCOMPARE(dave.signIn("dave", "dave-password"), 200);

        // A file of the actor's own (made while an editor), and dave's: one with two versions,
        // one he keeps locked, one he deleted.
        QCOMPARE(platform.run({"member", "role", kSpace, user, "editor"}).exitCode, 0);
        QJsonObject stored;
        QCOMPARE(actor.checkIn({newFile("mine-" + role + ".dxf", actor.autoname())}, {"mine"},
                               &stored),
                 200);
        const QJsonObject mine = stored["objects"].toArray().at(0).toObject();
        QCOMPARE(platform.run({"member", "role", kSpace, user, role}).exitCode, 0);
        const QJsonObject theirsRecord = newFile("theirs-" + role + ".dxf", dave.autoname());
        QCOMPARE(dave.checkIn({theirsRecord}, {"theirs 1"}), 200);
        QCOMPARE(dave.checkIn({theirsRecord}, {"theirs 2"}, &stored), 200);
        const QJsonObject theirs = stored["objects"].toArray().at(0).toObject();
        QJsonObject lockedRecord = newFile("locked-" + role + ".dxf", dave.autoname());
        lockedRecord.insert("maintainlock", "true");
        QCOMPARE(dave.checkIn({lockedRecord}, {"locked"}, &stored), 200);
        const QJsonObject locked = stored["objects"].toArray().at(0).toObject();
        QCOMPARE(dave.checkIn({newFile("gone-" + role + ".dxf", dave.autoname())}, {"gone"},
                              &stored),
                 200);
        const QJsonObject gone = stored["objects"].toArray().at(0).toObject();
        QCOMPARE(dave.post("/api/v1/delete", {{"refs", QJsonArray{ref(gone)}}}), 200);

        QStringList seen;
        QJsonObject answer;
        const int searched = actor.post(
            "/api/v1/search", {{"query", QJsonObject{{"_CS", kSpace}, {"_TypePattern", "*"}}}},
            &answer);
        QString roleShown;
        for (const QJsonValue object : answer["objects"].toArray())
            roleShown = object["_Role"].toString();
        seen << QStringLiteral("search %1 %2").arg(searched).arg(roleShown);
        const auto tried = [&seen](const QString &what, int status) {
            seen << QStringLiteral("%1 %2").arg(what).arg(status);
        };
        tried("save new", actor.checkIn({newFile("new-" + role + ".dxf", actor.autoname())},
                                        {"new"}));
        tried("save theirs", actor.checkIn({theirsRecord}, {"theirs by " + user.toUtf8()}));
        tried("lock theirs", actor.post("/api/v1/lock", {{"ref", ref(theirs)}}));
        tried("unlock theirs", actor.post("/api/v1/unlock", {{"ref", ref(theirs)}}));
        tried("unlock their lock", actor.post("/api/v1/unlock", {{"ref", ref(locked)}}));
        tried("restore version",
              actor.post("/api/v1/objects/" + theirs["phid"].toString() + "/versions/1/restore",
                         {}));
        tried("delete mine", actor.post("/api/v1/delete", {{"refs", QJsonArray{ref(mine)}}}));
        tried("delete theirs", actor.post("/api/v1/delete", {{"refs", QJsonArray{ref(theirs)}}}));
        tried("restore from trash",
              actor.post("/api/v1/trash/restore", {{"refs", QJsonArray{ref(gone)}}}));
        tried("read trail", actor.http().Get("/api/v1/audit")->status);
        tried("manage members",
              actor.post("/api/v1/members", {{"space", kSpace}, {"login", "dave"}, {"role", "editor"}}));
        QCOMPARE(seen, answers);
    }

    void refusalsSayWhatIsMissing()
    {
        PlatformClient carol(m_platforms.sqlite().serverHost());
        QCOMPARE(carol.signIn("carol", "carol-password"), 200);
        QCOMPARE(m_platforms.sqlite().run({"member", "role", kSpace, "carol", "reader"}).exitCode, 0);
        const QJsonObject record = newFile("refused.dxf", carol.autoname());
        QJsonObject answer;
        QCOMPARE(carol.checkIn({record}, {"refused"}, &answer), 403);
        QCOMPARE(answer["error"].toString(),
                 QString("You can read Roles Space but not save to it."));
        // Roles as the spaces list tells them to the module.
        QCOMPARE(carol.get("/api/v1/spaces", &answer), 200);
        QCOMPARE(answer["roles"].toObject(), (QJsonObject{{kSpace, "reader"}}));
        // A manager ends the membership and gives it again.
        PlatformClient alice(m_platforms.sqlite().serverHost());
        QCOMPARE(alice.signIn("alice", "alice-password"), 200);
        QCOMPARE(alice.post("/api/v1/members/remove", {{"space", kSpace}, {"login", "carol"}}),
                 200);
        QCOMPARE(carol.get("/api/v1/spaces", &answer), 200);
        QCOMPARE(answer["roles"].toObject(), QJsonObject());
        QCOMPARE(alice.post("/api/v1/members",
                            {{"space", kSpace}, {"login", "carol"}, {"role", "owner"}}),
                 400);
        QCOMPARE(alice.post("/api/v1/members",
                            {{"space", kSpace}, {"login", "carol"}, {"role", "reader"}}),
                 200);
        QCOMPARE(carol.get("/api/v1/spaces", &answer), 200);
        QCOMPARE(answer["roles"].toObject(), (QJsonObject{{kSpace, "reader"}}));
        // Wrong roles are wrong usage, an unknown member is named.
        QCOMPARE(m_platforms.sqlite().run({"member", "role", kSpace, "carol", "owner"}).exitCode, 2);
        const PlatformProcess::Result stranger =
            m_platforms.sqlite().run({"member", "role", kSpace, "erin", "editor"});
        QCOMPARE(stranger.exitCode, 1);
        QVERIFY2(stranger.err.contains("erin"), stranger.err.constData());
    }

    void deletedFilesComeBackWholeThenGoForGood()
    {
        PlatformProcess &platform = m_platforms.sqlite();
        PlatformClient bob(platform.serverHost());
        QCOMPARE(bob.signIn("bob", "bob-password"), 200);
        QCOMPARE(platform.run({"member", "role", kSpace, "bob", "editor"}).exitCode, 0);
        // A drawing of two versions with a reference; only the drawing is deleted.
        const QJsonArray records{newFile("pier.dxf", bob.autoname()),
                                 newFile("pier-rebar.dxf", bob.autoname(), 0)};
        QCOMPARE(bob.checkIn(records, {"pier one", "rebar"}), 200);
        QCOMPARE(bob.checkIn({records[0]}, {"pier two"}), 200);
        const QJsonObject pier = bob.find("pier.dxf");
        const QString versionsPath = "/api/v1/objects/" + pier["phid"].toString() + "/versions";
        QJsonObject versionsBefore;
        QJsonObject structureBefore;
        QCOMPARE(bob.get(versionsPath, &versionsBefore), 200);
        QCOMPARE(bob.post("/api/v1/structure", {{"ref", ref(pier)}}, &structureBefore), 200);

        QCOMPARE(bob.post("/api/v1/delete", {{"refs", QJsonArray{ref(pier)}}}), 200);
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
        const httplib::Result saved = bob.http().Post(
            "/api/v1/checkin",
            httplib::MultipartFormDataItems{
                {"manifest",
                 PlatformClient::text({{"records", QJsonArray{QJsonObject{
                                           {"parent", -1}, {"title", "pier.dxf"},
                                           {"name", pier["name"]}, {"selected", "false"}}}}}),
                 "manifest", "application/json"},
                {"contents", "", "contents", "application/octet-stream"}});
        QCOMPARE(saved->status, 409);
        QVERIFY2(error(saved->body).contains("trash of Roles Space"), saved->body.c_str());

        QCOMPARE(bob.post("/api/v1/trash/restore", {{"refs", QJsonArray{ref(pier)}}}), 200);
        QJsonObject versionsAfter;
        QJsonObject structureAfter;
        QCOMPARE(bob.get(versionsPath, &versionsAfter), 200);
        QCOMPARE(bob.post("/api/v1/structure", {{"ref", ref(pier)}}, &structureAfter), 200);
        QCOMPARE(versionsAfter, versionsBefore);
        QCOMPARE(structureAfter, structureBefore);
        QCOMPARE(bob.downloadDigest(pier["phid"].toString(), 1),
                 PlatformClient::sha256("pier one"));

        // Deleted again and left longer than the trash keeps: gone for good, with the bytes only
        // it used; the reference and its bytes stay.
        QCOMPARE(bob.post("/api/v1/delete", {{"refs", QJsonArray{ref(pier)}}}), 200);
        QVERIFY(platform.change({"UPDATE objects SET trashed_at = trashed_at - 8 * 86400 WHERE name = '" + pier["name"].toString() + "'"}));
        QCOMPARE(platform.run({"trash", "purge", "--trash-days", "10"}).out,
                 QByteArray("deleted 0 objects for good\n"));
        QCOMPARE(platform.run({"trash", "purge", "--trash-days", "7"}).out,
                 QByteArray("deleted 1 objects for good\n"));
        const QString contentCount = "SELECT COUNT(*) FROM contents WHERE sha256 = '%1'";
        QCOMPARE(platform.countsOf({contentCount.arg(PlatformClient::sha256("pier one")),
                                    contentCount.arg(PlatformClient::sha256("pier two")),
                                    contentCount.arg(PlatformClient::sha256("rebar"))}),
                 (QList<int>{0, 0, 1}));
        QCOMPARE(bob.post("/api/v1/trash/restore", {{"refs", QJsonArray{ref(pier)}}}), 404);
        // Its name is never given to another file.
        QJsonObject answer;
        QCOMPARE(bob.checkIn({records[0]}, {"pier again"}, &answer), 400);
    }

    void theTrailOfTwoUsersListsEveryWriteInOrder()
    {
        PlatformProcess platform;
        QString problem;
        QVERIFY2(platform.start(&problem), qPrintable(problem));
        QVERIFY(prepare(platform));
        PlatformClient alice(platform.serverHost());
        PlatformClient bob(platform.serverHost());
        QCOMPARE(alice.signIn("alice", "alice-password"), 200);
        QCOMPARE(bob.signIn("bob", "bob-password"), 200);
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

        const QJsonObject record = newFile("quay.dxf", alice.autoname());
        QJsonObject stored;
        QCOMPARE(alice.checkIn({record}, {"quay 1"}, &stored, "first draft"), 200);
        const QJsonObject quay = stored["objects"].toArray().at(0).toObject();
        QCOMPARE(bob.post("/api/v1/lock", {{"ref", ref(quay)}}), 200);
        QCOMPARE(bob.checkIn({record}, {"quay 2"}, nullptr, "bob's pier"), 200);
        QCOMPARE(bob.post("/api/v1/unlock", {{"ref", ref(quay)}}), 200);
        QCOMPARE(alice.post("/api/v1/delete", {{"refs", QJsonArray{ref(quay)}}}), 200);
        QCOMPARE(alice.post("/api/v1/trash/restore", {{"refs", QJsonArray{ref(quay)}}}), 200);
        QCOMPARE(alice.post("/api/v1/members",
                            {{"space", kSpace}, {"login", "bob"}, {"role", "reader"}}),
                 200);
        // Refused writes leave no line.
        QCOMPARE(bob.post("/api/v1/lock", {{"ref", ref(quay)}}), 403);

        QStringList addresses;
        const QStringList lines = readTrail(QString(), &addresses).mid(before);
        addresses = addresses.mid(before);
        QCOMPARE(lines.mid(0, 6),
                 (QStringList{"alice checkin quay.dxf 1 first draft", "bob lock quay.dxf 1",
                              "bob checkin quay.dxf 2 bob's pier", "bob unlock quay.dxf 2",
                              "alice delete quay.dxf 2 moved to the trash",
                              "alice undelete quay.dxf 2 restored from the trash"}));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines.last(), QString("alice role change  0 bob from editor to reader"));
        QCOMPARE(addresses, QStringList(QVector<QString>(7, "127.0.0.1").toList()));
        // Narrowed by user and object, and the same through the command.
        QCOMPARE(readTrail("?user=bob&object=quay.dxf"), lines.mid(1, 3));
        QCOMPARE(readTrail("?since=2000-01-01T00:00:00Z&until=2999-01-01T00:00:00Z").size(),
                 before + lines.size());
        QCOMPARE(readTrail("?since=2999-01-01T00:00:00Z"), QStringList());
        QCOMPARE(readTrail("?until=2000-01-01T00:00:00Z"), QStringList());
        QCOMPARE(readTrail("?since=yesterday"), QStringList{"status 400"});
        QCOMPARE(trail(QJsonDocument::fromJson(
                           platform.run({"audit", "--user", "bob", "--object", "quay.dxf",
                                         "--json"}).out)
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
