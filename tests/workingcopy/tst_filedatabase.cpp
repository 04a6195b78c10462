#include "workingcopytesthome.h"

#include "workingcopy/contentfingerprint.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/filedatabasedocument.h"
#include "workingcopy/localfilestatus.h"
#include "connector/recordfields.h"

#include <fzfileinfo.h>

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

Q_DECLARE_METATYPE(LocalFileStatus)

namespace {

const char kTenant[] = "acme";
const char kStamp[] = "2024/03/05@14:07:09:GMT";

// A database with two downloaded drawings, written to disk.
void writeTwoEntries()
{
    FileDatabase database(kTenant);
    database.addFile("/projects/Plan.dwg", "V1", "prd-1", kStamp, "", "ACAD Drawing", "false");
    database.addFile("/projects/logo.png", "V2", "prd-2", kStamp, "", "ACAD Insert", "false");
}

} // namespace

class TestFileDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void locationIsPerTenant_data();
    void locationIsPerTenant();
    void firstWriteCreatesTheFile();
    void pathLookups_data();
    void pathLookups();
    void unknownPathChangesNothing();
    void localSaveMarksTheCopyModified();
    void changesAreFoundByContent_data();
    void changesAreFoundByContent();
    void platformsHashStandsOnlyForBytesNotChangedSince_data();
    void platformsHashStandsOnlyForBytesNotChangedSince();
    void downloadKeepsPlatformIdAndType();
    void removesEveryEntryOfAName();
    void foreignContentIsKept();
    void entriesAreWrittenInTheDatabasesOwnForm();
    void valuesSurviveTheRoundTrip_data();
    void valuesSurviveTheRoundTrip();
    void unreadableFileIsKeptAside_data();
    void unreadableFileIsKeptAside();
    void failedSaveLeavesTheOldFile_data();
    void failedSaveLeavesTheOldFile();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_databasePath;
};

void TestFileDatabase::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    useTestHome(m_home->path());
    m_databasePath = FileDatabase::locationFor(kTenant);
}

void TestFileDatabase::locationIsPerTenant_data()
{
    QTest::addColumn<QString>("tenant");
    QTest::addColumn<QString>("folder");

    QTest::newRow("named tenant") << "acme" << "/fzcachedir/FzxConnector/acme";
    QTest::newRow("empty tenant") << "" << "/fzcachedir/FzxConnector";
    QTest::newRow("tenant with separators stays inside") << "../../etc" << "/fzcachedir/FzxConnector/.._.._etc";
    QTest::newRow("tenant naming the parent") << ".." << "/fzcachedir/FzxConnector/_";
}

void TestFileDatabase::locationIsPerTenant()
{
    QFETCH(QString, tenant);
    QFETCH(QString, folder);

    const QString configRoot =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation).first();
    QVERIFY(configRoot.startsWith(m_home->path()));
    QVERIFY(!QFileInfo::exists(configRoot + folder));
    {
        const FileDatabase database(tenant);
        QCOMPARE(database.filePath(), configRoot + folder + "/filedb.xml");
        QVERIFY(QFileInfo(configRoot + folder).isDir());
    }
    QVERIFY(QFileInfo::exists(configRoot + folder + "/filedb.xml"));
}

void TestFileDatabase::firstWriteCreatesTheFile()
{
    QVERIFY(!QFileInfo::exists(m_databasePath));
    {
        FileDatabase database(kTenant);
        QCOMPARE(database.setUpdateStamp("/projects/a.dwg", kStamp), QString("-1"));
        QVERIFY(database.recordExchange("/projects/a.dwg", "", "prd-7", kStamp, "ACAD Drawing"));
        QVERIFY(!QFileInfo::exists(m_databasePath)); // written when the use ends
    }
    QCOMPARE(readAll(m_databasePath),
             QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n"
                        "<files>\n"
                        " <file path=\"/projects/a.dwg\" vaultisid=\"\" name=\"prd-7\""
                        " updatestamp=\"2024/03/05@14:07:09:GMT\" localdate=\"\""
                        " type=\"ACAD Drawing\" islocallyModified=\"false\""
                        " basestamp=\"2024/03/05@14:07:09:GMT\"/>\n"
                        "</files>\n"));
}

void TestFileDatabase::pathLookups_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("exactName");

    QTest::newRow("same path") << "/projects/Plan.dwg" << kStamp << "prd-1";
    QTest::newRow("other letter case") << "/PROJECTS/plan.DWG" << kStamp << "";
    QTest::newRow("backslashes after conversion")
        << FileDatabase::keyForPath("\\projects\\Plan.dwg") << kStamp << "prd-1";
    // Path-keyed operations take any form of the path; valueWhere only the key.
    QTest::newRow("backslashes unconverted") << "\\projects\\Plan.dwg" << kStamp << "";
    QTest::newRow("doubled separator and dot parts") << "/projects//old/../Plan.dwg" << kStamp
                                                     << "";
    QTest::newRow("unknown path") << "/projects/other.dwg" << "-1" << "";
}

void TestFileDatabase::pathLookups()
{
    QFETCH(QString, path);
    QFETCH(QString, stamp);
    QFETCH(QString, exactName);

    writeTwoEntries();
    FileDatabase database(kTenant);
    // Path-keyed operations ignore letter case; valueWhere compares exactly.
    QCOMPARE(database.updateStamp(path), stamp);
    QCOMPARE(database.isLocallyModified(path), stamp == "-1" ? QString("-1") : QString("false"));
    QCOMPARE(database.valueWhere("path", path, "name"), exactName);
}

void TestFileDatabase::unknownPathChangesNothing()
{
    writeTwoEntries();
    const QByteArray before = readAll(m_databasePath);
    {
        FileDatabase database(kTenant);
        QCOMPARE(database.setUpdateStamp("/projects/none.dwg", "x"), QString("-1"));
        QCOMPARE(database.setName("/projects/none.dwg", "x"), QString("-1"));
        QCOMPARE(database.setLocallyModified("/projects/none.dwg", "true"), QString("-1"));
        QVERIFY(!database.recordLocalSave("/projects/none.dwg"));
        QCOMPARE(database.setName("/projects/plan.dwg", "prd-9"), QString("0"));
        QCOMPARE(database.open(), true); // reloading drops the unsaved change
    }
    QCOMPARE(readAll(m_databasePath), before);
}

void TestFileDatabase::localSaveMarksTheCopyModified()
{
    writeTwoEntries();
    {
        FileDatabase database(kTenant);
        QVERIFY(database.recordLocalSave("/projects/Plan.dwg"));
    }
    // Another program reads the file itself, not what this process keeps of it.
    QVERIFY(readAll(m_databasePath)
                .contains("<file path=\"/projects/Plan.dwg\" vaultisid=\"V1\" name=\"prd-1\""
                          " updatestamp=\"\" localdate=\"\" type=\"ACAD Drawing\""
                          " islocallyModified=\"true\"/>"));
    const FileDatabase database(kTenant);
    QCOMPARE(database.updateStamp("/projects/Plan.dwg"), QString(""));
    QCOMPARE(database.isLocallyModified("/projects/Plan.dwg"), QString("true"));
    // Whatever the platform says, a file saved locally is modified locally.
    QCOMPARE(localFileStatus(database, "/projects/Plan.dwg", kStamp), LocalFileStatus::ModifiedLocally);
    QCOMPARE(localFileStatus(database, "/projects/Plan.dwg", ""), LocalFileStatus::ModifiedLocally);
}

void TestFileDatabase::changesAreFoundByContent_data()
{
    QTest::addColumn<QByteArray>("written");  // what the file holds afterwards
    QTest::addColumn<bool>("savedInHost");    // the host reported a save of it
    QTest::addColumn<LocalFileStatus>("status");
    QTest::addColumn<QString>("stampAfter");
    const QByteArray original("0123456789 deck");
    QTest::newRow("untouched") << QByteArray() << false << LocalFileStatus::Current << kStamp;
    QTest::newRow("same bytes saved again in the host")
        << original << true << LocalFileStatus::Current << kStamp;
    QTest::newRow("same bytes rewritten by another program")
        << original << false << LocalFileStatus::Current << kStamp;
    QTest::newRow("changed by another program, same size")
        << QByteArray("0123456789 DECK") << false << LocalFileStatus::ModifiedLocally << kStamp;
    QTest::newRow("changed by another program, longer")
        << QByteArray("0123456789 deck 2") << false << LocalFileStatus::ModifiedLocally
        << kStamp;
    QTest::newRow("changed and saved in the host")
        << QByteArray("0123456789 DECK") << true << LocalFileStatus::ModifiedLocally << "";
}

void TestFileDatabase::changesAreFoundByContent()
{
    QFETCH(QByteArray, written);
    QFETCH(bool, savedInHost);
    QFETCH(LocalFileStatus, status);
    QFETCH(QString, stampAfter);
    const QString path = m_home->filePath("work/deck.dwg");
    QVERIFY(QDir().mkpath(m_home->filePath("work")));
    auto write = [&path](const QByteArray &bytes, const QDateTime &time) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        // Written out first: a write after setting the time would set it again.
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
    };
    const QDateTime downloaded = QDateTime::currentDateTimeUtc().addSecs(-3600);
    write("0123456789 deck", downloaded);
    {
        FileDatabase database(kTenant);
        database.recordExchange(path, "V7", "prd-7", kStamp, "ACAD Drawing");
    }
    if (!written.isNull())
        write(written, downloaded.addSecs(60));
    if (savedInHost) {
        FileDatabase database(kTenant);
        QVERIFY(database.recordLocalSave(path));
    }
    const FileDatabase database(kTenant);
    QCOMPARE(localFileStatus(database, path, kStamp), status);
    QCOMPARE(database.hasLocalChanges(path), status == LocalFileStatus::ModifiedLocally);
    QCOMPARE(database.updateStamp(path), stampAfter);
    // A later check-in of the file makes it the platform's version again.
    FileDatabase exchanged(kTenant);
    exchanged.recordExchange(path, "V7", "prd-7", "2024/06/01@09:00:00:GMT", "ACAD Drawing");
    QCOMPARE(localFileStatus(exchanged, path, "2024/06/01@09:00:00:GMT"), LocalFileStatus::Current);
}

void TestFileDatabase::platformsHashStandsOnlyForBytesNotChangedSince_data()
{
    QTest::addColumn<int>("modifiedAfterSendingMs"); // when the file was last written
    QTest::addColumn<int>("sizeDifference");          // the platform's size less the file's
    QTest::addColumn<bool>("platformsHashTaken");
    QTest::newRow("written before the bytes were sent") << -60000 << 0 << true;
    QTest::newRow("written while they were sent") << 1000 << 0 << false;
    QTest::newRow("written as the sending began") << 0 << 0 << false;
    QTest::newRow("another size than the platform got") << -60000 << 1 << false;
}

void TestFileDatabase::platformsHashStandsOnlyForBytesNotChangedSince()
{
    QFETCH(int, modifiedAfterSendingMs);
    QFETCH(int, sizeDifference);
    QFETCH(bool, platformsHashTaken);
    const QString path = m_home->filePath("deck.dwg");
    const QByteArray bytes("0123456789 deck");
    const QDateTime sent = QDateTime::currentDateTimeUtc().addSecs(-600);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(sent.addMSecs(modifiedAfterSendingMs),
                                 QFileDevice::FileModificationTime));
    }
    // Another hash than the file's, to see which one is kept.
    const QByteArray platformsHash(64, 'a');
    const ContentFingerprint content = ContentFingerprint::hashedElsewhere(
        path, platformsHash, bytes.size() + sizeDifference, sent.toMSecsSinceEpoch());
    QCOMPARE(content.sha256, platformsHashTaken
                                 ? platformsHash
                                 : QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)
                                       .toHex());
    QCOMPARE(content.size, qint64(bytes.size()));
}

void TestFileDatabase::downloadKeepsPlatformIdAndType()
{
    writeTwoEntries();
    {
        FileDatabase database(kTenant);
        QVERIFY(database.recordLocalSave("/projects/Plan.dwg"));
        FzFileInfo downloaded;
        setRecordProperty(downloaded, "_LOCALDOWNLOADFOLDER", "/projects");
        setRecordProperty(downloaded, "filename", "Plan.dwg");
        setRecordProperty(downloaded, "name", "prd-1b");
        setRecordProperty(downloaded, "_filemodified", "2024/04/01@08:00:00:GMT");
        setRecordProperty(downloaded, "type", "ACAD Insert");
        recordDownloadedFile(database, downloaded);
        // A check-in of a new file records its platform id.
        QVERIFY(database.recordExchange("/projects/new.dwg", "V3", "prd-3", kStamp, "ACAD Drawing"));
        // A local save clears the stamp but not the version the local changes are based on.
        QVERIFY(database.recordLocalSave("/projects/new.dwg"));
    }
    const FileDatabase database(kTenant);
    QCOMPARE(database.entryValue("/projects/Plan.dwg", "vaultisid"), QString("V1"));
    QCOMPARE(database.entryValue("/projects/Plan.dwg", "type"), QString("ACAD Drawing"));
    QCOMPARE(database.entryValue("/projects/Plan.dwg", "name"), QString("prd-1b"));
    QCOMPARE(database.updateStamp("/projects/Plan.dwg"), QString("2024/04/01@08:00:00:GMT"));
    QCOMPARE(database.isLocallyModified("/projects/Plan.dwg"), QString("false"));
    QCOMPARE(database.entryValue("/projects/new.dwg", "vaultisid"), QString("V3"));
    QCOMPARE(database.updateStamp("/projects/new.dwg"), QString(""));
    QCOMPARE(database.entryValue("/projects/new.dwg", "basestamp"), QString(kStamp));
    QCOMPARE(localFileStatus(database, "/projects/Plan.dwg", "2024/04/01@08:00:00:GMT"),
             LocalFileStatus::Current);
}

void TestFileDatabase::removesEveryEntryOfAName()
{
    {
        FileDatabase database(kTenant);
        database.addFile("/a/1.dwg", "", "twin", "", "", "ACAD Drawing", "false");
        database.addFile("/b/1.dwg", "", "twin", "", "", "ACAD Drawing", "false");
        database.addFile("/c/2.dwg", "", "other", "", "", "ACAD Drawing", "false");
        database.addFile("/d/1.dwg", "", "twin", "", "", "ACAD Drawing", "false");
        database.addFile("/e/1.dwg", "", "Twin", "", "", "ACAD Drawing", "false");
        database.addFile("/f/3.dwg", "", "third", "", "", "ACAD Drawing", "false");
        database.addFile("/g/4.dwg", "", "fourth", "", "", "ACAD Drawing", "false");
        // Looked up by path before and after entries before them went: each path still finds
        // its own entry, and the removed ones none.
        QCOMPARE(database.entryValue("/E/1.dwg", "name"), QString("Twin"));
        QCOMPARE(database.removeFilesNamed("twin"), 3);
        QCOMPARE(database.entryValue("/c/2.dwg", "name"), QString("other"));
        QCOMPARE(database.entryValue("/g/4.dwg", "name"), QString("fourth"));
        QCOMPARE(database.setName("/d/1.dwg", "back"), QString("-1"));
        // Entries added after the look-ups are found; of two entries of one path, the first.
        database.addFile("/h/5.dwg", "", "fifth", "", "", "ACAD Drawing", "false");
        database.addFile("/C/2.dwg", "", "second c", "", "", "ACAD Drawing", "false");
        QCOMPARE(database.entryValue("/h/5.dwg", "name"), QString("fifth"));
        QCOMPARE(database.entryValue("/c/2.dwg", "name"), QString("other"));
        QCOMPARE(database.entryValue("/x/9.dwg", "name"), QString("-1"));
    }
    const FileDatabase database(kTenant);
    QCOMPARE(database.valueWhere("name", "twin", "path"), QString());
    QCOMPARE(database.valueWhere("name", "other", "path"), QString("/c/2.dwg"));
    QCOMPARE(database.valueWhere("name", "Twin", "path"), QString("/e/1.dwg"));
}

void TestFileDatabase::foreignContentIsKept()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_databasePath).path()));
    QVERIFY(writeAll(m_databasePath,
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<files>\n"
                     "  <file path=\"/a.dwg\" name=\"A\" note=\"&quot;x&amp;y&#10;z&quot;\"/>\n"
                     "  <group><file path=\"/deep.dwg\" name=\"deep\"/></group>\n"
                     "  <!-- kept -->\n"
                     "  <file path=\"/b.dwg\" name=\"B\"/>\n"
                     "</files>\n"));
    {
        FileDatabase database(kTenant);
        QCOMPARE(database.valueWhere("name", "deep", "path"), QString("/deep.dwg"));
        QCOMPARE(database.valueWhere("path", "/b.dwg", "name"), QString("B"));
        QCOMPARE(database.setName("/a.dwg", "A2"), QString("0"));
    }
    QCOMPARE(readAll(m_databasePath),
             QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n"
                        "<files>\n"
                        " <file path=\"/a.dwg\" name=\"A2\" note=\"&quot;x&amp;y&#10;z&quot;\"/>\n"
                        " <group>\n"
                        "  <file path=\"/deep.dwg\" name=\"deep\"/>\n"
                        " </group>\n"
                        " <!-- kept -->\n"
                        " <file path=\"/b.dwg\" name=\"B\"/>\n"
                        "</files>\n"));
}

void TestFileDatabase::entriesAreWrittenInTheDatabasesOwnForm()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_databasePath).path()));
    QVERIFY(writeAll(m_databasePath,
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<files>\n"
                     "  <file path='/a.dwg' name=\"A\"/>\n"
                     "  <file  path=\"/b.dwg\" name = \"B\" />\n"
                     "  <file path=\"/c.dwg\" name=\"C&#x41;\"/>\n"
                     "  <file path=\"/d.dwg\" name=\"x>y\"/>\n"
                     "  <file path=\"/e.dwg\" name=\"E\"></file>\n"
                     "  <file path=\"/f.dwg\" name=\"F\"/>\n"
                     "  <file\tpath=\"/g.dwg\" name=\"G\"/>\n"
                     "</files>\n"));
    {
        FileDatabase database(kTenant);
        QCOMPARE(database.setName("/f.dwg", "F2"), QString("0"));
    }
    QCOMPARE(readAll(m_databasePath),
             QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n"
                        "<files>\n"
                        " <file path=\"/a.dwg\" name=\"A\"/>\n"
                        " <file path=\"/b.dwg\" name=\"B\"/>\n"
                        " <file path=\"/c.dwg\" name=\"CA\"/>\n"
                        " <file path=\"/d.dwg\" name=\"x&gt;y\"/>\n"
                        " <file path=\"/e.dwg\" name=\"E\"/>\n"
                        " <file path=\"/f.dwg\" name=\"F2\"/>\n"
                        " <file path=\"/g.dwg\" name=\"G\"/>\n"
                        "</files>\n"));
}

void TestFileDatabase::valuesSurviveTheRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("readBack");

    const QString markup = "<a&b> \"quoted\" 'single'";
    QTest::newRow("markup characters") << markup << markup;
    const QString layout = "tab\tline\nreturn\r";
    QTest::newRow("tabs and line breaks") << layout << layout;
    const QString wide = QString::fromUtf8("Pläne/Ω/\xF0\x9F\x99\x82.dwg");
    QTest::newRow("accents, Greek and an emoji") << wide << wide;
    QTest::newRow("characters XML cannot carry")
        << QString("a") + QChar(0x01) + QChar(0xD800) + "b"
        << QString("a") + QChar(0xFFFD) + QChar(0xFFFD) + "b";
}

void TestFileDatabase::valuesSurviveTheRoundTrip()
{
    QFETCH(QString, value);
    QFETCH(QString, readBack);

    {
        FileDatabase database(kTenant);
        database.addFile("/projects/" + value, "", value, "", "", "ACAD Drawing", "false");
    }
    // As read from the disk, not from what the process keeps of the database.
    FileDatabaseDocument written;
    QVERIFY(written.parse(readAll(m_databasePath), nullptr));
    QCOMPARE(written.root().children.front().attribute("path"), "/projects/" + readBack);
    QCOMPARE(written.root().children.front().attribute("name"), readBack);
}

void TestFileDatabase::unreadableFileIsKeptAside_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("not XML") << QByteArray("\x00\x01garbage", 9);
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("cut off while written")
        << QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n<files>\n <file path=\"/a");
    QTest::newRow("another root") << QByteArray("<settings><file path=\"/a\"/></settings>");
}

void TestFileDatabase::unreadableFileIsKeptAside()
{
    QFETCH(QByteArray, content);

    const QString folder = QFileInfo(m_databasePath).path();
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeAll(m_databasePath, content));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not a readable file database.*kept as"));
    QStringList told;
    FileDatabase::setUserNotifier([&told](const QString &text) { told.append(text); });
    {
        FileDatabase database(kTenant);
        QCOMPARE(database.updateStamp("/a"), QString("-1"));
        database.addFile("/fresh.dwg", "", "fresh", "", "", "ACAD Drawing", "false");
    }
    FileDatabase::setUserNotifier(nullptr);
    const QStringList aside =
        QDir(folder).entryList({"filedb.xml.unreadable-*"}, QDir::Files | QDir::Hidden);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readAll(folder + "/" + aside.first()), content);
    // The user hears once where the old file went.
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().contains(folder + "/" + aside.first()), qPrintable(told.first()));

    const FileDatabase database(kTenant);
    QCOMPARE(database.valueWhere("path", "/fresh.dwg", "name"), QString("fresh"));
}

void TestFileDatabase::failedSaveLeavesTheOldFile_data()
{
    QTest::addColumn<QString>("cause");

    QTest::newRow("read-only folder") << "read-only";
    QTest::newRow("disk full") << "disk full";
}

void TestFileDatabase::failedSaveLeavesTheOldFile()
{
    QFETCH(QString, cause);

    writeTwoEntries();
    const QByteArray before = readAll(m_databasePath);
    const QString folder = QFileInfo(m_databasePath).path();

    FileDatabase database(kTenant);
    for (int i = 0; i < 200; ++i)
        database.addFile(QString("/projects/%1.dwg").arg(i), "", "n", kStamp, "", "ACAD Drawing", "false");

    bool saved = true;
    if (cause == "read-only") {
        if (::geteuid() == 0)
            QSKIP("folder permissions do not bind the superuser");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        saved = database.save();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        // Writes beyond the file size limit fail as they do on a full disk.
        rlimit original{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &original), 0);
        rlimit limited = original;
        limited.rlim_cur = rlim_t(before.size() + 100);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        saved = database.save();
        ::setrlimit(RLIMIT_FSIZE, &original);
        std::signal(SIGXFSZ, previousHandler);
    }
    QVERIFY(!saved);
    QVERIFY(!database.errorString().isEmpty());
    QCOMPARE(readAll(m_databasePath), before);
    // No half-written temporary file is left behind.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList({"filedb.xml", "filedb.xml.lock"}));
    // The changes are still held and reach the file once writing works again.
    QVERIFY(database.save());
    QCOMPARE(database.valueWhere("path", "/projects/199.dwg", "name"), QString("n"));
    QVERIFY(readAll(m_databasePath).contains("/projects/199.dwg"));
}

QTEST_GUILESS_MAIN(TestFileDatabase)
#include "tst_filedatabase.moc"
