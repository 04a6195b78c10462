// The platform on PostgreSQL as a team runs it: two processes on one database of a temporary
// cluster that the test starts and stops itself, the same statements as on SQLite. Where nginx
// is installed, it stands in front of both and ends TLS with a certificate of the test's own,
// configured from server/deploy/nginx.conf; the connector works through it. Skipped, saying
// why, where PostgreSQL (or, for the tests through the proxy, nginx) is not installed.

#include "../fzconnector/connectortestsupport.h"
#include "eventreader.h"
#include "platformtestcase.h"
#include "postgrescluster.h"

#include <QTcpServer>

#include <atomic>
#include <thread>

using namespace connectortest;

namespace {

// A new file at the top of Harbour Works, as the raw check-ins below send it.
QJsonObject harbourRecord(const QString &title, const QString &name)
{
    return PlatformTestCase::record(title, name, "Harbour Works");
}

QString nginxBinary()
{
    return QStandardPaths::findExecutable("nginx", {"/usr/sbin", "/usr/local/sbin", "/usr/bin"});
}

} // namespace

class TestPlatformPostgres : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (!PostgresCluster::unavailableReason().isEmpty())
            QSKIP(qPrintable(PostgresCluster::unavailableReason()));
        QVERIFY(m_dir.isValid());
        m_cluster = std::make_unique<PostgresCluster>();
        QString error;
        QVERIFY2(m_cluster->start(&error), qPrintable(error));
        // The first filled with the demo.
        PlatformProcess::Options options{true, {"--trusted-proxy", "127.0.0.1"},
                                         m_cluster->databaseUrl()};
        m_platform = std::make_unique<PlatformProcess>(options);
        QVERIFY2(m_platform->start(&error), qPrintable(error));
        options.demo = false;
        m_second = std::make_unique<PlatformProcess>(options);
        QVERIFY2(m_second->start(&error), qPrintable(error));
        if (!nginxBinary().isEmpty())
            startNginx();
    }

    void cleanupTestCase()
    {
        if (m_nginx.state() != QProcess::NotRunning) {
            m_nginx.terminate();
            m_nginx.waitForFinished(10000);
        }
        // The platforms, then the cluster, stop as the members go.
    }

    void readOperations()
    {
        QVERIFY(signIn(*m_platform, "bob"));
        QCOMPARE(connector()->GetListOfCollaborativeSpaces(),
                 (std::vector<std::string>{"Common Space", "Bridge Project"}));
        const Record query = connectortest::record({{"_TypePattern", "ACAD Drawing,Derived Output"},
                                                    {"_TitlePattern", "*E*"}, {"_Pagelimit", "1000"}});
        QVERIFY(connector()->SearchPattern(query.get()));
        QCOMPARE(titles(), (QStringList{"bridge.dwg", "bridge.jpg", "core.dwg", "core.jpg",
                                              "deck.dwg", "deck.jpg", "piers.dxf", "piers.jpg",
                                              "rebar.dxf", "rebar.jpg", "tower.dwg", "tower.jpg"}));
        const Record bridge = find("bridge.dwg");
        QVERIFY(connector()->GetStructure_Block(bridge.get()));
        QCOMPARE(connector()->GetTransactionListSize(), 7);
        connector()->SetWorkingDirectory(m_dir.path());
        QCOMPARE(connector()->Download_Block(valueOf(bridge.get(), "phid")),
                 QString("/bridge.dwg"));
        QCOMPARE(sha256Of(m_dir.filePath("bridge.dwg")),
                 valueOf(bridge.get(), "_sha256").toLatin1());
        QVERIFY(connector()->DownloadPreviews({bridge.get()}));
        QVERIFY(QFile::exists(m_dir.filePath("bridge.jpg")));
    }

    void writeOperations()
    {
        QVERIFY(signIn(*m_platform, "alice"));
        const QString path = writeFile(m_dir.path(), "yard.dwg", "yard drawing");
        QVERIFY(!path.isEmpty());
        // A drawing and a child whose title is refused: nothing is stored until the title is fixed.
        const Record root = newFileRecord(path, "Harbour Works");
        root->SetProperty("maintainlock", "true");
        const Record child = newFileRecord(path, "Harbour Works");
        child->SetTitle("../yard.png");
        child->SetParent(root.get());
        QVERIFY(!connector()->CheckIn(root.get()));
        QVERIFY(!find("yard.dwg"));
        child->SetTitle("yard.png");
        QVERIFY(connector()->CheckIn(root.get()));
        const Record yard = find("yard.dwg");
        QVERIFY(yard);
        QCOMPARE(valueOf(yard.get(), "_LockedBy"), QString("alice"));
        QCOMPARE(valueOf(find("yard.png").get(), "_sha256"), valueOf(yard.get(), "_sha256"));
        QVERIFY(connector()->UnlockFile(yard.get()));
        QVERIFY(connector()->Delete_Block({yard.get()}));
        QVERIFY(!find("yard.dwg"));
    }

    void checkInAndDeleteOfTheSameBytes()
    {
        // One user deletes a file while another checks in a new file with the same bytes: both
        // succeed, and the new file's content is there.
        SignedIn deleter(m_platform->serverHost(), "alice");
        SignedIn writer(m_platform->serverHost(), "carol");
        for (int round = 0; round < 25; ++round) {
            const QByteArray bytes = "shared bytes of round " + QByteArray::number(round);
            QJsonObject stored;
            QCOMPARE(deleter.checkIn({harbourRecord("old.png", deleter.autoname())}, {bytes},
                                     &stored), 200);
            const QJsonObject old = ref(stored.value("objects")[0]["phid"]);
            const QString name = writer.autoname();
            std::atomic<int> ready{0};
            // Each thread waits for the other, so that both requests leave at once.
            auto together = [&ready] {
                for (++ready; ready < 2;) {
                }
            };
            int deleted = 0;
            std::thread remover([&] {
                together();
                deleted = deleter.post("/api/v1/delete", {{"refs", QJsonArray{old}}});
            });
            together();
            const int checkedIn =
                writer.checkIn({harbourRecord("new.png", name)}, {bytes}, &stored);
            remover.join();
            QCOMPARE(deleted, 200);
            QCOMPARE(checkedIn, 200);
            const QString phid = stored.value("objects")[0]["phid"].toString();
            QCOMPARE(writer.downloadDigest(phid), PlatformClient::sha256(bytes));
            QCOMPARE(writer.post("/api/v1/delete", {{"refs", QJsonArray{byName(name)}}}), 200);
        }
    }

    void administrationOnPostgres()
    {
        // Accounts and locks as an administrator keeps them, on the second process's view.
        QCOMPARE(m_platform->run({"user", "add", "dora"}, "dora-password\n").exitCode, 0);
        QCOMPARE(m_platform->run({"user", "add", "DORA"}, "dora-password\n").exitCode, 1);
        QCOMPARE(m_platform->run({"member", "add", "Harbour Works", "dora"}).exitCode, 0);
        SignedIn dora(m_second->serverHost(), "dora", "dora-password");
        QJsonObject record = harbourRecord("dora-pg.dwg", dora.autoname());
        record.insert("maintainlock", "true");
        QCOMPARE(dora.checkIn({record}, {"dora's drawing"}), 200);
        const auto listed = [this](const QStringList &command, const QStringList &keys) {
            return lines(m_platform->run(command + QStringList{"--json"}).out, keys);
        };
        QCOMPARE(listed({"lock", "list", "--user", "dora"}, {"title", "space", "lockedBy"}),
                 QStringList{"dora-pg.dwg|Harbour Works|dora"});
        QCOMPARE(m_platform->run({"user", "disable", "dora"}).exitCode, 0);
        QCOMPARE(dora.http().Get("/api/v1/me")->status, 401);
        QVERIFY(listed({"user", "list"}, {"login", "disabled"}).contains("dora|true"));
        QCOMPARE(m_platform->run({"lock", "release", record["name"].toString()}).exitCode, 0);
        QCOMPARE(listed({"lock", "list", "--user", "dora"}, {"title"}), QStringList());
        const PlatformProcess::Result refused = m_platform->run({"user", "remove", "dora"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("owns dora-pg.dwg"), refused.err.constData());
        QCOMPARE(m_platform->run({"member", "remove", "Harbour Works", "dora"}).exitCode, 0);
        QCOMPARE(listed({"member", "list", "Harbour Works"}, {"login"}),
                 (QStringList{"alice", "carol"}));

        // An account with nothing left goes, memberships, sessions and names with it.
        QCOMPARE(m_platform->run({"user", "add", "erin"}, "erin-password\n").exitCode, 0);
        QCOMPARE(m_platform->run({"member", "add", "Harbour Works", "erin"}).exitCode, 0);
        SignedIn erin(m_second->serverHost(), "erin", "erin-password");
        QVERIFY(!erin.autoname().isEmpty());
        QCOMPARE(m_platform->run({"user", "remove", "erin"}).exitCode, 0);
        QVERIFY(!listed({"user", "list"}, {"login"}).contains("erin"));
        httplib::Client health(m_second->serverHost().toStdString());
        QCOMPARE(health.Get("/healthz")->status, 200);
    }

    void renumberMovesNamesAndIdsOn()
    {
        // As after pg_restore of an older dump: nothing handed out before comes again.
        SignedIn alice(m_second->serverHost(), "alice");
        const auto checkInId = [&alice](const QString &title) {
            if (alice.checkIn({harbourRecord(title, alice.autoname())}, {title.toUtf8()}) != 200)
                return -1LL;
            return lines(versionsOf(alice, phidOf(alice, title)), {"_CheckIn"}).value(0).toLongLong();
        };
        const qint64 before = checkInId("before-renumber.dwg");
        QVERIFY(before > 0);
        const qint64 lastName = alice.autoname().mid(2).toLongLong();
        const PlatformProcess::Result renumbered = m_platform->run({"renumber", "--margin", "1000"});
        QVERIFY2(renumbered.exitCode == 0, renumbered.err.constData());
        QCOMPARE(alice.autoname(), QStringLiteral("AX%1").arg(lastName + 1001, 9, 10, QChar('0')));
        QVERIFY(checkInId("after-renumber.dwg") > before + 1000);
        // A subscriber that comes back with a number of before refreshes.
        EventReader comeback(m_second->serverHost(), "alice", "1");
        QTRY_COMPARE(comeback.events().value(0), QString("resync"));
    }

    void twoProcessesShareLocksAndCheckIns()
    {
        // Two server processes on the same database, as when the platform outgrows one.
        SignedIn alice(m_platform->serverHost(), "alice");
        SignedIn carol(m_second->serverHost(), "carol");

        const QJsonObject file = harbourRecord("pier.dxf", alice.autoname());
        QCOMPARE(alice.checkIn({file}, {"pier v1"}), 200);
        const QJsonObject pier = ref(alice.find("pier.dxf").value("phid"));
        QCOMPARE(alice.post("/api/v1/lock", {{"ref", pier}}), 200);
        QCOMPARE(carol.find("pier.dxf").value("_LockedBy").toString(), QString("alice"));
        QCOMPARE((QList<int>{carol.post("/api/v1/lock", {{"ref", pier}}),
                             carol.checkIn({file}, {"pier by carol"}),
                             // Not hers to delete, whoever holds the lock.
                             carol.post("/api/v1/delete", {{"refs", QJsonArray{pier}}}),
                             alice.post("/api/v1/unlock", {{"ref", pier}}),
                             carol.post("/api/v1/lock", {{"ref", pier}})}),
                 QList<int>({409, 409, 403, 200, 200}));

        // Check-ins through both processes at once: every one is stored, seen through either.
        QMap<QString, QString> expected; // title -> SHA-256
        for (int i = 0; i < 60; ++i) {
            const QString title =
                QStringLiteral("twin-%1-%2.png").arg(i < 30 ? "alice" : "carol").arg(i % 30);
            expected.insert(title, PlatformClient::sha256(title.toUtf8()));
        }
        auto writeMany = [&expected](PlatformClient *client, const QString &prefix) {
            for (const QString &title : expected.keys()) {
                if (title.startsWith(prefix))
                    client->checkIn({harbourRecord(title, client->autoname())}, {title.toUtf8()});
            }
        };
        std::thread other([&] { writeMany(&carol, "twin-carol"); });
        writeMany(&alice, "twin-alice");
        other.join();
        for (PlatformClient *client : {&alice, &carol}) {
            QJsonObject answer;
            const QJsonObject query{{"_TypePattern", "*"}, {"_TitlePattern", "twin-*"},
                                    {"_Pagelimit", "1000"}};
            QCOMPARE(client->post("/api/v1/search", {{"query", query}}, &answer), 200);
            QMap<QString, QString> found;
            for (const QJsonValue &object : answer.value("objects").toArray())
                found.insert(object["title"].toString(), object["_sha256"].toString());
            QCOMPARE(found, expected);
        }
    }

    // A check-in served by one process reaches a subscriber of the other; a subscriber that
    // comes back to the other process misses nothing.
    void eventsReachSubscribersOfEveryProcess()
    {
        SignedIn bob(m_platform->serverHost(), "bob");
        const QJsonObject truss = record("truss.dwg", bob.autoname(), "Common Space");
        std::string seen;
        {
            EventReader alice(m_second->serverHost(), "alice");
            QTRY_VERIFY(alice.isOpen());
            QCOMPARE(bob.checkIn({truss}, {"truss v1"}, nullptr, "first"), 200);
            QTRY_COMPARE(alice.events(), QStringList{"checkin truss.dwg bob 1  first"});
            seen = alice.lastId();
        }
        QCOMPARE(bob.checkIn({truss}, {"truss v2"}, nullptr, "second"), 200);
        QCOMPARE(bob.post("/api/v1/lock", {{"ref", byName(truss["name"])}}), 200);
        EventReader back(m_platform->serverHost(), "alice", seen);
        QTRY_COMPARE(back.events(), QStringList({"checkin truss.dwg bob 2  second",
                                                 "lock truss.dwg bob 2 bob"}));
        QCOMPARE(bob.post("/api/v1/unlock", {{"ref", byName(truss["name"])}}), 200);
    }

    void versionsAreKept()
    {
        const Record plan =
            saveThreeVersions(*m_platform, m_dir.path(), "pg-plan.dwg", "Common Space");
        QVERIFY(plan);
        QVERIFY(connector()->GetVersions_Block(plan.get()));
        QCOMPARE(transactionLines({"revision", "_ModifiedBy", "_Comment"}),
                 (QStringList{"3|alice|third", "2|bob|second", "1|alice|first"}));
        // A drawing's structure as of its only version is its structure now.
        const Record bridge = find("bridge.dwg");
        QVERIFY(connector()->GetStructure_Block(bridge.get()));
        const QStringList now = transactionLines({"title", "revision", "_sha256"});
        QVERIFY(connector()->GetStructureAsOf_Block(bridge.get(), 1));
        QCOMPARE(transactionLines({"title", "revision", "_sha256"}), now);

        // A restore through one process, retention by the other's command.
        QVERIFY(connector()->RestoreVersion_Block(plan.get(), 1));
        const PlatformProcess::Result pruned = m_second->run({"prune", "--keep-versions", "2"});
        QCOMPARE(pruned.exitCode, 0);
        QVERIFY(connector()->GetVersions_Block(plan.get()));
        QCOMPARE(transactionLines({"revision", "_ModifiedBy", "_Comment"}),
                 (QStringList{"4|alice|Restored version 1", "3|alice|third"}));
        QTemporaryDir folder;
        QCOMPARE(connector()->DownloadVersion_Block(plan.get(), 1, folder.path()), QString());
        const QString restored = connector()->DownloadVersion_Block(plan.get(), 4, folder.path());
        QCOMPARE(QString::fromLatin1(sha256Of(restored)),
                 QString::fromLatin1(QCryptographicHash::hash("version 1 of pg-plan.dwg",
                                                              QCryptographicHash::Sha256)
                                         .toHex()));
    }

    void savesOfOneFileThroughTwoProcessesMakeOneVersionEach()
    {
        SignedIn alice(m_platform->serverHost(), "alice");
        SignedIn carol(m_second->serverHost(), "carol");
        const QJsonObject record = harbourRecord("busy.dxf", alice.autoname());
        QCOMPARE(alice.checkIn({record}, {"busy 0"}), 200);
        const int saves = 15;
        auto save = [&record, saves](PlatformClient *client, const QByteArray &who,
                                     QList<int> *statuses) {
            for (int i = 1; i <= saves; ++i)
                *statuses << client->checkIn({record}, {who + QByteArray::number(i)});
        };
        QList<int> byAlice;
        QList<int> byCarol;
        std::thread other([&] { save(&carol, "carol ", &byCarol); });
        save(&alice, "alice ", &byAlice);
        other.join();
        QCOMPARE(byAlice + byCarol, QVector<int>(2 * saves, 200).toList());
        QStringList expected;
        for (int revision = 2 * saves + 1; revision >= 1; --revision)
            expected << QString::number(revision);
        QCOMPARE(lines(versionsOf(alice, phidOf(alice, "busy.dxf")), {"revision"}), expected);
    }

    void workThroughTheProxy()
    {
        if (m_proxyHost.isEmpty())
            QSKIP("nginx not found (install nginx-light, as scripts/setup does)");
        QVERIFY(aliceThroughTheProxy());
        const QString path = writeFile(m_dir.path(), "quay.dwg", "quay v1\n");
        QVERIFY(!path.isEmpty());
        const Record quay = newFileRecord(path, "Common Space");
        QVERIFY(connector()->CheckIn(quay.get()));
        QCOMPARE(connector()->GetTransactionListSize(), 1);
        FzFileInfo stored(*connector()->GetTransactionFileAt(0));
        QVERIFY(connector()->LockFile(&stored));
        // Through the proxy, whichever process answers, the lock is alice's to give back.
        for (int i = 0; i < 4; ++i)
            QCOMPARE(valueOf(find("quay.dwg").get(), "_LockedBy"), QString("alice"));
        QVERIFY(connector()->UnlockFile(&stored));
    }

    // The event stream through the proxy, which passes each event on as it comes: carol's lock,
    // made at one of the processes, reaches alice's stream within seconds, not when a buffer
    // fills or the stream ends.
    void eventsThroughTheProxy()
    {
        if (m_proxyHost.isEmpty())
            QSKIP("nginx not found (install nginx-light, as scripts/setup does)");
        QVERIFY(aliceThroughTheProxy());
        // carol holds pier.dxf, of Harbour Works, since the test of two processes.
        SignedIn carol(m_second->serverHost(), "carol");
        const QJsonObject pier = ref(carol.find("pier.dxf").value("phid"));
        std::atomic<int> heard{0};
        std::atomic<bool> wanted{true};
        std::thread reader([&] {
            connector()->ReadEvents_Block(
                QString(),
                [&](const QString &, const QString &name, const QByteArray &data) {
                    if (name == "lock" && data.contains("pier.dxf"))
                        ++heard;
                },
                [&] { return wanted.load(); });
        });
        // Until the stream is open, a lock is not in it: carol locks again until one arrives.
        QTRY_VERIFY_WITH_TIMEOUT((carol.post("/api/v1/unlock", {{"ref", pier}}),
                                  carol.post("/api/v1/lock", {{"ref", pier}}), heard.load() > 0),
                                 20000);
        // One event alone, far smaller than a proxy's buffer, comes at once.
        const int before = heard;
        QCOMPARE(carol.post("/api/v1/unlock", {{"ref", pier}}), 200);
        QCOMPARE(carol.post("/api/v1/lock", {{"ref", pier}}), 200);
        QTRY_VERIFY_WITH_TIMEOUT(heard.load() > before, 2000);
        wanted = false;
        reader.join();
    }

private:
    bool aliceThroughTheProxy()
    {
        connector()->SetServer(m_proxyHost);
        return connector()->LxGatepassLogin("alice", "alice-demo-pw", m_proxyHost, QString(), "/cas");
    }

    void startNginx()
    {
        const QString prefix = m_dir.path();
        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                                  "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
                                  "-subj", "/CN=127.0.0.1", "-addext",
                                  "subjectAltName=IP:127.0.0.1", "-keyout", prefix + "/key.pem",
                                  "-out", prefix + "/cert.pem"});
        QVERIFY2(openssl.waitForFinished(60000) && openssl.exitCode() == 0,
                 openssl.readAll().constData());
        // A port nobody listens on now: nginx takes no port 0.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        QFile example(QStringLiteral(AUREX_SOURCE_DIR "/server/deploy/nginx.conf"));
        QFile config(prefix + "/nginx.conf");
        QVERIFY(example.open(QIODevice::ReadOnly) && config.open(QIODevice::WriteOnly));
        const QString servers = QStringLiteral("server 127.0.0.1:%1;\n        server 127.0.0.1:%2;")
                                    .arg(m_platform->port())
                                    .arg(m_second->port());
        config.write(QString::fromUtf8(example.readAll())
                         .replace(QLatin1String("@PREFIX@"), prefix)
                         .replace(QLatin1String("@LISTEN@"), "127.0.0.1:" + QString::number(port))
                         .replace(QLatin1String("@UPSTREAM_SERVERS@"), servers)
                         .toUtf8());
        config.close();
        // nginx's workers, when started by root, run as another user and must reach the folder.
        QFile::setPermissions(prefix, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                          | QFileDevice::ExeOther);
        m_nginx.setProcessChannelMode(QProcess::MergedChannels);
        m_nginx.start(nginxBinary(),
                      {"-p", prefix, "-c", config.fileName(), "-e", prefix + "/error.log"});
        const auto listening = [port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            return socket.waitForConnected(500);
        };
        const auto said = [&] {
            QFile log(prefix + "/error.log");
            log.open(QIODevice::ReadOnly);
            return m_nginx.readAll() + log.readAll();
        };
        QTRY_VERIFY2_WITH_TIMEOUT(listening(), said().constData(), 10000);
        m_proxyHost = QStringLiteral("127.0.0.1:%1").arg(port);
        qputenv("FZCONNECTOR_CA_FILE", QFile::encodeName(prefix + "/cert.pem"));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<PostgresCluster> m_cluster;
    std::unique_ptr<PlatformProcess> m_platform; // filled with the demo
    std::unique_ptr<PlatformProcess> m_second;
    QProcess m_nginx;
    QString m_proxyHost; // empty without nginx
};

QTEST_GUILESS_MAIN(TestPlatformPostgres)
#include "tst_platformpostgres.moc"
