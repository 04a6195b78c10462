// A data folder of the platform as it was before it kept a schema version, and its database on
// PostgreSQL, open with this one, keeping objects, versions, locks, sessions, cookies and names;
// a database of a newer platform is refused untouched; a folder that one process serves is not
// served by a second; a conversion of stored contents killed halfway goes on at the next start.

#include "platformtestcase.h"
#include "postgrescluster.h"

class TestPlatformUpgrade : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void folderOfTheEarlierPlatformOpens()
    {
        PlatformProcess platform;
        QVERIFY(QDir().mkpath(platform.dataDir()));
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/platform/schema1/platform.sqlite"),
                            platform.dataDir() + "/platform.sqlite"));
        const int lastCheckIn = platform.countsOf({"SELECT MAX(id) FROM checkins"}).first();
        QVERIFY(platform.start());
        expectEarlierDataKept(platform, lastCheckIn);
        if (QTest::currentTestFailed())
            return;
        platform.stop();

        // A newer platform's database is left as it is, with a message that says why.
        const QStringList inspect{"SELECT value FROM counters WHERE name = 'schema_version'",
                                  "SELECT COUNT(*) FROM sqlite_master",
                                  "SELECT COUNT(*) FROM object_versions"};
        const int version = platform.countsOf(inspect).first();
        QVERIFY(version > 0);
        QVERIFY(platform.change({QStringLiteral("UPDATE counters SET value = %1 WHERE name = "
                                                "'schema_version'")
                                     .arg(version + 1)}));
        const QList<int> newer = platform.countsOf(inspect);
        const PlatformProcess::Result refused = platform.run({"user", "list"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("the database was made by a newer aurex-platform"),
                 refused.err.constData());
        QCOMPARE(platform.countsOf(inspect), newer);
        QVERIFY(platform.change({QStringLiteral("UPDATE counters SET value = %1 WHERE name = "
                                                "'schema_version'")
                                     .arg(version)}));
        QCOMPARE(platform.run({"user", "list"}).exitCode, 0);
    }

    // The same data on PostgreSQL, as the earlier platform made it there (its tables dumped
    // with pg_dump), opens the same way.
    void databaseOfTheEarlierPlatformOpensOnPostgres()
    {
        if (!PostgresCluster::unavailableReason().isEmpty())
            QSKIP(qPrintable(PostgresCluster::unavailableReason()));
        PostgresCluster cluster;
        QString error;
        QVERIFY2(cluster.start(&error), qPrintable(error));
        QString output;
        QVERIFY2(cluster.runTool("psql", {"-v", "ON_ERROR_STOP=1", "-q", "-d", cluster.databaseUrl(),
                                          "-f", QFINDTESTDATA("../data/platform/schema1/postgres.sql")},
                                 &output),
                 qPrintable(output));
        QVERIFY(cluster.runTool("psql", {"-tA", "-d", cluster.databaseUrl(), "-c",
                                         "SELECT MAX(id) FROM checkins"},
                                &output));
        const int lastCheckIn = output.section(": ", 1).trimmed().toInt(); // "psql: N"
        QVERIFY(lastCheckIn > 0);
        PlatformProcess platform(PlatformProcess::Options{false, {}, cluster.databaseUrl()});
        QVERIFY(platform.start(&error));
        expectEarlierDataKept(platform, lastCheckIn);
        // The database now says which platform made it.
        QVERIFY(cluster.runTool("psql", {"-tA", "-d", cluster.databaseUrl(), "-c",
                                         "SELECT value FROM counters WHERE name = "
                                         "'schema_version'"},
                                &output));
        QVERIFY2(output.section(": ", 1).trimmed().toInt() > 1, qPrintable(output));
    }

    void secondServeOfAFolderIsRefused()
    {
        PlatformProcess platform;
        QVERIFY(platform.start());
        QFile published(platform.dataDir() + "/server-url");
        QVERIFY(published.open(QIODevice::ReadOnly));
        const QByteArray address = published.readAll();

        const PlatformProcess::Result second =
            platform.run({"serve", "--listen", "127.0.0.1:0"});
        QCOMPARE(second.exitCode, 1);
        QVERIFY2(second.err.contains("serves the data folder"), second.err.constData());
        published.seek(0);
        QCOMPARE(published.readAll(), address);
        httplib::Client client(platform.serverHost().toStdString());
        QCOMPARE(client.Get("/healthz")->status, 200);
        // Once the first has stopped, the folder can be served again.
        QVERIFY(platform.restart());
        QCOMPARE(client.Get("/healthz")->status, 200);
    }

    // A store of whole pieces (as the platform kept contents before chunks) is converted one
    // content at a time: killed halfway, the next start goes on, and every content is served
    // with its own checksum.
    void aConversionKilledHalfwayGoesOnAtTheNextStart()
    {
        PlatformProcess platform;
        QVERIFY(platform.start());
        QVERIFY(platform.addUser("ann", "ann-pw-2026"));
        QVERIFY(platform.addSpace("Works", {"ann"}));
        SignedIn ann(platform.serverHost(), "ann", "ann-pw-2026");
        QRandomGenerator random(46);
        QMap<QString, QString> digests; // phid -> SHA-256 of what was checked in
        for (int i = 0; i < 5; ++i) {
            QByteArray bytes(300000 + 250000 * i, Qt::Uninitialized);
            random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            const QString title = QStringLiteral("sheet-%1.dxf").arg(i);
            QCOMPARE(ann.checkIn({record(title, ann.autoname(), "Works")}, {bytes}), 200);
            digests.insert(phidOf(ann, title), PlatformClient::sha256(bytes));
        }
        platform.stop();
        // Back to the form of the earlier store: each content as pieces in order.
        QVERIFY(platform.change(
            {"CREATE TABLE content_chunks (sha256 TEXT NOT NULL REFERENCES contents(sha256), "
             "seq BIGINT NOT NULL, data BLOB NOT NULL, PRIMARY KEY (sha256, seq))",
             "INSERT INTO content_chunks SELECT p.sha256, p.seq, c.data FROM content_parts p "
             "JOIN chunks c ON c.sha256 = p.chunk",
             "DELETE FROM upload_chunks", "DELETE FROM content_parts", "DELETE FROM chunks"}));
        const QStringList state{"SELECT COUNT(DISTINCT sha256) FROM content_chunks",
                                "SELECT COUNT(DISTINCT sha256) FROM content_parts"};
        QCOMPARE(platform.countsOf(state), (QList<int>{5, 0}));

        QProcessEnvironment faults = QProcessEnvironment::systemEnvironment();
        faults.insert("AUREX_FAULT_POINTS", "platform.conversion.converted=kill@2");
        const PlatformProcess::Result killed = platform.run({"user", "list"}, {}, faults);
        QVERIFY2(killed.err.contains("fault point platform.conversion.converted: kill"),
                 killed.err.constData());
        QCOMPARE(platform.countsOf(state), (QList<int>{3, 2}));

        QVERIFY(platform.restart());
        QStringList served;
        for (auto it = digests.cbegin(); it != digests.cend(); ++it)
            served << ann.downloadDigest(it.key());
        QCOMPARE(served, digests.values());
        QCOMPARE(platform.countsOf({"SELECT COUNT(*) FROM chunks k WHERE refs != (SELECT "
                                    "COUNT(*) FROM content_parts p WHERE p.chunk = k.sha256)",
                                    "SELECT COUNT(*) FROM sqlite_master WHERE name = "
                                    "'content_chunks'"}),
                 (QList<int>{0, 0}));
        platform.stop();
        QCOMPARE(platform.run({"check"}).exitCode, 0);
    }

private:
    // What the earlier platform stored, served by this one: ann's session of then still works,
    // so does her cookie, and bo's password; objects, versions, lock and names are as they were,
    // and names and check-in ids go on from where the earlier platform left them.
    static void expectEarlierDataKept(const PlatformProcess &platform, int lastCheckIn)
    {
        QFile credentialsFile(QFINDTESTDATA("../data/platform/schema1/credentials.json"));
        QVERIFY(credentialsFile.open(QIODevice::ReadOnly));
        const QJsonObject credentials = QJsonDocument::fromJson(credentialsFile.readAll()).object();
        PlatformClient ann(platform.serverHost());
        ann.http().set_bearer_token_auth(credentials["annToken"].toString().toStdString());
        QJsonObject me;
        QCOMPARE(ann.get("/api/v1/me", &me), 200);
        QCOMPARE(me["login"].toString(), QString("ann"));
        QCOMPARE(cookieSignIn(platform.serverHost(), {{"cookie", credentials["annCookie"]}}), 200);
        SignedIn bo(platform.serverHost(), "bo", "bo-password-22");

        QJsonObject found;
        QCOMPARE(ann.post("/api/v1/search", {{"query", QJsonObject{{"_TypePattern", "*"}}}},
                          &found),
                 200);
        QCOMPARE(lines(found["objects"].toArray(), {"title", "revision", "_LockedBy", "name"}),
                 (QStringList{"plan.dxf|2||AX000000001", "site-photo.png|1|bo|AX000000002"}));
        const QString plan = phidOf(ann, "plan.dxf");
        QCOMPARE(lines(versionsOf(ann, plan), {"_Comment"}),
                 (QStringList{"second issue", "first issue"}));

        const QJsonObject third{{"parent", -1}, {"title", "plan.dxf"}, {"name", "AX000000001"}};
        QCOMPARE(ann.checkIn({third}, {"plan bytes three"}, nullptr, "third issue"), 200);
        QVERIFY(lines(versionsOf(ann, plan), {"_CheckIn"}).value(0).toInt() > lastCheckIn);
        QCOMPARE(ann.autoname(), QString("AX000000005"));
    }
};

QTEST_GUILESS_MAIN(TestPlatformUpgrade)
#include "tst_platformupgrade.moc"
