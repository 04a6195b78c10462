// The platform on PostgreSQL: the same statements as on SQLite, run against a temporary cluster
// that the test starts and stops itself. Skipped, saying why, where the server binaries are not
// installed.

#include "../fzconnector/connectortestsupport.h"
#include "platformclient.h"
#include "postgrescluster.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace connectortest;

class TestPlatformPostgres : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void startingAgainIsQuiet();
    void readOperations();
    void writeOperations();
    void checkInAndDeleteOfTheSameBytes();
    void largeFileStreamsBothWays();
    void twoProcessesShareLocksAndCheckIns();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PostgresCluster> m_cluster;
    std::unique_ptr<PlatformProcess> m_platform;
};

void TestPlatformPostgres::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    if (!PostgresCluster::unavailableReason().isEmpty())
        QSKIP(qPrintable(PostgresCluster::unavailableReason()));
    QVERIFY(m_dir.isValid());
    m_cluster = std::make_unique<PostgresCluster>();
    QString error;
    QVERIFY2(m_cluster->start(&error), qPrintable(error));
    PlatformProcess::Options options;
    options.demo = true;
    options.databaseUrl = m_cluster->databaseUrl();
    m_platform = std::make_unique<PlatformProcess>(options);
    QVERIFY2(m_platform->start(&error), qPrintable(error));
}

void TestPlatformPostgres::cleanupTestCase()
{
    m_platform.reset();
    m_cluster.reset();
}

void TestPlatformPostgres::startingAgainIsQuiet()
{
    // Every command opens the existing database and makes sure of its schema, two at once here.
    PlatformProcess::Result first;
    std::thread other([&] { first = m_platform->run({"tenant", "add", "quiet-one"}); });
    const PlatformProcess::Result second = m_platform->run({"tenant", "add", "quiet-two"});
    other.join();
    for (const PlatformProcess::Result &result : {first, second}) {
        QVERIFY2(result.exitCode == 0 && result.err.trimmed().isEmpty(), result.err.constData());
    }
    // Both tenants were stored: each takes a space, and neither can be added a second time.
    for (const QString tenant : {"quiet-one", "quiet-two"}) {
        const PlatformProcess::Result space =
            m_platform->run({"--tenant", tenant, "space", "add", "Yard"});
        QVERIFY2(space.exitCode == 0, space.err.constData());
        QVERIFY(m_platform->run({"tenant", "add", tenant}).exitCode != 0);
    }
    QVERIFY(m_platform->run({"--tenant", "quiet-none", "space", "add", "Yard"}).exitCode != 0);
}

void TestPlatformPostgres::readOperations()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("bob"), QStringLiteral("bob-demo-pw")));
    QCOMPARE(connector()->GetListOfCollaborativeSpaces(),
             (std::vector<std::string>{"Common Space", "Bridge Project"}));
    const Record query = record({{"_TypePattern", "ACAD Drawing,Derived Output"},
                                 {"_TitlePattern", "*E*"}, {"_Pagelimit", "1000"}});
    QVERIFY(connector()->SearchPattern(query.get()));
    QCOMPARE(searchTitles(), (QStringList{"bridge.dwg", "bridge.jpg", "core.dwg", "core.jpg",
                                          "deck.dwg", "deck.jpg", "piers.dxf", "piers.jpg",
                                          "rebar.dxf", "rebar.jpg", "tower.dwg", "tower.jpg"}));
    const Record bridge = find(QStringLiteral("bridge.dwg"));
    QVERIFY(connector()->GetStructure_Block(bridge.get()));
    QCOMPARE(connector()->GetTransactionListSize(), 7);
    const QString folder = m_dir.filePath(QStringLiteral("download"));
    QVERIFY(QDir().mkpath(folder));
    connector()->SetWorkingDirectory(folder);
    QCOMPARE(connector()->Download_Block(valueOf(bridge.get(), "phid")), QStringLiteral("/bridge.dwg"));
    QCOMPARE(sha256Of(folder + QStringLiteral("/bridge.dwg")),
             valueOf(bridge.get(), "_sha256").toLatin1());
    QVERIFY(connector()->DownloadPreviews({bridge.get()}));
    QVERIFY(QFile::exists(folder + QStringLiteral("/bridge.jpg")));
}

void TestPlatformPostgres::writeOperations()
{
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    const Record request = record({{"_count", "2"}});
    const std::vector<std::string> names = connector()->GetAutoname_Block(request.get());
    QCOMPARE(names.size(), size_t(2));
    const QString folder = m_dir.filePath(QStringLiteral("upload"));
    QVERIFY(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/yard.dwg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("yard drawing");
    file.close();

    FzFileInfo root;
    root.SetPath(file.fileName().toStdString());
    root.SetTitle("yard.dwg");
    root.SetName(names[0]);
    root.SetProperty("collabspace", "Harbour Works");
    root.SetProperty("maintainlock", "true");
    FzFileInfo refused;
    refused.SetPath(file.fileName().toStdString());
    refused.SetTitle("../yard.png");
    refused.SetName(names[1]);
    refused.SetProperty("collabspace", "Harbour Works");
    refused.SetParent(&root);
    QVERIFY(!connector()->CheckIn(&root));
    QVERIFY(!find(QStringLiteral("yard.dwg")));
    refused.SetTitle("yard.png");
    QVERIFY(connector()->CheckIn(&root));
    const Record yard = find(QStringLiteral("yard.dwg"));
    QVERIFY(yard);
    QCOMPARE(valueOf(yard.get(), "_LockedBy"), QStringLiteral("alice"));

    QVERIFY(signIn(*m_platform, QStringLiteral("carol"), QStringLiteral("carol-demo-pw")));
    QVERIFY(!connector()->Delete_Block({yard.get()}));
    QVERIFY(!connector()->LockFile(yard.get()));
    QVERIFY(signIn(*m_platform, QStringLiteral("alice"), QStringLiteral("alice-demo-pw")));
    QVERIFY(connector()->UnlockFile(yard.get()));
    QVERIFY(connector()->Delete_Block({yard.get()}));
    QVERIFY(!find(QStringLiteral("yard.dwg")));
}

void TestPlatformPostgres::checkInAndDeleteOfTheSameBytes()
{
    // One user deletes a file while another checks in a new file with the same bytes: both
    // succeed, and the new file's content is there.
    PlatformClient deleter(m_platform->serverHost());
    PlatformClient writer(m_platform->serverHost());
    QCOMPARE(deleter.signIn(QStringLiteral("alice"), QStringLiteral("alice-demo-pw")), 200);
    QCOMPARE(writer.signIn(QStringLiteral("carol"), QStringLiteral("carol-demo-pw")), 200);
    for (int round = 0; round < 25; ++round) {
        const QByteArray bytes = "shared bytes of round " + QByteArray::number(round);
        auto record = [](const QString &title, const QString &name) {
            return QJsonObject{{"parent", -1}, {"title", title}, {"name", name},
                               {"collabspace", "Harbour Works"}};
        };
        QJsonObject stored;
        QCOMPARE(deleter.checkIn({record(QStringLiteral("old.png"), deleter.autoname())}, {bytes},
                                 &stored),
                 200);
        const QJsonObject old = stored.value("objects").toArray().at(0).toObject();
        const QString name = writer.autoname();
        std::atomic<int> ready{0};
        int deleted = 0;
        int checkedIn = 0;
        std::thread remover([&] {
            for (++ready; ready < 2;) {
            }
            deleted = deleter.post(QStringLiteral("/api/v1/delete"),
                                   {{"refs", QJsonArray{QJsonObject{{"phid", old["phid"]}}}}});
        });
        for (++ready; ready < 2;) {
        }
        checkedIn = writer.checkIn({record(QStringLiteral("new.png"), name)}, {bytes}, &stored);
        remover.join();
        QCOMPARE(deleted, 200);
        QCOMPARE(checkedIn, 200);
        const QJsonObject added = stored.value("objects").toArray().at(0).toObject();
        const httplib::Result content = writer.http().Get(
            "/api/v1/objects/" + added.value("phid").toString().toStdString() + "/content");
        QVERIFY(content);
        QCOMPARE(QByteArray::fromStdString(content->body), bytes);
        QCOMPARE(writer.post(QStringLiteral("/api/v1/delete"),
                             {{"refs", QJsonArray{QJsonObject{{"name", name}}}}}),
                 200);
    }
}

void TestPlatformPostgres::largeFileStreamsBothWays()
{
    const qint64 mib = 1024 * 1024;
    PlatformClient writer(m_platform->serverHost());
    PlatformClient reader(m_platform->serverHost());
    QCOMPARE(writer.signIn(QStringLiteral("carol"), QStringLiteral("carol-demo-pw")), 200);
    QCOMPARE(reader.signIn(QStringLiteral("carol"), QStringLiteral("carol-demo-pw")), 200);
    QJsonObject stored;
    int status = 0;
    QString digest;
    const qint64 growth = m_platform->memoryGrowthDuring([&] {
        status = writer.checkInGenerated(QStringLiteral("survey.dxf"),
                                         QStringLiteral("Harbour Works"), 96 * mib, &stored);
        digest = reader.downloadDigest(stored.value("phid").toString());
    });
    QCOMPARE(status, 200);
    QCOMPARE(digest, stored.value("_sha256").toString());
    QVERIFY2(growth < 32 * mib, qPrintable(QString::number(growth / mib) + " MiB"));
}

void TestPlatformPostgres::twoProcessesShareLocksAndCheckIns()
{
    // A second server process on the same database, as when the platform outgrows one.
    PlatformProcess::Options options;
    options.databaseUrl = m_cluster->databaseUrl();
    PlatformProcess second(options);
    QString error;
    QVERIFY2(second.start(&error), qPrintable(error));
    PlatformClient alice(m_platform->serverHost());
    PlatformClient carol(second.serverHost());
    QCOMPARE(alice.signIn(QStringLiteral("alice"), QStringLiteral("alice-demo-pw")), 200);
    QCOMPARE(carol.signIn(QStringLiteral("carol"), QStringLiteral("carol-demo-pw")), 200);
    auto record = [](const QString &title, const QString &name) {
        return QJsonObject{{"parent", -1}, {"title", title}, {"name", name},
                           {"collabspace", "Harbour Works"}};
    };

    const QString pierName = alice.autoname();
    QCOMPARE(alice.checkIn({record(QStringLiteral("pier.dxf"), pierName)}, {"pier v1"}), 200);
    const QJsonObject pier{{"phid", alice.find(QStringLiteral("pier.dxf")).value("phid")}};
    QCOMPARE(alice.post(QStringLiteral("/api/v1/lock"), {{"ref", pier}}), 200);
    QCOMPARE(carol.find(QStringLiteral("pier.dxf")).value("_LockedBy").toString(),
             QStringLiteral("alice"));
    QCOMPARE(carol.post(QStringLiteral("/api/v1/lock"), {{"ref", pier}}), 409);
    QCOMPARE(carol.checkIn({record(QStringLiteral("pier.dxf"), pierName)}, {"pier by carol"}), 409);
    QCOMPARE(carol.post(QStringLiteral("/api/v1/delete"), {{"refs", QJsonArray{pier}}}), 409);
    QCOMPARE(alice.post(QStringLiteral("/api/v1/unlock"), {{"ref", pier}}), 200);
    QCOMPARE(carol.post(QStringLiteral("/api/v1/lock"), {{"ref", pier}}), 200);
    QCOMPARE(alice.find(QStringLiteral("pier.dxf")).value("_LockedBy").toString(),
             QStringLiteral("carol"));
    QCOMPARE(alice.post(QStringLiteral("/api/v1/lock"), {{"ref", pier}}), 409);

    // Check-ins through both processes at once: every one is stored, seen through either.
    const int perProcess = 30;
    QMap<QString, QString> expected; // title -> SHA-256
    QStringList failures;
    auto writeMany = [&](PlatformClient *client, const QString &prefix, QStringList *failed) {
        for (int i = 0; i < perProcess; ++i) {
            const QString title = QStringLiteral("%1-%2.png").arg(prefix).arg(i);
            const int status = client->checkIn({record(title, client->autoname())},
                                               {title.toUtf8() + " bytes"});
            if (status != 200)
                *failed << QStringLiteral("%1: %2").arg(title).arg(status);
        }
    };
    QStringList carolFailures;
    std::thread other([&] { writeMany(&carol, QStringLiteral("twin-carol"), &carolFailures); });
    writeMany(&alice, QStringLiteral("twin-alice"), &failures);
    other.join();
    failures += carolFailures;
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral(", "))));
    for (const QString &prefix : {QStringLiteral("twin-alice"), QStringLiteral("twin-carol")}) {
        for (int i = 0; i < perProcess; ++i) {
            const QString title = QStringLiteral("%1-%2.png").arg(prefix).arg(i);
            expected.insert(title, PlatformClient::sha256(title.toUtf8() + " bytes"));
        }
    }
    for (PlatformClient *client : {&alice, &carol}) {
        QJsonObject answer;
        QCOMPARE(client->post(QStringLiteral("/api/v1/search"),
                              {{"query", QJsonObject{{"_TypePattern", "*"},
                                                     {"_TitlePattern", "twin-*"},
                                                     {"_Pagelimit", "1000"}}}},
                              &answer),
                 200);
        QMap<QString, QString> found;
        for (const QJsonValue &object : answer.value("objects").toArray())
            found.insert(object["title"].toString(), object["_sha256"].toString());
        QCOMPARE(found, expected);
    }
}

QTEST_GUILESS_MAIN(TestPlatformPostgres)
#include "tst_platformpostgres.moc"
