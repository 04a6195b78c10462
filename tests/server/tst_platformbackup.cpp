// Backups of a SQLite platform taken while clients check in, and data folders restored from
// them: what was committed before a backup began comes back whole, nothing comes back half, and
// names, check-in ids and event ids handed out after the backup are never handed out again.

#include "eventreader.h"
#include "platformclient.h"
#include "platformprocess.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <thread>

#include <sys/stat.h>

namespace {

const char kSpace[] = "Common Space";

// One check-in of a writer: a drawing and the file it references, each with bytes of its own.
struct Written {
    QStringList titles;
    QStringList digests;
};

// Signs in as a demo user and checks in new two-file trees until told to stop. Every name the
// platform hands it and every check-in it had answered are kept, in order.
class Writer
{
public:
    Writer(const QString &serverHost, const QString &user, int number)
        : m_client(serverHost), m_user(user), m_number(number)
    {
    }
    ~Writer() { stop(); }

    void start()
    {
        m_thread = std::thread([this] {
            if (m_client.signIn(m_user, m_user + "-demo-pw") != 200) {
                m_failure = "sign-in failed";
                return;
            }
            for (int i = 0; !m_stop && m_failure.isEmpty(); ++i)
                writeOne(i);
        });
    }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    QList<Written> written() const
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_written;
    }
    QStringList names() const
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_names;
    }
    QString failure() const { return m_failure; }

private:
    void writeOne(int i)
    {
        const QString stem = QStringLiteral("w%1-%2").arg(m_number).arg(i);
        const QStringList titles{stem + ".dwg", stem + ".png"};
        // Every fourth drawing spans several of the platform's 1 MiB chunks.
        QList<QByteArray> bytes{QByteArray(i % 4 == 0 ? 1536 * 1024 : 300, 'd') + stem.toUtf8(),
                                "reference of " + stem.toUtf8()};
        const QStringList names{m_client.autoname(), m_client.autoname()};
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_names << names;
        }
        QJsonArray records{
            QJsonObject{{"parent", -1}, {"title", titles[0]}, {"name", names[0]},
                        {"collabspace", kSpace}},
            QJsonObject{{"parent", 0}, {"title", titles[1]}, {"name", names[1]},
                        {"collabspace", kSpace}, {"_RelationToParent", "CADSubcomponent"}}};
        QJsonObject answer;
        const int status = m_client.checkIn(records, bytes, &answer);
        if (status != 200) {
            m_failure = QStringLiteral("check-in %1 answered %2: %3")
                            .arg(stem)
                            .arg(status)
                            .arg(answer.value("error").toString());
            return;
        }
        std::lock_guard<std::mutex> guard(m_mutex);
        m_written.append({titles, {PlatformClient::sha256(bytes[0]),
                                   PlatformClient::sha256(bytes[1])}});
    }

    PlatformClient m_client;
    QString m_user;
    int m_number;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex; // guards m_written, m_names
    QList<Written> m_written;
    QStringList m_names;
    QString m_failure; // set by the writer's thread before it ends
};

int modeOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

// "whole" when every file of the check-in is on the platform with its bytes, "absent" when
// none is, else what is wrong with it.
QString stateOf(PlatformClient &client, const Written &checkIn)
{
    QStringList found;
    for (int i = 0; i < checkIn.titles.size(); ++i) {
        const QJsonArray objects = client.findAll(checkIn.titles[i]);
        if (objects.isEmpty())
            continue;
        const QString phid = objects.at(0)["phid"].toString();
        found << (objects.size() == 1 && client.downloadDigest(phid) == checkIn.digests[i]
                      ? QStringLiteral("whole")
                      : QStringLiteral("damaged"));
    }
    if (found.isEmpty())
        return QStringLiteral("absent");
    if (found.size() < checkIn.titles.size())
        return QStringLiteral("half");
    return found.contains(QStringLiteral("damaged")) ? QStringLiteral("damaged")
                                                     : QStringLiteral("whole");
}

} // namespace

class TestPlatformBackup : public QObject
{
    Q_OBJECT

private slots:
    void backupWhileCheckingInRestoresWhatWasCommitted()
    {
        QString error;
        const auto original = PlatformProcess::startDemo(&error);
        QVERIFY2(original, qPrintable(error));
        QTemporaryDir folder;
        const QString backup = folder.filePath("platform-backup.sqlite");
        const QString cookieBefore = original->issueCookie("bob");

        std::vector<std::unique_ptr<Writer>> writers;
        const QStringList users{"alice", "bob", "carol", "alice"};
        for (int i = 0; i < users.size(); ++i) {
            writers.push_back(std::make_unique<Writer>(original->serverHost(), users[i], i));
            writers.back()->start();
        }
        const auto committed = [&writers] {
            QList<Written> all;
            for (const auto &writer : writers)
                all += writer->written();
            return all;
        };
        QTRY_VERIFY_WITH_TIMEOUT(committed().size() >= 12, 60000);
        const QList<Written> beforeBackup = committed();
        const PlatformProcess::Result backedUp = original->run({"backup", backup});
        QVERIFY2(backedUp.exitCode == 0, backedUp.err.constData());
        // The writers go on after the backup, taking names and ids the restore must not give
        // out again.
        const int atBackup = committed().size();
        QTRY_VERIFY_WITH_TIMEOUT(committed().size() >= atBackup + 8, 60000);
        for (const auto &writer : writers) {
            writer->stop();
            QVERIFY2(writer->failure().isEmpty(), qPrintable(writer->failure()));
        }
        const QString cookieAfter = original->issueCookie("bob");
        const QList<int> lastNumbers = original->countsOf(
            {"SELECT MAX(id) FROM checkins", "SELECT MAX(seq) FROM events"});
        QSet<QString> handedOut;
        for (const auto &writer : writers) {
            for (const QString &name : writer->names())
                handedOut.insert(name);
        }
        original->stop();
        // It holds everyone's password hashes.
        QCOMPARE(modeOf(backup), 0600);

        PlatformProcess restored;
        const PlatformProcess::Result restore = restored.run({"restore", backup});
        QVERIFY2(restore.exitCode == 0, restore.err.constData());
        QVERIFY2(restored.start(&error), qPrintable(error));
        PlatformClient alice(restored.serverHost());
        QCOMPARE(alice.signIn("alice", "alice-demo-pw"), 200);

        // Whole when committed before the backup began; later ones whole or absent, never half.
        QSet<QString> before;
        for (const Written &checkIn : beforeBackup)
            before.insert(checkIn.titles.first());
        QStringList states;
        QStringList expected;
        for (const Written &checkIn : committed()) {
            states << checkIn.titles.first() + ' ' + stateOf(alice, checkIn);
            expected << checkIn.titles.first() + ' '
                    + (before.contains(checkIn.titles.first())
                               || states.last().endsWith(QLatin1String(" whole"))
                             ? QStringLiteral("whole")
                             : QStringLiteral("absent"));
        }
        QCOMPARE(states, expected);

        // Nothing the original handed out comes again: names, check-in ids, event ids.
        QJsonObject names;
        QCOMPARE(alice.post("/api/v1/autonames", {{"count", 20}}, &names), 200);
        QStringList repeated;
        for (const QJsonValue name : names["names"].toArray()) {
            if (handedOut.contains(name.toString()))
                repeated << name.toString();
        }
        QCOMPARE(repeated, QStringList());
        EventReader subscriber(restored.serverHost(), "bob", std::to_string(lastNumbers[1]));
        QTRY_VERIFY(subscriber.isOpen());
        const QString fresh = names["names"].toArray().at(0).toString();
        QCOMPARE(alice.checkIn({QJsonObject{{"parent", -1}, {"title", "after-restore.dwg"},
                                            {"name", fresh}, {"collabspace", kSpace}}},
                               {"new bytes"}),
                 200);
        QJsonObject versions;
        alice.get("/api/v1/objects/" + alice.find("after-restore.dwg")["phid"].toString()
                      + "/versions",
                  &versions);
        QVERIFY(versions["versions"].toArray().at(0)["_CheckIn"].toString().toLongLong()
                > lastNumbers[0]);
        // The subscriber's last event is one the restored log never gave: it refreshes, and
        // the event of the new check-in carries a number past every one it knew.
        QTRY_COMPARE(subscriber.events(),
                     (QStringList{"resync", "checkin after-restore.dwg alice 1"}));
        QVERIFY(std::stoll(subscriber.lastId()) > lastNumbers[1]);

        // Launcher cookies issued before the backup still sign in; later ones are unknown.
        PlatformClient bob(restored.serverHost());
        const auto cookieStatus = [&bob](const QString &cookie) {
            return bob.http()
                .Post("/cas/v1/cookie", PlatformClient::text({{"cookie", cookie}}),
                      "application/json")
                ->status;
        };
        QCOMPARE(cookieStatus(cookieBefore), 200);
        QCOMPARE(cookieStatus(cookieAfter), 401);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("source"); // what the file named FILE holds
        QTest::addColumn<bool>("dataFolderUsed");
        QTest::addColumn<QString>("message");
        QTest::newRow("restore into a folder in use")
            << "restore" << "backup" << true << "is not empty (it holds server-url)";
        QTest::newRow("restore of a text file")
            << "restore" << "text" << false << "is not a sound platform backup";
        QTest::newRow("restore of another database")
            << "restore" << "other database" << false << "is not a backup of the platform";
        QTest::newRow("restore of nothing")
            << "restore" << "none" << false << "there is no backup file";
        QTest::newRow("backup without a database")
            << "backup" << "none" << false << "there is no platform database in";
    }

    // Bytes damaged on disk are found by the check, which names every version they belong to,
    // before anyone downloads them.
    // Damage found by the check, and by a download, which is cut short rather than served
    // as if whole, and said in the log.
    void damagedContentsAreFoundAndNeverServed()
    {
        PlatformProcess demo(PlatformProcess::Options{true, {}, {}, true});
        QVERIFY(demo.start());
        const PlatformProcess::Result intact = demo.run({"check"});
        QCOMPARE(intact.exitCode, 0);
        QVERIFY2(intact.out.endsWith(" contents checked: all intact\n"), intact.out.constData());
        // One chunk of piers.dxf's first version zeroed, another content cut short.
        const QString versionOf =
            "(SELECT v.sha256 FROM object_versions v JOIN objects o ON o.id = v.object_id WHERE "
            "o.title = '%1' AND v.revision = %2)";
        QVERIFY(demo.change(
            {"UPDATE chunks SET data = zeroblob(length(data)) WHERE sha256 = (SELECT chunk FROM "
             "content_parts WHERE seq = 0 AND sha256 = "
                 + versionOf.arg("piers.dxf").arg(1) + ")",
             "UPDATE contents SET size = size + 1 WHERE sha256 = " + versionOf.arg("logo.png").arg(1)}));
        const PlatformProcess::Result damaged = demo.run({"check", "--json"});
        QCOMPARE(damaged.exitCode, 1);
        QStringList found;
        for (const QJsonValue entry : QJsonDocument::fromJson(damaged.out).array())
            found << entry["title"].toString() + " " + entry["revision"].toVariant().toString();
        found.sort();
        QCOMPARE(found, (QStringList{"logo.png 1", "piers.dxf 1"}));

        PlatformClient alice(demo.serverHost());
        QCOMPARE(alice.signIn("alice", "alice-demo-pw"), 200);
        const QString piers = demo.demoObjectId("piers.dxf");
        QJsonObject first;
        QCOMPARE(alice.get("/api/v1/objects/" + piers + "/versions/1", &first), 200);
        const QString sha = first["_sha256"].toString();
        QCOMPARE(sha.size(), 64);
        // The damaged version is cut short; a client that tries again hears why at once.
        QCOMPARE(alice.downloadDigest(piers, 1), QString());
        QJsonObject refusal;
        QCOMPARE(alice.get("/api/v1/objects/" + piers + "/versions/1/content", &refusal), 500);
        QCOMPARE(refusal["error"].toString(),
                 QString("piers.dxf is damaged on the AUREX Platform: its stored bytes do not match "
                         "their checksum. The administrator's `aurex-platform check` names what it "
                         "affects."));
        // A process that has not met it yet cuts a resumed download short too.
        QVERIFY(demo.restart());
        const httplib::Result ranged =
            alice.http().Get(("/api/v1/objects/" + piers + "/versions/1/content").toStdString(),
                             httplib::Headers{{"Range", "bytes=100-"}});
        QVERIFY(!ranged);
        QCOMPARE(alice.downloadDigest(piers), alice.find("piers.dxf")["_sha256"].toString());
        QTRY_COMPARE(demo.log().count(("content " + sha + " ").toUtf8()), 2);
        QVERIFY2(demo.log().contains("is damaged: its bytes hash to"), demo.log().constData());
    }

    void refusals()
    {
        QFETCH(QString, command);
        QFETCH(QString, source);
        QFETCH(bool, dataFolderUsed);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString file = folder.filePath("FILE");
        if (source == QLatin1String("backup")) {
            PlatformProcess demo(PlatformProcess::Options{true, {}, {}});
            QVERIFY(demo.start());
            QCOMPARE(demo.run({"backup", file}).exitCode, 0);
        } else if (source == QLatin1String("text")) {
            QFile text(file);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write(QByteArray(8192, 'x'));
        } else if (source == QLatin1String("other database")) {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("CREATE TABLE notes (text TEXT)"));
            db.close();
        }
        QSqlDatabase::removeDatabase("other");

        PlatformProcess target;
        if (dataFolderUsed) {
            QVERIFY(QDir().mkpath(target.dataDir()));
            QFile used(target.dataDir() + "/server-url");
            QVERIFY(used.open(QIODevice::WriteOnly));
        }
        const QStringList before = QDir(target.dataDir()).entryList(QDir::NoDotAndDotDot
                                                                    | QDir::AllEntries);
        const PlatformProcess::Result result = target.run({command, file});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(message.toUtf8()), result.err.constData());
        // A refused restore leaves the data folder as it found it.
        QCOMPARE(QDir(target.dataDir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 before);
    }
};

QTEST_GUILESS_MAIN(TestPlatformBackup)
#include "tst_platformbackup.moc"
