// Backups of a SQLite platform taken while clients check in, and data folders restored from
// them: what was committed before a backup began comes back whole, nothing comes back half, and
// names, check-in ids and event ids handed out after the backup are never handed out again.

#include "eventreader.h"
#include "platformtestcase.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

const char kSpace[] = "Common Space";

// One check-in of a writer: a drawing, <stem>.dwg, and the file it references, <stem>.png,
// with their bytes' checksums.
struct Written {
    QString stem;
    QStringList digests;
};

// "whole" when every file of the check-in is on the platform with its bytes, "absent" when
// none is, else what is wrong with it.
QString stateOf(PlatformClient &client, const Written &checkIn)
{
    QStringList found;
    for (int i = 0; i < 2; ++i) {
        const QJsonArray objects = client.findAll(checkIn.stem + (i == 0 ? ".dwg" : ".png"));
        if (!objects.isEmpty()) {
            found << (objects.size() == 1
                              && client.downloadDigest(objects[0]["phid"].toString())
                                  == checkIn.digests[i]
                          ? "whole"
                          : "damaged");
        }
    }
    return found.isEmpty() ? "absent"
        : found.size() < 2 ? "half"
        : found.contains("damaged") ? "damaged"
                                    : "whole";
}

} // namespace

class TestPlatformBackup : public PlatformTestCase
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

        // Four writers sign in as demo users and check in new two-file trees until told to
        // stop. Every name the platform hands them and every check-in it answered are kept.
        std::mutex mutex; // guards what the writers keep
        QList<Written> written;
        QSet<QString> handedOut;
        QStringList failures;
        std::atomic<bool> stop{false};
        const auto committed = [&] {
            std::lock_guard<std::mutex> guard(mutex);
            return written;
        };
        std::vector<std::thread> writers;
        const auto stopWriters = [&] {
            stop = true;
            for (std::thread &writer : writers) {
                if (writer.joinable())
                    writer.join();
            }
        };
        const auto stopAnyway = qScopeGuard(stopWriters);
        for (int n = 0; n < 4; ++n) {
            writers.emplace_back([&, n] {
                const QString user = QStringList{"alice", "bob", "carol", "alice"}.at(n);
                PlatformClient client(original->serverHost());
                int status = client.signIn(user, user + "-demo-pw");
                QJsonObject answer;
                for (int i = 0; status == 200 && !stop; ++i) {
                    const QString stem = QStringLiteral("w%1-%2").arg(n).arg(i);
                    // Every fourth drawing spans several of the platform's 1 MiB chunks.
                    const QList<QByteArray> bytes{
                        QByteArray(i % 4 == 0 ? 1536 * 1024 : 300, 'd') + stem.toUtf8(),
                        "reference of " + stem.toUtf8()};
                    const QString names[] = {client.autoname(), client.autoname()};
                    {
                        std::lock_guard<std::mutex> guard(mutex);
                        handedOut << names[0] << names[1];
                    }
                    status = client.checkIn({record(stem + ".dwg", names[0], kSpace),
                                             record(stem + ".png", names[1], kSpace, 0)},
                                            bytes, &answer);
                    std::lock_guard<std::mutex> guard(mutex);
                    if (status == 200) {
                        written.append({stem, {PlatformClient::sha256(bytes[0]),
                                               PlatformClient::sha256(bytes[1])}});
                    } else {
                        failures << QStringLiteral("%1 of %2 answered %3: %4")
                                        .arg(stem, user).arg(status)
                                        .arg(answer["error"].toString());
                    }
                }
            });
        }
        QTRY_VERIFY_WITH_TIMEOUT(committed().size() >= 12, 60000);
        const QList<Written> beforeBackup = committed();
        const PlatformProcess::Result backedUp = original->run({"backup", backup});
        QVERIFY2(backedUp.exitCode == 0, backedUp.err.constData());
        // The writers go on after the backup, taking names and ids the restore must not give
        // out again.
        const int atBackup = committed().size();
        QTRY_VERIFY_WITH_TIMEOUT(committed().size() >= atBackup + 8, 60000);
        stopWriters();
        QCOMPARE(failures, QStringList());
        const QString cookieAfter = original->issueCookie("bob");
        const QList<int> lastNumbers = original->countsOf(
            {"SELECT MAX(id) FROM checkins", "SELECT MAX(seq) FROM events"});
        original->stop();
        // It holds everyone's password hashes.
        QCOMPARE(modeOf(backup), 0600);

        PlatformProcess restored;
        const PlatformProcess::Result restore = restored.run({"restore", backup});
        QVERIFY2(restore.exitCode == 0, restore.err.constData());
        QVERIFY2(restored.start(&error), qPrintable(error));
        SignedIn alice(restored.serverHost(), "alice");

        // Whole when committed before the backup began; later ones whole or absent, never half.
        QSet<QString> before;
        for (const Written &checkIn : beforeBackup)
            before.insert(checkIn.stem);
        QStringList states;
        QStringList expected;
        for (const Written &checkIn : committed()) {
            const QString state = stateOf(alice, checkIn);
            states << checkIn.stem + ' ' + state;
            expected << checkIn.stem + ' '
                    + (before.contains(checkIn.stem) || state == "whole" ? "whole" : "absent");
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
        QCOMPARE(alice.checkIn({record("after-restore.dwg", fresh, kSpace)}, {"new bytes"}), 200);
        QVERIFY(lines(versionsOf(alice, phidOf(alice, "after-restore.dwg")), {"_CheckIn"})
                    .value(0).toLongLong() > lastNumbers[0]);
        // The subscriber's last event is one the restored log never gave: it refreshes, and
        // the event of the new check-in carries a number past every one it knew.
        QTRY_COMPARE(subscriber.events(),
                     (QStringList{"resync", "checkin after-restore.dwg alice 1"}));
        QVERIFY(std::stoll(subscriber.lastId()) > lastNumbers[1]);

        // Launcher cookies issued before the backup still sign in; later ones are unknown.
        QCOMPARE(cookieSignIn(restored.serverHost(), {{"cookie", cookieBefore}}), 200);
        QCOMPARE(cookieSignIn(restored.serverHost(), {{"cookie", cookieAfter}}), 401);
    }

    // Bytes damaged on disk are found by the check, which names every version they belong to,
    // and by a download, which is cut short rather than served as if whole, and said in the log.
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
        QStringList found = lines(damaged.out, {"title", "revision"});
        found.sort();
        QCOMPARE(found, (QStringList{"logo.png|1", "piers.dxf|1"}));

        SignedIn alice(demo.serverHost(), "alice");
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

    // A restore or backup refused says why and leaves the data folder as it found it.
    void refusals()
    {
        QTemporaryDir folder;
        const QString backup = folder.filePath("backup");
        const QString text = folder.filePath("text");
        const QString other = folder.filePath("other");
        const QString none = folder.filePath("none");
        {
            PlatformProcess demo(PlatformProcess::Options{true, {}, {}});
            QVERIFY(demo.start());
            QCOMPARE(demo.run({"backup", backup}).exitCode, 0);
            QFile file(text);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) == 8192);
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
            db.setDatabaseName(other);
            QVERIFY(db.open() && QSqlQuery(db).exec("CREATE TABLE notes (text TEXT)"));
        }
        QSqlDatabase::removeDatabase("other");
        const struct {
            QStringList command;
            bool folderUsed;
            QString reason;
        } rows[] = {
            {{"restore", backup}, true, "is not empty (it holds server-url)"},
            {{"restore", text}, false, "is not a sound platform backup"},
            {{"restore", other}, false, "is not a backup of the platform"},
            {{"restore", none}, false, "there is no backup file"},
            {{"backup", none}, false, "there is no platform database in"},
        };
        QStringList said;
        QStringList expected;
        for (const auto &row : rows) {
            PlatformProcess target;
            QFile used(target.dataDir() + "/server-url");
            QVERIFY(!row.folderUsed
                    || (QDir().mkpath(target.dataDir()) && used.open(QIODevice::WriteOnly)));
            const auto entries = [&target] {
                return QDir(target.dataDir()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
            };
            const QStringList before = entries();
            const PlatformProcess::Result result = target.run(row.command);
            said << QStringLiteral("%1 %2: %3%4")
                        .arg(row.command.join(' '))
                        .arg(result.exitCode)
                        .arg(result.err.contains(row.reason.toUtf8()) ? row.reason : result.err,
                             entries() == before ? "" : ", the folder changed");
            expected << QStringLiteral("%1 1: %2").arg(row.command.join(' '), row.reason);
        }
        QCOMPARE(said, expected);
    }
};

QTEST_GUILESS_MAIN(TestPlatformBackup)
#include "tst_platformbackup.moc"
