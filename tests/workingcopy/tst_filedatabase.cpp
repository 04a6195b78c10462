#include "workingcopytesthome.h"

#include "otherlockholder.h"

#include "workingcopy/downloadfolder.h"
#include "workingcopy/localfilestatus.h"
#include "connector/recordfields.h"

#include <fzfileinfo.h>

#include <QTextCodec>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(LocalFileStatus)

namespace {

const char kTenant[] = "acme";
const char kStamp[] = "2024/03/05@14:07:09:GMT";

// The whole database file as the database writes it, around the given entry lines.
QByteArray databaseFile(const QByteArray &entries)
{
    return "<?xml version='1.0' encoding='UTF-8'?>\n<files>\n" + entries + "</files>\n";
}

// Writes bytes to path and, when a time is given, dates the file at it.
void writeFile(const QString &path, const QByteArray &bytes, const QDateTime &time = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
    // Written out first: a write after setting the time would set it again.
    QVERIFY(file.flush());
    if (time.isValid())
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class TestFileDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        useTestHome(m_home->path());
        m_databasePath = FileDatabase::locationFor(kTenant);
        m_folder = QFileInfo(m_databasePath).path();
        // Where another program may have left a file before the database is first used.
        QVERIFY(QDir().mkpath(m_folder));
    }

    void locationIsPerTenant()
    {
        const QString connectorFolder =
            QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation).first()
            + "/fzcachedir/FzxConnector/";
        // A tenant's name never leads out of the connector's folder.
        const QList<QPair<QString, QString>> folders{
            {"acme", "acme"}, {"../../etc", ".._.._etc"}, {"..", "_"}};
        for (const auto &[tenant, folder] : folders) {
            // Written when the use ends.
            QCOMPARE(FileDatabase(tenant).filePath(), connectorFolder + folder + "/filedb.xml");
            QVERIFY(QFileInfo::exists(connectorFolder + folder + "/filedb.xml"));
        }
    }

    void exchangesAreWrittenForOtherPrograms()
    {
        {
            FileDatabase database(kTenant);
            database.addFile("/projects/Plan.dwg", "V1", "prd-1", kStamp, "", "ACAD Drawing",
                             "false");
            QVERIFY(database.recordLocalSave("/projects/Plan.dwg"));
            // A download ends the local changes and keeps the entry's platform id and type.
            FzFileInfo downloaded;
            setRecordProperty(downloaded, "_LOCALDOWNLOADFOLDER", "/projects");
            setRecordProperty(downloaded, "filename", "Plan.dwg");
            setRecordProperty(downloaded, "name", "prd-1b");
            setRecordProperty(downloaded, "_filemodified", "2024/04/01@08:00:00:GMT");
            setRecordProperty(downloaded, "type", "ACAD Insert");
            recordDownloadedFile(database, downloaded, QDateTime::currentMSecsSinceEpoch());
            // A check-in of a new file adds its entry; a local save since clears its stamp but not
            // the version the local changes are based on.
            QVERIFY(database.recordExchange("/projects/new.dwg", "V3", "prd-3", kStamp,
                                            "ACAD Drawing"));
            QVERIFY(database.recordLocalSave("/projects/new.dwg"));
            // A path without an entry gets none.
            QCOMPARE(database.setName("/projects/none.dwg", "x"), QString("-1"));
            QVERIFY(!QFileInfo::exists(m_databasePath)); // written when the use ends
        }
        QCOMPARE(readAll(m_databasePath), databaseFile(
            " <file path=\"/projects/Plan.dwg\" vaultisid=\"V1\" name=\"prd-1b\""
            " updatestamp=\"2024/04/01@08:00:00:GMT\" localdate=\"\""
            " type=\"ACAD Drawing\" islocallyModified=\"false\""
            " basestamp=\"2024/04/01@08:00:00:GMT\"/>\n"
            " <file path=\"/projects/new.dwg\" vaultisid=\"V3\" name=\"prd-3\""
            " updatestamp=\"\" localdate=\"\" type=\"ACAD Drawing\""
            " islocallyModified=\"true\" basestamp=\"2024/03/05@14:07:09:GMT\"/>\n"));
    }

    // A database kept through several writes writes each change made between them, to a file
    // and to the entry next to it.
    void changesBetweenWritesAreWrittenToo()
    {
        FileDatabase database(kTenant);
        database.addFile("/projects/a.dwg", "V1", "prd-1", kStamp, "", "ACAD Drawing", "false");
        database.addFile("/projects/b.dwg", "V2", "prd-2", kStamp, "", "ACAD Drawing", "false");
        QVERIFY(database.save());
        QStringList written{attributeOnDisk(kTenant, "name").join(' ')};
        QCOMPARE(database.setName("/projects/a.dwg", "prd-1b"), QString("0"));
        QVERIFY(database.save());
        written << attributeOnDisk(kTenant, "name").join(' ');
        QCOMPARE(database.setName("/projects/b.dwg", "prd-2b"), QString("0"));
        QVERIFY(database.save());
        written << attributeOnDisk(kTenant, "name").join(' ');
        QCOMPARE(written, (QStringList{"prd-1 prd-2", "prd-1b prd-2", "prd-1b prd-2b"}));
    }

    void changesAreFoundByContent_data()
    {
        QTest::addColumn<QByteArray>("written");  // what the file holds afterwards
        QTest::addColumn<bool>("savedInHost");    // the host reported a save of it
        QTest::addColumn<LocalFileStatus>("status");
        QTest::addColumn<QString>("stampAfter");
        const QByteArray original("0123456789 deck");
        QTest::newRow("untouched") << QByteArray() << false << LocalFileStatus::Current << kStamp;
        QTest::newRow("same bytes rewritten by another program")
            << original << false << LocalFileStatus::Current << kStamp;
        QTest::newRow("changed by another program, same size")
            << QByteArray("0123456789 DECK") << false << LocalFileStatus::ModifiedLocally << kStamp;
        QTest::newRow("changed and saved in the host")
            << QByteArray("0123456789 DECK") << true << LocalFileStatus::ModifiedLocally << "";
    }

    void changesAreFoundByContent()
    {
        QFETCH(QByteArray, written);
        QFETCH(bool, savedInHost);
        QFETCH(LocalFileStatus, status);
        const QString path = m_home->filePath("deck.dwg");
        const QDateTime downloaded = QDateTime::currentDateTimeUtc().addSecs(-3600);
        writeFile(path, "0123456789 deck", downloaded);
        FileDatabase(kTenant).recordExchange(path, "V7", "prd-7", kStamp, "ACAD Drawing");
        if (!written.isNull())
            writeFile(path, written, downloaded.addSecs(60));
        if (savedInHost)
            QVERIFY(FileDatabase(kTenant).recordLocalSave(path));
        const FileDatabase database(kTenant);
        QCOMPARE(localFileStatus(database, path, kStamp), status);
        QCOMPARE(database.hasLocalChanges(path), status == LocalFileStatus::ModifiedLocally);
        QTEST(database.updateStamp(path), "stampAfter");
        // A later check-in of the file makes it the platform's version again.
        FileDatabase exchanged(kTenant);
        const char later[] = "2024/06/01@09:00:00:GMT";
        exchanged.recordExchange(path, "V7", "prd-7", later, "ACAD Drawing");
        QCOMPARE(localFileStatus(exchanged, path, later), LocalFileStatus::Current);
    }

    // A check-in records the hash the platform computed of the bytes it received, unless the
    // file was written again while they were sent: a change made then must still show as one.
    void platformsHashStandsOnlyForBytesNotChangedSince_data()
    {
        QTest::addColumn<int>("modifiedAfterSendingMs"); // when the file was last written
        QTest::addColumn<int>("sizeDifference");          // the platform's size less the file's
        QTest::addColumn<bool>("platformsHashTaken");
        QTest::newRow("written before the bytes were sent") << -60000 << 0 << true;
        QTest::newRow("written while they were sent") << 1000 << 0 << false;
        QTest::newRow("written in the millisecond the sending began") << 0 << 0 << false;
        QTest::newRow("another size than the platform got") << -60000 << 1 << false;
    }

    void platformsHashStandsOnlyForBytesNotChangedSince()
    {
        QFETCH(int, modifiedAfterSendingMs);
        QFETCH(int, sizeDifference);
        QFETCH(bool, platformsHashTaken);
        const QString path = m_home->filePath("deck.dwg");
        const QByteArray bytes("0123456789 deck");
        const QDateTime sent = QDateTime::currentDateTimeUtc().addSecs(-600);
        writeFile(path, bytes, sent.addMSecs(modifiedAfterSendingMs));
        // Another hash than the file's, to see which one is kept.
        const QByteArray platformsHash(64, 'a');
        const ContentFingerprint content = ContentFingerprint::hashedElsewhere(
            path, platformsHash, bytes.size() + sizeDifference, sent.toMSecsSinceEpoch());
        const QByteArray filesHash =
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
        QCOMPARE(content.sha256, platformsHashTaken ? platformsHash : filesHash);
        QCOMPARE(content.size, qint64(bytes.size()));
    }

    void removesEveryEntryOfAName()
    {
        {
            FileDatabase database(kTenant);
            const QStringList entries{"/a/1.dwg twin",  "/b/1.dwg twin",  "/c/2.dwg other",
                                      "/d/1.dwg twin",  "/e/1.dwg Twin",  "/f/3.dwg third",
                                      "/g/4.dwg fourth"};
            for (const QString &entry : entries) {
                database.addFile(entry.section(' ', 0, 0), "", entry.section(' ', 1), "", "",
                                 "ACAD Drawing", "false");
            }
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
        QCOMPARE(attributeOnDisk(kTenant, "name"),
                 QStringList({"other", "Twin", "third", "fourth", "fifth", "second c"}));
    }

    void rewrittenInItsOwnForm()
    {
        // Other programs' attributes and elements are kept; only an entry that was read exactly as
        // the database writes it may be copied as read.
        writeFile(m_databasePath, databaseFile(
            "  <file path=\"/a.dwg\" name=\"A\" note=\"&quot;x&#10;z\"/>\n"
            "  <file  path=\"/b.dwg\" name = 'B' />\n"
            "  <group><file path=\"/deep.dwg\" name=\"deep\"/></group>\n"
            "  <file path=\"/d.dwg\" name=\"x>y&#x41;\"></file>\n"));
        {
            FileDatabase database(kTenant);
            // valueWhere looks at every depth and past other content.
            QCOMPARE(database.valueWhere("name", "deep", "path"), QString("/deep.dwg"));
            QCOMPARE(database.valueWhere("path", "/b.dwg", "name"), QString("B"));
            QCOMPARE(database.setName("/a.dwg", "A2"), QString("0"));
        }
        QCOMPARE(readAll(m_databasePath),
                 databaseFile(" <file path=\"/a.dwg\" name=\"A2\" note=\"&quot;x&#10;z\"/>\n"
                              " <file path=\"/b.dwg\" name=\"B\"/>\n"
                              " <group>\n"
                              "  <file path=\"/deep.dwg\" name=\"deep\"/>\n"
                              " </group>\n"
                              " <file path=\"/d.dwg\" name=\"x&gt;yA\"/>\n"));
    }

    // What another program wrote after the entries (notes, instructions, character data) is
    // written back as it stood.
    void otherProgramsNotesAreKept()
    {
        const QByteArray kept("<?xml version='1.0' encoding='UTF-8'?>\n<files>\n"
                              " <file path=\"/a.dwg\" name=\"A\"/>\n"
                              " <!-- synced by the site's backup -->\n"
                              " <?site-tool pass=\"2\"?>\n"
                              " <?stamp?>\n"
                              " <note><![CDATA[<kept> & as is]]></note>\n"
                              " <note>a &lt; b</note>\n"
                              "</files>\n");
        writeFile(m_databasePath, kept);
        {
            FileDatabase database(kTenant);
            QCOMPARE(database.setName("/a.dwg", "A2"), QString("0"));
        }
        QByteArray expected = kept;
        expected.replace("name=\"A\"", "name=\"A2\"");
        QCOMPARE(readAll(m_databasePath), expected);
    }

    void valuesSurviveTheRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("readBack");

        const QString markup = "<a&b> \"quoted\" 'single'";
        QTest::newRow("markup characters") << markup << markup;
        const QString wide = QString::fromUtf8("Pläne/Ω/\xF0\x9F\x98\x80.dwg");
        QTest::newRow("accents, Greek and an emoji") << wide << wide;
        // A control character, a lone high and a lone low surrogate, the two noncharacters
        // at the end of the plane.
        QTest::newRow("characters XML cannot carry")
            << QString("a") + QChar(0x01) + QChar(0xD800) + "x" + QChar(0xDC00) + QChar(0xFFFE)
                   + QChar(0xFFFF) + "b"
            << QString("a") + QChar(0xFFFD) + QChar(0xFFFD) + "x" + QChar(0xFFFD) + QChar(0xFFFD)
                   + QChar(0xFFFD) + "b";
        // A stray low half after a character of three bytes, and a high half that ends the text.
        QTest::newRow("stray halves after an ideograph and at the end")
            << QString(QChar(0x8A2D)) + QChar(0xDC00) + "x" + QChar(0xD800)
            << QString(QChar(0x8A2D)) + QChar(0xFFFD) + "x" + QChar(0xFFFD);
        const QString lastCarried = QString("a") + QChar(0xFFFC) + QChar(0xFFFD) + "b";
        QTest::newRow("the last characters XML carries") << lastCarried << lastCarried;
    }

    void valuesSurviveTheRoundTrip()
    {
        QFETCH(QString, value);
        QFETCH(QString, readBack);

        FileDatabase(kTenant).addFile("/projects/" + value, "", value, "", "", "ACAD Drawing",
                                      "false");
        QCOMPARE(attributeOnDisk(kTenant, "path"), QStringList("/projects/" + readBack));
        QCOMPARE(attributeOnDisk(kTenant, "name"), QStringList(readBack));
        // Other programs read the file too: it holds no character XML forbids.
        const QString onDisk = QString::fromUtf8(readAll(m_databasePath));
        QVERIFY(!onDisk.contains(QChar(0xFFFE)) && !onDisk.contains(QChar(0xFFFF)));
    }

    void pathsInAnyScriptAreFoundAgain_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("utf8"); // the path as the file must hold it
        // Three-byte characters: Hangul, CJK ideographs and the euro sign.
        QTest::newRow("Hangul and CJK folders")
            << QStringLiteral(u"/projects/\uB3C4\uBA74/\u8A2D\u8A08.dwg")
            << QByteArray("/projects/\xEB\x8F\x84\xEB\xA9\xB4/\xE8\xA8\xAD\xE8\xA8\x88.dwg");
        QTest::newRow("euro sign") << QStringLiteral(u"/costs/\u20AC 100.dwg")
                                   << QByteArray("/costs/\xE2\x82\xAC 100.dwg");
        QTest::newRow("the last Hangul syllable and a kana")
            << QStringLiteral(u"/x/\uD7A3\u3042.dwg")
            << QByteArray("/x/\xED\x9E\xA3\xE3\x81\x82.dwg");
        // Two bytes (é) and four bytes (an emoji, a surrogate pair in the path).
        QTest::newRow("accent and emoji")
            << QStringLiteral(u"/caf\u00E9/\U0001F600.dwg")
            << QByteArray("/caf\xC3\xA9/\xF0\x9F\x98\x80.dwg");
        QTest::newRow("all together")
            << QStringLiteral(u"/\uB3C4\uBA74 \u8A2D\u8A08 \u20AC \u00E9 \U0001F600/plan.dwg")
            << QByteArray("/\xEB\x8F\x84\xEB\xA9\xB4 \xE8\xA8\xAD\xE8\xA8\x88 \xE2\x82\xAC"
                          " \xC3\xA9 \xF0\x9F\x98\x80/plan.dwg");
    }

    // A drawing in a folder named in Korean, Chinese or with a currency sign is downloaded,
    // then the CAD application starts again: the file must still be known (its status and
    // lock come from this entry), and other programs reading the file must see the same path.
    void pathsInAnyScriptAreFoundAgain()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, utf8);
        // The test's own spelling of the path, in its two forms, agree.
        QCOMPARE(path.toUtf8(), utf8);
        FileDatabase(kTenant).addFile(path, "V1", "prd-1", kStamp, "", "ACAD Drawing", "false");

        const FileDatabase fresh(kTenant);
        QVERIFY(fresh.hasEntry(path));
        QCOMPARE(fresh.paths(), QStringList(path));
        QCOMPARE(fresh.entryValue(path, "name"), QString("prd-1"));
        // The next start of the CAD application parses the file itself (this process keeps
        // what it wrote last).
        QCOMPARE(attributeOnDisk(kTenant, "path"), QStringList(path));

        const QByteArray bytes = readAll(m_databasePath);
        QCOMPARE(bytes, databaseFile(" <file path=\"" + utf8 + "\" vaultisid=\"V1\" name=\"prd-1\""
                                     " updatestamp=\"" + kStamp + "\" localdate=\"\""
                                     " type=\"ACAD Drawing\" islocallyModified=\"false\"/>\n"));
        QTextCodec::ConverterState state;
        const QString decoded = QTextCodec::codecForName("UTF-8")->toUnicode(
            bytes.constData(), bytes.size(), &state);
        QCOMPARE(state.invalidChars, 0);
        QVERIFY(decoded.contains("path=\"" + path + "\""));
    }

    void unreadableFileIsKeptAside()
    {
        const QByteArray content("<?xml version='1.0' encoding='UTF-8'?>\n<files>\n"
                                 " <file path=\"/a");
        writeFile(m_databasePath, content);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("not a readable file database.*kept as"));
        QStringList told;
        FileDatabase::setUserNotifier([&told](const QString &text) { told.append(text); });
        {
            FileDatabase database(kTenant);
            QCOMPARE(database.updateStamp("/a"), QString("-1"));
            database.addFile("/fresh.dwg", "", "fresh", "", "", "ACAD Drawing", "false");
        }
        FileDatabase::setUserNotifier(nullptr);
        const QStringList aside =
            QDir(m_folder).entryList({"filedb.xml.unreadable-*"}, QDir::Files | QDir::Hidden);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readAll(m_folder + "/" + aside.first()), content);
        // The user hears once where the old file went.
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(m_folder + "/" + aside.first()), qPrintable(told.first()));
        QCOMPARE(attributeOnDisk(kTenant, "path"), QStringList("/fresh.dwg"));
    }

    // Something in the database's place that cannot be opened (here a folder) is never
    // written over, and the save says why.
    void whatCannotBeOpenedIsNeverWrittenOver()
    {
        QVERIFY(QDir().mkpath(m_databasePath));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot read"));
        FileDatabase database(kTenant);
        database.addFile("/fresh.dwg", "", "fresh", "", "", "ACAD Drawing", "false");
        QVERIFY(!database.save());
        QVERIFY2(database.errorString().contains("could not be read and is not overwritten"),
                 qPrintable(database.errorString()));
        QVERIFY(QFileInfo(m_databasePath).isDir());
        QVERIFY(QDir().rmdir(m_databasePath));
    }

    void failedSaveLeavesTheOldFile()
    {
        FileDatabase(kTenant).addFile("/projects/Plan.dwg", "V1", "prd-1", kStamp, "",
                                      "ACAD Drawing", "false");
        const QByteArray before = readAll(m_databasePath);
        FileDatabase database(kTenant);
        for (int i = 0; i < 200; ++i) {
            database.addFile(QString("/projects/%1.dwg").arg(i), "", "n", kStamp, "",
                             "ACAD Drawing", "false");
        }
        // Writes beyond the file size limit fail as they do on a full disk.
        rlimit original{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &original), 0);
        rlimit limited = original;
        limited.rlim_cur = rlim_t(before.size() + 100);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool saved = database.save();
        ::setrlimit(RLIMIT_FSIZE, &original);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!saved);
        QVERIFY(!database.errorString().isEmpty());
        QCOMPARE(readAll(m_databasePath), before);
        // No half-written temporary file is left behind.
        QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"filedb.xml", "filedb.xml.lock"}));
        // The changes are still held and reach the file once writing works again.
        QVERIFY(database.save());
        QVERIFY(readAll(m_databasePath).contains("/projects/199.dwg"));
    }

    // While another program holds the database, this one works on an empty copy that is never
    // written; once that program is gone (killed, not even reaped yet) the database is there.
    void aDatabaseInUseElsewhereIsNeverWrittenOver()
    {
        FileDatabase(kTenant).addFile("/projects/Plan.dwg", "V1", "prd-1", kStamp, "",
                                      "ACAD Drawing", "false");
        const QByteArray before = readAll(m_databasePath);
        OtherLockHolder other(m_databasePath + ".lock");
        QVERIFY(other.holds());
        {
            FileDatabase busy(kTenant);
            QVERIFY(!busy.isAvailable());
            QVERIFY2(busy.errorString().contains("in use"), qPrintable(busy.errorString()));
            busy.addFile("/projects/Other.dwg", "", "prd-2", kStamp, "", "ACAD Drawing", "false");
            QVERIFY(!busy.save());
        }
        QCOMPARE(readAll(m_databasePath), before);

        QVERIFY(other.kill());
        const FileDatabase free(kTenant);
        QVERIFY(free.isAvailable());
        QCOMPARE(free.paths(), QStringList{"/projects/Plan.dwg"});
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_databasePath;
    QString m_folder; // the database's folder
};

QTEST_GUILESS_MAIN(TestFileDatabase)
#include "tst_filedatabase.moc"
