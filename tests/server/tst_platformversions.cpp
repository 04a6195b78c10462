// Every version the platform keeps: who saved it, why and when, its bytes, what its drawing
// referenced at the time, restoring an earlier one under the rules of a check-in, retention by
// count and by age, and a database of a platform that kept only the current version.

#include "platformclient.h"
#include "platformprocess.h"

#include <QtTest>

namespace {

const char kSpace[] = "Common Space";

QJsonObject fileRecord(const QString &title, const QString &name, int parent = -1)
{
    QJsonObject record{{"parent", parent}, {"title", title}, {"name", name},
                       {"collabspace", kSpace}};
    if (parent >= 0)
        record.insert("_RelationToParent", "CADSubcomponent");
    return record;
}

// One line per entry of a list of records: the values of the keys, joined by "|".
QStringList lines(const QJsonArray &records, const QStringList &keys)
{
    QStringList out;
    for (const QJsonValue &record : records) {
        QStringList values;
        for (const QString &key : keys)
            values << record[key].toString();
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

QString sha(const QByteArray &bytes) { return PlatformClient::sha256(bytes); }

} // namespace

class TestPlatformVersions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        m_platform = PlatformProcess::startDemo(&error);
        QVERIFY2(m_platform, qPrintable(error));
        for (const QString user : {"alice", "bob"}) {
            m_as[user] = std::make_unique<PlatformClient>(m_platform->serverHost());
            QCOMPARE(m_as[user]->signIn(user, user + "-demo-pw"), 200);
        }
    }

    void versionsSayWhoAndWhy()
    {
        PlatformClient &alice = *m_as["alice"];
        PlatformClient &bob = *m_as["bob"];
        const QJsonObject record = fileRecord("history.dwg", alice.autoname());
        // Comments are stored as given, hidden and direction characters included.
        const QString odd = QString::fromUtf8("third \"quoted\" \\ \x01 with \u202E override 📐");
        QCOMPARE(alice.checkIn({record}, {"first bytes"}, nullptr, "first draft"), 200);
        QCOMPARE(bob.checkIn({record}, {"second bytes"}, nullptr, "bob's fix"), 200);
        QCOMPARE(alice.checkIn({record}, {"third bytes"}, nullptr, odd), 200);
        // An unchanged file gets no version, whatever the comment.
        QCOMPARE(bob.checkIn({record}, {"third bytes"}, nullptr, "nothing changed"), 200);

        const QString phid = alice.find("history.dwg").value("phid").toString();
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
        QSet<QString> checkIns;
        for (int i = 0; i < versions.size(); ++i) {
            checkIns.insert(versions[i]["_CheckIn"].toString());
            if (i > 0)
                QVERIFY(versions[i]["_filemodified"].toString()
                        < versions[i - 1]["_filemodified"].toString());
        }
        QCOMPARE(checkIns.size(), 3);
        QVERIFY(!checkIns.contains(QString()));
        // The answer carries the characters escaped, not as they are.
        QVERIFY(raw->body.find("\\u0001") != std::string::npos);
        QVERIFY(raw->body.find("\\u202e") != std::string::npos);
        QVERIFY(raw->body.find('\x01') == std::string::npos);
        QVERIFY(raw->body.find("\u202E") == std::string::npos);

        // The details of the file tell who saved its current version and why.
        QJsonObject details;
        QCOMPARE(bob.post("/api/v1/details", {{"refs", QJsonArray{QJsonObject{{"phid", phid}}}}},
                          &details),
                 200);
        QCOMPARE(lines(details["results"].toArray(), {"revision", "_ModifiedBy", "_Comment"}),
                 QStringList{"3|alice|" + odd});
    }

    void versionBytesResumeLikeContent_data()
    {
        // The first version of history.dwg: "first bytes".
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("ifRange"); // a version's bytes, whose ETag it names
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("contentRange");
        QTest::newRow("whole") << "" << "" << 200 << QByteArray("first bytes") << "";
        QTest::newRow("from byte 6") << "bytes=6-" << "" << 206 << QByteArray("bytes")
                                     << "bytes 6-10/11";
        QTest::newRow("from byte 6 of this version")
            << "bytes=6-" << "first bytes" << 206 << QByteArray("bytes") << "bytes 6-10/11";
        QTest::newRow("from byte 6 of another version")
            << "bytes=6-" << "third bytes" << 200 << QByteArray("first bytes") << "";
        QTest::newRow("past the end") << "bytes=11-" << "" << 416 << QByteArray() << "bytes */11";
    }

    void versionBytesResumeLikeContent()
    {
        QFETCH(QString, range);
        QFETCH(QString, ifRange);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, contentRange);
        PlatformClient &alice = *m_as["alice"];
        const QJsonObject history = alice.find("history.dwg");
        httplib::Headers headers;
        if (!range.isEmpty())
            headers.emplace("Range", range.toStdString());
        if (!ifRange.isEmpty())
            headers.emplace("If-Range", '"' + sha(ifRange.toUtf8()).toStdString() + '"');
        const httplib::Result result = alice.http().Get(
            ("/api/v1/objects/" + history["phid"].toString() + "/versions/1/content")
                .toStdString(),
            headers);
        QCOMPARE(result->status, status);
        QCOMPARE(QString::fromStdString(result->get_header_value("Content-Range")), contentRange);
        if (status == 416)
            return;
        QCOMPARE(QByteArray::fromStdString(result->body), body);
        QJsonObject first;
        QCOMPARE(alice.get("/api/v1/objects/" + history["phid"].toString() + "/versions/1",
                           &first),
                 200);
        QCOMPARE(QString::fromStdString(result->get_header_value("ETag")),
                 '"' + sha("first bytes") + '"');
        QCOMPARE(QString::fromStdString(result->get_header_value("X-Aurex-Modified")),
                 first["_filemodified"].toString());
        QVERIFY(first["_filemodified"].toString() != history["_filemodified"].toString());
    }

    void commentsAreBounded_data()
    {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<int>("status");
        const QString emoji = QString::fromUtf8("📐");
        QTest::newRow("2,000 characters") << QString(2000, QLatin1Char('a')) << 200;
        QTest::newRow("2,000 characters beyond 16 bits") << emoji.repeated(2000) << 200;
        QTest::newRow("2,001 characters") << QString(2001, QLatin1Char('a')) << 400;
    }

    void commentsAreBounded()
    {
        QFETCH(QString, comment);
        QFETCH(int, status);
        PlatformClient &alice = *m_as["alice"];
        const QString title = QStringLiteral("comment-%1.dwg").arg(comment.size());
        QJsonObject answer;
        QCOMPARE(alice.checkIn({fileRecord(title, alice.autoname())}, {"bytes"}, &answer,
                               comment),
                 status);
        if (status != 200) {
            QVERIFY2(answer["error"].toString().contains("comment is longer than 2000"),
                     qPrintable(answer["error"].toString()));
            QVERIFY(alice.find(title).isEmpty());
            return;
        }
        QJsonObject versions;
        alice.get("/api/v1/objects/" + alice.find(title)["phid"].toString() + "/versions",
                  &versions);
        QCOMPARE(versions["versions"].toArray().at(0)["_Comment"].toString(), comment);
    }

    void structureAsOfAVersion()
    {
        PlatformClient &alice = *m_as["alice"];
        const QJsonArray tree{fileRecord("asof-plan.dwg", alice.autoname()),
                              fileRecord("asof-ref.png", alice.autoname(), 0),
                              fileRecord("asof-notes.pdf", alice.autoname(), 0)};
        QCOMPARE(alice.checkIn(tree, {"plan 1", "ref 1", "notes 1"}), 200);
        // The reference changes on its own, then the drawing is saved again.
        QJsonObject refAlone = tree[1].toObject();
        refAlone["parent"] = -1;
        refAlone.remove("_RelationToParent");
        QCOMPARE(alice.checkIn({refAlone}, {"ref 2"}), 200);
        QCOMPARE(alice.checkIn(tree, {"plan 2", "ref 2", "notes 1"}), 200);

        const QString phid = alice.find("asof-plan.dwg")["phid"].toString();
        const QStringList keys{"title", "revision", "_sha256"};
        const auto asOf = [&](int revision) {
            QJsonObject answer;
            const int status = alice.get(
                QStringLiteral("/api/v1/objects/%1/versions/%2/structure").arg(phid).arg(revision),
                &answer);
            return status == 200 ? answer["objects"].toArray() : QJsonArray();
        };
        QCOMPARE(lines(asOf(1), keys),
                 (QStringList{"asof-plan.dwg|1|" + sha("plan 1"), "asof-notes.pdf|1|" + sha("notes 1"),
                              "asof-ref.png|1|" + sha("ref 1")}));
        // The current version's structure is today's structure.
        QJsonObject current;
        QCOMPARE(alice.post("/api/v1/structure", {{"ref", QJsonObject{{"phid", phid}}}}, &current),
                 200);
        QCOMPARE(lines(asOf(2), keys), lines(current["objects"].toArray(), keys));
        QCOMPARE(lines(asOf(2), keys),
                 (QStringList{"asof-plan.dwg|2|" + sha("plan 2"), "asof-notes.pdf|1|" + sha("notes 1"),
                              "asof-ref.png|2|" + sha("ref 2")}));
        // The old reference's bytes are the old ones.
        const QJsonObject oldRef = asOf(1).at(2).toObject();
        QCOMPARE(alice.downloadDigest(oldRef["phid"].toString(), oldRef["revision"].toString().toInt()),
                 sha("ref 1"));
        // A revision that never was.
        QJsonObject answer;
        QCOMPARE(alice.get("/api/v1/objects/" + phid + "/versions/3/structure", &answer), 404);
        QVERIFY(answer["error"].toString().contains("no version 3"));
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
        PlatformClient &alice = *m_as["alice"];
        PlatformClient &bob = *m_as["bob"];
        const QJsonObject record = fileRecord("restore.dwg", alice.autoname());
        QCOMPARE(alice.checkIn({record}, {"restore one"}), 200);
        QCOMPARE(alice.checkIn({record}, {"restore two"}), 200);
        const QString phid = alice.find("restore.dwg")["phid"].toString();
        const QString aliceKnows = alice.find("restore.dwg")["_filemodified"].toString();
        QCOMPARE(bob.checkIn({record}, {"restore three"}, nullptr, "bob's edit"), 200);
        const QJsonObject ref{{"phid", phid}};

        struct Attempt {
            const char *what;
            int revision;
            QString base; // empty: the current stamp, as after a refresh
            bool bobHoldsLock;
            const char *comment;
            int status;
            const char *error;
        };
        const QList<Attempt> attempts{
            {"colleague saved since", 1, aliceKnows, false, "", 409,
             "changed on the platform by bob"},
            {"colleague holds the lock", 1, QString(), true, "", 409, "locked by bob"},
            {"refreshed", 1, QString(), false, "", 200, ""},
            {"with a comment", 2, QString(), false, "back to two", 200, ""},
        };
        for (const Attempt &attempt : attempts) {
            const bool locked = attempt.bobHoldsLock;
            if (locked)
                QCOMPARE(bob.post("/api/v1/lock", {{"ref", ref}}), 200);
            const QString base =
                attempt.base.isEmpty() ? alice.find("restore.dwg")["_filemodified"].toString()
                                       : attempt.base;
            QJsonObject answer;
            QCOMPARE(alice.post(QStringLiteral("/api/v1/objects/%1/versions/%2/restore")
                                    .arg(phid)
                                    .arg(attempt.revision),
                                {{"comment", attempt.comment}, {"_BaseModified", base}}, &answer),
                     attempt.status);
            if (locked)
                QCOMPARE(bob.post("/api/v1/unlock", {{"ref", ref}}), 200);
            if (attempt.status != 200)
                QVERIFY2(answer["error"].toString().contains(attempt.error), attempt.what);
        }
        QJsonObject versions;
        QCOMPARE(alice.get("/api/v1/objects/" + phid + "/versions", &versions), 200);
        QCOMPARE(lines(versions["versions"].toArray(),
                       {"revision", "_ModifiedBy", "_Comment", "_sha256"}),
                 (QStringList{"5|alice|back to two|" + sha("restore two"),
                              "4|alice|Restored version 1|" + sha("restore one"),
                              "3|bob|bob's edit|" + sha("restore three"),
                              "2|alice||" + sha("restore two"), "1|alice||" + sha("restore one")}));
        QCOMPARE(alice.downloadDigest(phid), sha("restore two"));
    }

    void retentionLetsOldVersionsGo_data()
    {
        QTest::addColumn<QStringList>("serveArguments");
        QTest::addColumn<QStringList>("command"); // empty: the serving platform prunes
        QTest::addColumn<bool>("aged"); // versions 1, 2 and the current made ten days old
        QTest::addColumn<int>("pruned"); // by the command, over every object
        QTest::newRow("serve keeping the last 2")
            << QStringList{"--keep-versions", "2"} << QStringList() << false << 0;
        // The demo's piers.dxf has three versions: its first goes too.
        QTest::newRow("prune keeping the last 2")
            << QStringList() << QStringList{"prune", "--keep-versions", "2"} << false << 3;
        QTest::newRow("prune keeping a week")
            << QStringList() << QStringList{"prune", "--keep-days", "7"} << true << 2;
        // Versions grow old while nobody saves: the platform prunes them as it starts.
        QTest::newRow("serve keeping a week, restarted")
            << QStringList{"--keep-days", "7"} << QStringList() << true << 0;
    }

    void retentionLetsOldVersionsGo()
    {
        QFETCH(QStringList, serveArguments);
        QFETCH(QStringList, command);
        QFETCH(bool, aged);
        QFETCH(int, pruned);
        QString error;
        const std::unique_ptr<PlatformProcess> platform =
            PlatformProcess::startDemo(&error, serveArguments);
        QVERIFY2(platform, qPrintable(error));
        PlatformClient alice(platform->serverHost());
        QCOMPARE(alice.signIn("alice", "alice-demo-pw"), 200);
        // The second version's bytes are another file's too; the first version's are its own.
        const QList<QByteArray> bytes{"only in version one", "shared", "three", "four"};
        QCOMPARE(alice.checkIn({fileRecord("other.dwg", alice.autoname())}, {"shared"}), 200);
        const QJsonObject record = fileRecord("kept.dwg", alice.autoname());
        for (const QByteArray &content : bytes)
            QCOMPARE(alice.checkIn({record}, {content}), 200);
        const QString name = record["name"].toString();
        if (aged) {
            QVERIFY(platform->change({QStringLiteral(
                "UPDATE object_versions SET modified = modified - 864000 WHERE revision <> 3 "
                "AND object_id = (SELECT id FROM objects WHERE name = '%1')").arg(name)}));
        }
        if (!command.isEmpty()) {
            const PlatformProcess::Result result = platform->run(command);
            QCOMPARE(result.exitCode, 0);
            QVERIFY2(result.out.contains(QByteArray("pruned ") + QByteArray::number(pruned)
                                         + " versions"),
                     result.out.constData());
        } else if (aged) {
            platform->stop();
            QVERIFY2(platform->restart(&error), qPrintable(error));
        }

        const QString phid = alice.find("kept.dwg")["phid"].toString();
        const auto kept = [&] {
            QJsonObject versions;
            alice.get("/api/v1/objects/" + phid + "/versions", &versions);
            return lines(versions["versions"].toArray(), {"revision", "_sha256"});
        };
        QTRY_COMPARE(kept(), (QStringList{"4|" + sha("four"), "3|" + sha("three")}));
        for (const QString &path : {QStringLiteral("/versions/1"), QStringLiteral("/versions/1/content"),
                                    QStringLiteral("/versions/2/structure")}) {
            QJsonObject answer;
            QCOMPARE(alice.get("/api/v1/objects/" + phid + path, &answer), 404);
            QVERIFY2(answer["error"].toString().contains("was pruned"), qPrintable(path));
        }
        const auto stored = [&platform](const QList<QByteArray> &contents) {
            QStringList queries;
            for (const QByteArray &content : contents)
                queries << QStringLiteral("SELECT COUNT(*) FROM contents WHERE sha256 = '%1'")
                               .arg(sha(content));
            return platform->countsOf(queries);
        };
        QCOMPARE(stored(bytes), (QList<int>{0, 1, 1, 1}));

        // A delete keeps the versions in the trash; once it is emptied, they are gone with
        // their contents nobody else uses.
        QCOMPARE(alice.post("/api/v1/delete", {{"refs", QJsonArray{QJsonObject{{"name", name}}}}}),
                 200);
        QCOMPARE(stored(bytes), (QList<int>{0, 1, 1, 1}));
        QVERIFY(platform->change({"UPDATE objects SET trashed_at = trashed_at - 86400"}));
        QCOMPARE(platform->run({"trash", "purge", "--trash-days", "1"}).exitCode, 0);
        QCOMPARE(stored(bytes), (QList<int>{0, 1, 0, 0}));
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

        PlatformClient &alice = *m_as["alice"];
        const QJsonObject history = alice.find("history.dwg");
        QJsonObject versions;
        QCOMPARE(alice.get("/api/v1/objects/" + history["phid"].toString() + "/versions",
                           &versions),
                 200);
        QCOMPARE(lines(versions["versions"].toArray(), {"revision", "_ModifiedBy", "_Comment",
                                                        "_sha256", "_filemodified"}),
                 QStringList{"3|alice||" + sha("third bytes") + "|"
                             + history["_filemodified"].toString()});
        // A drawing's structure as of its one version is its structure now.
        const QString bridge = m_platform->demoObjectId("bridge.dwg");
        const QStringList keys{"title", "revision", "_sha256"};
        QJsonObject now;
        QJsonObject then;
        QCOMPARE(alice.post("/api/v1/structure", {{"ref", QJsonObject{{"phid", bridge}}}}, &now),
                 200);
        QCOMPARE(alice.get("/api/v1/objects/" + bridge + "/versions/1/structure", &then), 200);
        QCOMPARE(then["objects"].toArray().size(), 7);
        QCOMPARE(lines(then["objects"].toArray(), keys), lines(now["objects"].toArray(), keys));
    }

private:
    std::unique_ptr<PlatformProcess> m_platform;
    std::map<QString, std::unique_ptr<PlatformClient>> m_as; // signed in, by user
};

QTEST_GUILESS_MAIN(TestPlatformVersions)
#include "tst_platformversions.moc"
