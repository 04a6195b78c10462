// Every version the platform keeps: who saved it, why and when, its bytes, what its drawing
// referenced at the time, restoring an earlier one under the rules of a check-in, retention by
// count and by age, and a database of a platform that kept only the current version.

#include "platformtestcase.h"

namespace {

const char kSpace[] = "Common Space";

QString sha(const QByteArray &bytes) { return PlatformClient::sha256(bytes); }

} // namespace

class TestPlatformVersions : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(startDemo({"alice", "bob"}), QString()); }

    void versionsSayWhoAndWhy()
    {
        PlatformClient &alice = as("alice");
        PlatformClient &bob = as("bob");
        const QJsonObject file = record("history.dwg", alice.autoname(), kSpace);
        // Comments are stored as given, hidden and direction characters included.
        const QString odd = QString::fromUtf8("third \"quoted\" \\ \x01 with \u202E override 📐");
        QCOMPARE(alice.checkIn({file}, {"first bytes"}, nullptr, "first draft"), 200);
        QCOMPARE(bob.checkIn({file}, {"second bytes"}, nullptr, "bob's fix"), 200);
        QCOMPARE(alice.checkIn({file}, {"third bytes"}, nullptr, odd), 200);
        // An unchanged file gets no version, whatever the comment.
        QCOMPARE(bob.checkIn({file}, {"third bytes"}, nullptr, "nothing changed"), 200);

        const QString phid = phidOf(alice, "history.dwg");
        const httplib::Result raw =
            alice.http().Get(("/api/v1/objects/" + phid + "/versions").toStdString());
        QCOMPARE(raw->status, 200);
        const QJsonArray versions = PlatformClient::parse(raw->body).value("versions").toArray();
        QCOMPARE(lines(versions, {"revision", "_ModifiedBy", "_Comment", "_sha256", "_size",
                                  "title"}),
                 (QStringList{"3|alice|" + odd + "|" + sha("third bytes") + "|11|history.dwg",
                              "2|bob|bob's fix|" + sha("second bytes") + "|12|history.dwg",
                              "1|alice|first draft|" + sha("first bytes") + "|11|history.dwg"}));
        // Newest first, each from a check-in of its own.
        const QStringList stamps = lines(versions, {"_filemodified"});
        QVERIFY2(stamps[0] > stamps[1] && stamps[1] > stamps[2], qPrintable(stamps.join(' ')));
        const QStringList checkIns = lines(versions, {"_CheckIn"});
        QCOMPARE(QSet<QString>(checkIns.begin(), checkIns.end()).size(), 3);
        QVERIFY(!checkIns.contains(QString()));
        // The answer carries the characters escaped, not as they are.
        QVERIFY(raw->body.find("\\u0001") != std::string::npos);
        QVERIFY(raw->body.find("\\u202e") != std::string::npos);
        QVERIFY(raw->body.find('\x01') == std::string::npos);
        QVERIFY(raw->body.find("\u202E") == std::string::npos);

        // The details of the file tell who saved its current version and why.
        QJsonObject details;
        QCOMPARE(bob.post("/api/v1/details", {{"refs", QJsonArray{ref(phid)}}}, &details), 200);
        QCOMPARE(lines(details["results"].toArray(), {"revision", "_ModifiedBy", "_Comment"}),
                 QStringList{"3|alice|" + odd});
    }

    // The first version of history.dwg ("first bytes") asked for whole and from a byte on.
    void versionBytesResumeLikeContent()
    {
        PlatformClient &alice = as("alice");
        const QJsonObject history = alice.find("history.dwg");
        const QString path = "/api/v1/objects/" + history["phid"].toString() + "/versions/1";
        QJsonObject first;
        QCOMPARE(alice.get(path, &first), 200);
        const QString stamp = first["_filemodified"].toString();
        QVERIFY(stamp != history["_filemodified"].toString());
        // An If-Range names a version's bytes by their ETag.
        const struct {
            const char *name, *range, *ifRange;
            QString answer;
        } rows[] = {
            {"whole", "", "", "200 first bytes"},
            {"from byte 6", "bytes=6-", "", "206 bytes, bytes 6-10/11"},
            {"from byte 6 of this version", "bytes=6-", "first bytes", "206 bytes, bytes 6-10/11"},
            {"from byte 6 of another version", "bytes=6-", "third bytes", "200 first bytes"},
            {"past the end", "bytes=11-", "", "416, bytes */11"},
        };
        // What every answer with the bytes says of them: their ETag and when they were stored.
        const QString tagged = "; \"" + sha("first bytes") + "\" " + stamp;
        QStringList answers;
        QStringList expected;
        for (const auto &row : rows) {
            httplib::Headers headers;
            if (*row.range)
                headers.emplace("Range", row.range);
            if (*row.ifRange)
                headers.emplace("If-Range", '"' + sha(row.ifRange).toStdString() + '"');
            const httplib::Result result =
                alice.http().Get((path + "/content").toStdString(), headers);
            const bool served = result->status != 416;
            QString answer = row.name + QStringLiteral(": %1").arg(result->status);
            if (served)
                answer += ' ' + QString::fromStdString(result->body);
            if (result->has_header("Content-Range"))
                answer += ", " + QString::fromStdString(result->get_header_value("Content-Range"));
            if (served) {
                answer += QString::fromStdString("; " + result->get_header_value("ETag") + " "
                                                 + result->get_header_value("X-Aurex-Modified"));
            }
            answers << answer;
            expected << row.name + QString(": ") + row.answer + (served ? tagged : QString());
        }
        QCOMPARE(answers, expected);
    }

    // A comment of up to 2,000 characters (not UTF-16 units) is kept as given, a longer one
    // refuses the check-in.
    void commentsAreBounded()
    {
        PlatformClient &alice = as("alice");
        QStringList kept;
        for (const QString &comment : {QString(2000, QLatin1Char('a')),
                                       QString::fromUtf8("📐").repeated(2000),
                                       QString(2001, QLatin1Char('a'))}) {
            const QString title = QStringLiteral("comment-%1.dwg").arg(comment.size());
            QJsonObject answer;
            const int status = alice.checkIn({record(title, alice.autoname(), kSpace)}, {"bytes"},
                                             &answer, comment);
            kept << QStringLiteral("%1 %2: %3").arg(comment.size()).arg(status).arg(
                status == 200 ? QString(lines(versionsOf(alice, phidOf(alice, title)), {"_Comment"})
                                            .value(0) == comment ? "kept" : "changed")
                              : answer["error"].toString().section("comment is ", 1)
                                    + (alice.find(title).isEmpty() ? "" : ", stored"));
        }
        QCOMPARE(kept, (QStringList{"2000 200: kept", "4000 200: kept",
                                    "2001 400: longer than 2000 characters"}));
    }

    void structureAsOfAVersion()
    {
        PlatformClient &alice = as("alice");
        const QJsonArray tree{record("asof-plan.dwg", alice.autoname(), kSpace),
                              record("asof-ref.png", alice.autoname(), kSpace, 0),
                              record("asof-notes.pdf", alice.autoname(), kSpace, 0)};
        QCOMPARE(alice.checkIn(tree, {"plan 1", "ref 1", "notes 1"}), 200);
        // The reference changes on its own, then the drawing is saved again.
        const QJsonObject refAlone =
            record("asof-ref.png", tree[1]["name"].toString(), kSpace);
        QCOMPARE(alice.checkIn({refAlone}, {"ref 2"}), 200);
        QCOMPARE(alice.checkIn(tree, {"plan 2", "ref 2", "notes 1"}), 200);

        const QString phid = phidOf(alice, "asof-plan.dwg");
        const QStringList keys{"title", "revision", "_sha256"};
        const auto asOf = [&](int revision) {
            QJsonObject answer;
            const int status = alice.get(
                QStringLiteral("/api/v1/objects/%1/versions/%2/structure").arg(phid).arg(revision),
                &answer);
            return status == 200 ? answer["objects"].toArray() : QJsonArray();
        };
        // As of an earlier version, with its reference's bytes of then, and as of a version that
        // never was: tst_connector. The current version's structure is today's, a
        // reference that did not change keeping its revision.
        QJsonObject current;
        QCOMPARE(alice.post("/api/v1/structure", {{"ref", ref(phid)}}, &current), 200);
        QCOMPARE(lines(asOf(2), keys), lines(current["objects"].toArray(), keys));
        QCOMPARE(lines(asOf(2), keys),
                 (QStringList{"asof-plan.dwg|2|" + sha("plan 2"), "asof-notes.pdf|1|" + sha("notes 1"),
                              "asof-ref.png|2|" + sha("ref 2")}));
        // The reference changes again and its older versions go: the drawing's current version
        // still names the revision it referenced, without its bytes.
        QCOMPARE(alice.checkIn({refAlone}, {"ref 3"}), 200);
        QCOMPARE(m_platform->run({"prune", "--keep-versions", "1"}).exitCode, 0);
        QCOMPARE(lines(asOf(2), {"title", "revision", "_sha256", "_VersionPruned"}),
                 (QStringList{"asof-plan.dwg|2|" + sha("plan 2") + "|",
                              "asof-notes.pdf|1|" + sha("notes 1") + "|",
                              "asof-ref.png|2||true"}));
    }

    void restoreFollowsTheCheckInRules()
    {
        PlatformClient &alice = as("alice");
        PlatformClient &bob = as("bob");
        const QJsonObject file = record("restore.dwg", alice.autoname(), kSpace);
        QCOMPARE(alice.checkIn({file}, {"restore one"}), 200);
        QCOMPARE(alice.checkIn({file}, {"restore two"}), 200);
        const QString phid = phidOf(alice, "restore.dwg");
        const QString aliceKnows = alice.find("restore.dwg")["_filemodified"].toString();
        QCOMPARE(bob.checkIn({file}, {"restore three"}, nullptr, "bob's edit"), 200);

        const struct {
            int revision;
            QString base; // empty: the current stamp, as after a refresh
            bool bobHoldsLock;
            const char *comment;
            const char *answer;
        } attempts[] = {
            {1, aliceKnows, false, "", "409 changed on the platform by bob"}, // saved since
            {1, QString(), true, "", "409 locked by bob"},
            {1, QString(), false, "", "200 "},
            {2, QString(), false, "back to two", "200 "},
        };
        for (const auto &attempt : attempts) {
            if (attempt.bobHoldsLock)
                QCOMPARE(bob.post("/api/v1/lock", {{"ref", ref(phid)}}), 200);
            const QString base = attempt.base.isEmpty()
                ? alice.find("restore.dwg")["_filemodified"].toString()
                : attempt.base;
            QJsonObject answer;
            const int status = alice.post(
                QStringLiteral("/api/v1/objects/%1/versions/%2/restore").arg(phid).arg(attempt.revision),
                {{"comment", attempt.comment}, {"_BaseModified", base}}, &answer);
            if (attempt.bobHoldsLock)
                QCOMPARE(bob.post("/api/v1/unlock", {{"ref", ref(phid)}}), 200);
            const QString error = answer["error"].toString();
            QVERIFY2(QString::number(status) == QString(attempt.answer).left(3)
                         && error.contains(QString(attempt.answer).mid(4)),
                     qPrintable(QString("%1 %2, not %3").arg(status).arg(error, attempt.answer)));
        }
        QCOMPARE(lines(versionsOf(alice, phid), {"revision", "_ModifiedBy", "_Comment", "_sha256"}),
                 (QStringList{"5|alice|back to two|" + sha("restore two"),
                              "4|alice|Restored version 1|" + sha("restore one"),
                              "3|bob|bob's edit|" + sha("restore three"),
                              "2|alice||" + sha("restore two"), "1|alice||" + sha("restore one")}));
        QCOMPARE(alice.downloadDigest(phid), sha("restore two"));
    }

    // Versions 1 and 2 of kept.dwg go, however retention is asked for: by the serving platform
    // as it saves (keeping the last 2) or as it starts (keeping a week, the versions aged ten
    // days), or by the administrator's command.
    void retentionLetsOldVersionsGo_data()
    {
        QTest::addColumn<QStringList>("serveArguments");
        QTest::addColumn<QStringList>("command"); // empty: the serving platform prunes
        QTest::addColumn<QByteArray>("said"); // by the command, over every object
        QTest::newRow("serve keeping the last 2") << QStringList{"--keep-versions", "2"}
                                                  << QStringList() << QByteArray();
        // The demo's piers.dxf has three versions: its first goes too.
        QTest::newRow("prune keeping the last 2")
            << QStringList() << QStringList{"prune", "--keep-versions", "2"}
            << QByteArray("pruned 3 versions");
        QTest::newRow("prune keeping a week")
            << QStringList() << QStringList{"prune", "--keep-days", "7"}
            << QByteArray("pruned 2 versions");
        QTest::newRow("serve keeping a week, restarted")
            << QStringList{"--keep-days", "7"} << QStringList() << QByteArray();
    }

    void retentionLetsOldVersionsGo()
    {
        QFETCH(QStringList, serveArguments);
        QFETCH(QStringList, command);
        QFETCH(QByteArray, said);
        const bool aged = command.contains("--keep-days") || serveArguments.contains("--keep-days");
        QString error;
        const std::unique_ptr<PlatformProcess> platform =
            PlatformProcess::startDemo(&error, serveArguments);
        QVERIFY2(platform, qPrintable(error));
        SignedIn alice(platform->serverHost(), "alice");
        // The second version's bytes are another file's too; the first version's are its own.
        const QList<QByteArray> bytes{"only in version one", "shared", "three", "four"};
        QCOMPARE(alice.checkIn({record("other.dwg", alice.autoname(), kSpace)}, {"shared"}), 200);
        const QJsonObject file = record("kept.dwg", alice.autoname(), kSpace);
        for (const QByteArray &content : bytes)
            QCOMPARE(alice.checkIn({file}, {content}), 200);
        const QString name = file["name"].toString();
        if (aged) {
            QVERIFY(platform->change({QStringLiteral(
                "UPDATE object_versions SET modified = modified - 864000 WHERE revision <> 3 "
                "AND object_id = (SELECT id FROM objects WHERE name = '%1')").arg(name)}));
        }
        if (!command.isEmpty()) {
            const PlatformProcess::Result result = platform->run(command);
            QCOMPARE(result.exitCode, 0);
            QVERIFY2(result.out.contains(said), result.out.constData());
        } else if (aged) {
            platform->stop();
            QVERIFY2(platform->restart(&error), qPrintable(error));
        }

        const QString phid = phidOf(alice, "kept.dwg");
        QTRY_COMPARE(lines(versionsOf(alice, phid), {"revision", "_sha256"}),
                     (QStringList{"4|" + sha("four"), "3|" + sha("three")}));
        for (const QString &path : {QStringLiteral("/versions/1"), QStringLiteral("/versions/1/content"),
                                    QStringLiteral("/versions/2/structure")}) {
            QJsonObject answer;
            QCOMPARE(alice.get("/api/v1/objects/" + phid + path, &answer), 404);
            QVERIFY2(answer["error"].toString().contains("was pruned"), qPrintable(path));
        }
        const auto stored = [&platform, &bytes] {
            QStringList queries;
            for (const QByteArray &content : bytes)
                queries << QStringLiteral("SELECT COUNT(*) FROM contents WHERE sha256 = '%1'")
                               .arg(sha(content));
            return platform->countsOf(queries);
        };
        QCOMPARE(stored(), (QList<int>{0, 1, 1, 1}));

        // A delete keeps the versions in the trash; once it is emptied, they are gone with
        // their contents nobody else uses.
        QCOMPARE(alice.post("/api/v1/delete", {{"refs", QJsonArray{byName(name)}}}), 200);
        QCOMPARE(stored(), (QList<int>{0, 1, 1, 1}));
        QVERIFY(purgeTrash(*platform));
        QCOMPARE(stored(), (QList<int>{0, 1, 0, 0}));
        QCOMPARE(platform->countsOf({"SELECT COUNT(*) FROM object_versions WHERE object_id NOT IN "
                                     "(SELECT id FROM objects)"}),
                 QList<int>{0});
    }

    // Last: it turns the platform's database into one of a platform before versions.
    void currentVersionsOfAnOlderDatabaseAreKept()
    {
        m_platform->stop();
        QVERIFY(m_platform->change({"DROP TABLE version_references", "DROP TABLE object_versions",
                                    "DROP TABLE checkins"}));
        QString error;
        QVERIFY2(m_platform->restart(&error), qPrintable(error));
        const QList<int> counts = m_platform->countsOf(
            {"SELECT COUNT(*) FROM objects", "SELECT COUNT(*) FROM object_versions"});
        QCOMPARE(counts.last(), counts.first());

        PlatformClient &alice = as("alice");
        const QJsonObject history = alice.find("history.dwg");
        QCOMPARE(lines(versionsOf(alice, history["phid"].toString()),
                       {"revision", "_ModifiedBy", "_Comment", "_sha256", "_filemodified"}),
                 QStringList{"3|alice||" + sha("third bytes") + "|"
                             + history["_filemodified"].toString()});
        // A drawing's structure as of its one version is its structure now.
        const QString bridge = m_platform->demoObjectId("bridge.dwg");
        const QStringList keys{"title", "revision", "_sha256"};
        QJsonObject now;
        QJsonObject then;
        QCOMPARE(alice.post("/api/v1/structure", {{"ref", ref(bridge)}}, &now), 200);
        QCOMPARE(alice.get("/api/v1/objects/" + bridge + "/versions/1/structure", &then), 200);
        QCOMPARE(then["objects"].toArray().size(), 7);
        QCOMPARE(lines(then["objects"].toArray(), keys), lines(now["objects"].toArray(), keys));
    }
};

QTEST_GUILESS_MAIN(TestPlatformVersions)
#include "tst_platformversions.moc"
