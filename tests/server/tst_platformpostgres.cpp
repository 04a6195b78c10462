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

namespace {

// A new file at the top of Harbour Works, as the raw check-ins below send it.
QJsonObject harbourRecord(const QString &title, const QString &name)
{
    return QJsonObject{{"parent", -1}, {"title", title}, {"name", name},
                       {"collabspace", "Harbour Works"}};
}

} // namespace

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
    for (const PlatformProcess::Result &result : {first, second})
        QVERIFY2(result.exitCode == 0 && result.err.trimmed().isEmpty(), result.err.constData());
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
    QVERIFY(signIn(*m_platform, "bob", "bob-demo-pw"));
    QCOMPARE(connector()->GetListOfCollaborativeSpaces(),
             (std::vector<std::string>{"Common Space", "Bridge Project"}));
    const Record query = record({{"_TypePattern", "ACAD Drawing,Derived Output"},
                                 {"_TitlePattern", "*E*"}, {"_Pagelimit", "1000"}});
    QVERIFY(connector()->SearchPattern(query.get()));
    QCOMPARE(searchTitles(), (QStringList{"bridge.dwg", "bridge.jpg", "core.dwg", "core.jpg",
                                          "deck.dwg", "deck.jpg", "piers.dxf", "piers.jpg",
                                          "rebar.dxf", "rebar.jpg", "tower.dwg", "tower.jpg"}));
    const Record bridge = find("bridge.dwg");
    QVERIFY(connector()->GetStructure_Block(bridge.get()));
    QCOMPARE(connector()->GetTransactionListSize(), 7);
    const QString folder = m_dir.filePath("download");
    QVERIFY(QDir().mkpath(folder));
    connector()->SetWorkingDirectory(folder);
    QCOMPARE(connector()->Download_Block(valueOf(bridge.get(), "phid")), QString("/bridge.dwg"));
    QCOMPARE(sha256Of(folder + "/bridge.dwg"), valueOf(bridge.get(), "_sha256").toLatin1());
    QVERIFY(connector()->DownloadPreviews({bridge.get()}));
    QVERIFY(QFile::exists(folder + "/bridge.jpg"));
}

void TestPlatformPostgres::writeOperations()
{
    QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
    const QString folder = m_dir.filePath("upload");
    QVERIFY(QDir().mkpath(folder));
    QFile file(folder + "/yard.dwg");
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("yard drawing") == 12);
    file.close();
    // A drawing and a child whose title is refused: nothing is stored until the title is fixed.
    const Record root = newFileRecord(file.fileName(), "Harbour Works");
    root->SetProperty("maintainlock", "true");
    const Record child = newFileRecord(file.fileName(), "Harbour Works");
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

    QVERIFY(signIn(*m_platform, "carol", "carol-demo-pw"));
    QVERIFY(!connector()->Delete_Block({yard.get()}));
    QVERIFY(!connector()->LockFile(yard.get()));
    QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
    QVERIFY(connector()->UnlockFile(yard.get()));
    QVERIFY(connector()->Delete_Block({yard.get()}));
    QVERIFY(!find("yard.dwg"));
}

void TestPlatformPostgres::checkInAndDeleteOfTheSameBytes()
{
    // One user deletes a file while another checks in a new file with the same bytes: both
    // succeed, and the new file's content is there.
    PlatformClient deleter(m_platform->serverHost());
    PlatformClient writer(m_platform->serverHost());
    QCOMPARE(deleter.signIn("alice", "alice-demo-pw"), 200);
    QCOMPARE(writer.signIn("carol", "carol-demo-pw"), 200);
    for (int round = 0; round < 25; ++round) {
        const QByteArray bytes = "shared bytes of round " + QByteArray::number(round);
        QJsonObject stored;
        QCOMPARE(deleter.checkIn({harbourRecord("old.png", deleter.autoname())}, {bytes}, &stored),
                 200);
        const QJsonObject old = stored.value("objects").toArray().at(0).toObject();
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
            deleted = deleter.post("/api/v1/delete",
                                   {{"refs", QJsonArray{QJsonObject{{"phid", old["phid"]}}}}});
        });
        together();
        const int checkedIn = writer.checkIn({harbourRecord("new.png", name)}, {bytes}, &stored);
        remover.join();
        QCOMPARE(deleted, 200);
        QCOMPARE(checkedIn, 200);
        const QString phid = stored.value("objects").toArray().at(0)["phid"].toString();
        const httplib::Result content =
            writer.http().Get("/api/v1/objects/" + phid.toStdString() + "/content");
        QVERIFY(content);
        QCOMPARE(QByteArray::fromStdString(content->body), bytes);
        QCOMPARE(writer.post("/api/v1/delete", {{"refs", QJsonArray{QJsonObject{{"name", name}}}}}),
                 200);
    }
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
    QCOMPARE(alice.signIn("alice", "alice-demo-pw"), 200);
    QCOMPARE(carol.signIn("carol", "carol-demo-pw"), 200);

    const QString pierName = alice.autoname();
    QCOMPARE(alice.checkIn({harbourRecord("pier.dxf", pierName)}, {"pier v1"}), 200);
    const QJsonObject pier{{"phid", alice.find("pier.dxf").value("phid")}};
    QCOMPARE(alice.post("/api/v1/lock", {{"ref", pier}}), 200);
    QCOMPARE(carol.find("pier.dxf").value("_LockedBy").toString(), QString("alice"));
    QCOMPARE(carol.post("/api/v1/lock", {{"ref", pier}}), 409);
    QCOMPARE(carol.checkIn({harbourRecord("pier.dxf", pierName)}, {"pier by carol"}), 409);
    QCOMPARE(carol.post("/api/v1/delete", {{"refs", QJsonArray{pier}}}), 409);
    QCOMPARE(alice.post("/api/v1/unlock", {{"ref", pier}}), 200);
    QCOMPARE(carol.post("/api/v1/lock", {{"ref", pier}}), 200);
    QCOMPARE(alice.find("pier.dxf").value("_LockedBy").toString(), QString("carol"));
    QCOMPARE(alice.post("/api/v1/lock", {{"ref", pier}}), 409);

    // Check-ins through both processes at once: every one is stored, seen through either.
    QMap<QString, QString> expected; // title -> SHA-256
    auto writeMany = [](PlatformClient *client, const QString &prefix, QStringList *failed) {
        for (int i = 0; i < 30; ++i) {
            const QString title = QStringLiteral("%1-%2.png").arg(prefix).arg(i);
            const int status =
                client->checkIn({harbourRecord(title, client->autoname())}, {title.toUtf8()});
            if (status != 200)
                *failed << QStringLiteral("%1: %2").arg(title).arg(status);
        }
    };
    QStringList failures, carolFailures;
    std::thread other([&] { writeMany(&carol, "twin-carol", &carolFailures); });
    writeMany(&alice, "twin-alice", &failures);
    other.join();
    failures += carolFailures;
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(", ")));
    for (const char *prefix : {"twin-alice", "twin-carol"}) {
        for (int i = 0; i < 30; ++i) {
            const QString title = QStringLiteral("%1-%2.png").arg(prefix).arg(i);
            expected.insert(title, PlatformClient::sha256(title.toUtf8()));
        }
    }
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

QTEST_GUILESS_MAIN(TestPlatformPostgres)
#include "tst_platformpostgres.moc"
