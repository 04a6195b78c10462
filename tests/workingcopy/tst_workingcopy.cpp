// The tenant's file database as other programs share it: where it lies, what it writes, what
// it keeps of theirs, what it does with a file it cannot read or write, uses nested in one
// thread and made from threads and processes at once. As a service of the host's thread: its
// snapshot follows what another program writes without being asked, reads never wait for a
// program that holds the file, and changes are made on another thread and land on disk as every
// other use writes them. Its own reader of the file against the general one: what it reads, it
// reads as the general reader does, everything else it leaves to the general reader, never
// accepting a document that is not well-formed. And the local copies it knows: their status
// against the platform's, where downloads go, the requests that name them; and searching them
// while offline, found by file name (and a name pattern by the platform name too), drawings
// unless inserted files are asked for, each hit with its platform name, title, type and path.

#include "workingcopytesthome.h"

#include "otherlockholder.h"

#include "connector/fileversion.h"
#include "connector/platformevent.h"
#include "connector/recordlist.h"
#include "connector/titleblockmapping.h"
#include "workingcopy/localcopyrequest.h"
#include "workingcopy/offlineplatform.h"

#include "workingcopy/downloadfolder.h"
#include "workingcopy/elementonlyxmlreader.h"
#include "workingcopy/localfilestatus.h"
#include "workingcopy/workingcopy.h"
#include "workingcopy/xmltreereader.h"
#include "connector/recordfields.h"

#include <fzfileinfo.h>

#include <QSignalSpy>
#include <QTextCodec>
#include <QtTest>

#include <csignal>
#include <thread>

#include <sys/resource.h>

Q_DECLARE_METATYPE(LocalFileStatus)

namespace {

const char kTenant[] = "acme";
const char kStamp[] = "2024/03/05@14:07:09:GMT";
const char kNewerStamp[] = "2024/06/01@09:00:00:GMT";
const int kUsesEach = 200;

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

// Every node with its kind, name, value and attributes, children indented below it.
QString dump(const std::vector<XmlNode> &nodes, int depth = 0)
{
    QString out;
    for (const XmlNode &node : nodes) {
        out += QString(depth, ' ') + QString::number(node.kind) + ' ' + node.name + '|'
            + node.value;
        for (const auto &attribute : node.attributes())
            out += ' ' + attribute.first + "=[" + attribute.second + ']';
        out += '\n' + dump(node.children, depth + 1);
    }
    return out;
}

QStringList namesIn(WorkingCopy &copy)
{
    const std::unique_ptr<FileDatabase> database = copy.snapshot();
    QStringList names;
    for (const QString &path : database->paths())
        names.append(database->entryValue(path, "name"));
    return names;
}
FzFileInfo *addResult(RecordList &records, const QString &title)
{
    auto record = std::make_unique<FzFileInfo>();
    setRecordProperty(*record, "title", title);
    return records.add(std::move(record));
}

// The given fields of a request, separated by spaces; "" for no request.
QString fields(const FzFileInfo *request, std::initializer_list<const char *> keys)
{
    if (!request)
        return QString();
    QStringList values;
    for (const char *key : keys)
        values.append(recordProperty(*request, key));
    return values.join(' ');
}

} // namespace

class TestWorkingCopy : public QObject
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
        for (const auto &[tenant, folder] :
             {std::pair{"acme", "acme"}, {"../../etc", ".._.._etc"}, {"..", "_"}}) {
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
        for (const auto &[path, name] :
             {std::pair{"/projects/a.dwg", "prd-1b"}, {"/projects/b.dwg", "prd-2b"}}) {
            QCOMPARE(database.setName(path, name), QString("0"));
            QVERIFY(database.save());
            written << attributeOnDisk(kTenant, "name").join(' ');
        }
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
        exchanged.recordExchange(path, "V7", "prd-7", kNewerStamp, "ACAD Drawing");
        QCOMPARE(localFileStatus(exchanged, path, kNewerStamp), LocalFileStatus::Current);
    }

    // A check-in records the hash the platform computed of the bytes it received, unless the
    // file was written again while they were sent: a change made then must still show as one.
    void platformsHashStandsOnlyForBytesNotChangedSince()
    {
        const QString path = m_home->filePath("deck.dwg");
        const QByteArray bytes("0123456789 deck");
        const QByteArray filesHash =
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
        // Another hash than the file's, to see which one is kept.
        const QByteArray platformsHash(64, 'a');
        const QDateTime sent = QDateTime::currentDateTimeUtc().addSecs(-600);
        QStringList kept;
        // Written before the bytes were sent, while they were sent, in the millisecond the
        // sending began; a file of another size than the platform got.
        for (const auto &[modifiedAfterSendingMs, sizeDifference] :
             {std::pair{-60000, 0}, {1000, 0}, {0, 0}, {-60000, 1}}) {
            writeFile(path, bytes, sent.addMSecs(modifiedAfterSendingMs));
            const ContentFingerprint content = ContentFingerprint::hashedElsewhere(
                path, platformsHash, bytes.size() + sizeDifference, sent.toMSecsSinceEpoch());
            kept << QString("%1, %2 bytes")
                        .arg(content.sha256 == platformsHash ? "the platform's"
                                 : content.sha256 == filesHash ? "the file's"
                                                               : "another")
                        .arg(content.size);
        }
        QCOMPARE(kept, (QStringList{"the platform's, 15 bytes", "the file's, 15 bytes",
                                    "the file's, 15 bytes", "the file's, 15 bytes"}));
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

    // A file another program wrote is written back in the database's own form, keeping that
    // program's attributes and elements, and its notes after the entries (comments,
    // instructions, character data) as they stood; only an entry read exactly as the database
    // writes it may be copied as read.
    void anotherProgramsFileIsRewrittenInOwnForm_data()
    {
        QTest::addColumn<QByteArray>("entries");   // as the other program wrote them
        QTest::addColumn<QByteArray>("rewritten"); // once /a.dwg is named A2
        QTest::newRow("entries in other forms")
            << QByteArray("  <file path=\"/a.dwg\" name=\"A\" note=\"&quot;x&#10;z\"/>\n"
                          "  <file  path=\"/b.dwg\" name = 'B' />\n"
                          "  <group><file path=\"/deep.dwg\" name=\"deep\"/></group>\n"
                          "  <file path=\"/d.dwg\" name=\"x>y&#x41;\"></file>\n")
            << QByteArray(" <file path=\"/a.dwg\" name=\"A2\" note=\"&quot;x&#10;z\"/>\n"
                          " <file path=\"/b.dwg\" name=\"B\"/>\n"
                          " <group>\n"
                          "  <file path=\"/deep.dwg\" name=\"deep\"/>\n"
                          " </group>\n"
                          " <file path=\"/d.dwg\" name=\"x&gt;yA\"/>\n");
        QByteArray notes(" <file path=\"/a.dwg\" name=\"A\"/>\n"
                         " <file path=\"/b.dwg\" name=\"B\"/>\n"
                         " <group>\n"
                         "  <file path=\"/deep.dwg\" name=\"deep\"/>\n"
                         " </group>\n"
                         " <!-- synced by the site's backup -->\n"
                         " <?site-tool pass=\"2\"?>\n"
                         " <?stamp?>\n"
                         " <note><![CDATA[<kept> & as is]]></note>\n"
                         " <note>a &lt; b</note>\n");
        QTest::newRow("notes after the entries")
            << notes << QByteArray(notes).replace("name=\"A\"", "name=\"A2\"");
    }

    void anotherProgramsFileIsRewrittenInOwnForm()
    {
        QFETCH(QByteArray, entries);
        writeFile(m_databasePath, databaseFile(entries));
        {
            FileDatabase database(kTenant);
            // valueWhere looks at every depth and past other content.
            QCOMPARE(database.valueWhere("name", "deep", "path"), QString("/deep.dwg"));
            QCOMPARE(database.valueWhere("path", "/b.dwg", "name"), QString("B"));
            QCOMPARE(database.setName("/a.dwg", "A2"), QString("0"));
        }
        QFETCH(QByteArray, rewritten);
        QCOMPARE(readAll(m_databasePath), databaseFile(rewritten));
    }

    // A drawing in a folder named in Korean, Chinese or with a currency sign is downloaded,
    // then the CAD application starts again: the file must still be known (its status and
    // lock come from its entry), and other programs reading the file must see the same path,
    // as UTF-8. Characters XML cannot carry are replaced, never written.
    void valuesSurviveTheRoundTrip_data()
    {
        QTest::addColumn<QString>("value");   // a path below /projects/, and a name
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<QByteArray>("utf8"); // the path as the file must hold it; "" unchecked
        const QString markup = "<a&b> \"quoted\" 'single'";
        QTest::newRow("markup characters") << markup << markup << QByteArray();
        // Characters of two bytes (accents), three (Hangul, CJK ideographs, the euro sign, kana)
        // and four (an emoji, a surrogate pair in the path).
        const auto carried = [](const char *name, const QByteArray &utf8) {
            QTest::newRow(name) << QString::fromUtf8(utf8) << QString::fromUtf8(utf8) << utf8;
        };
        carried("accents, Greek and an emoji", "Pl\xC3\xA4ne/\xCE\xA9/\xF0\x9F\x98\x80.dwg");
        carried("Hangul and CJK folders", "\xEB\x8F\x84\xEB\xA9\xB4/\xE8\xA8\xAD\xE8\xA8\x88.dwg");
        carried("euro sign", "\xE2\x82\xAC 100.dwg");
        carried("the last Hangul syllable and a kana", "x/\xED\x9E\xA3\xE3\x81\x82.dwg");
        carried("all together", "\xEB\x8F\x84\xEB\xA9\xB4 \xE8\xA8\xAD\xE8\xA8\x88 \xE2\x82\xAC"
                                " \xC3\xA9 \xF0\x9F\x98\x80/p.dwg");
        carried("the last characters XML carries", "a\xEF\xBF\xBC\xEF\xBF\xBD" "b");
        // A control character, a lone high and a lone low surrogate, the two noncharacters
        // at the end of the plane.
        QTest::newRow("characters XML cannot carry")
            << QString("a") + QChar(0x01) + QChar(0xD800) + "x" + QChar(0xDC00) + QChar(0xFFFE)
                   + QChar(0xFFFF) + "b"
            << QString("a") + QChar(0xFFFD) + QChar(0xFFFD) + "x" + QChar(0xFFFD) + QChar(0xFFFD)
                   + QChar(0xFFFD) + "b"
            << QByteArray();
        // A stray low half after a character of three bytes, and a high half that ends the text.
        QTest::newRow("stray halves after an ideograph and at the end")
            << QString(QChar(0x8A2D)) + QChar(0xDC00) + "x" + QChar(0xD800)
            << QString(QChar(0x8A2D)) + QChar(0xFFFD) + "x" + QChar(0xFFFD) << QByteArray();
    }

    void valuesSurviveTheRoundTrip()
    {
        QFETCH(QString, value);
        QFETCH(QString, readBack);
        QFETCH(QByteArray, utf8);
        FileDatabase(kTenant).addFile("/projects/" + value, "V1", value, kStamp, "",
                                      "ACAD Drawing", "false");
        const QString path = "/projects/" + readBack;
        const FileDatabase fresh(kTenant);
        QVERIFY(fresh.hasEntry(path));
        QCOMPARE(fresh.paths(), QStringList(path));
        QCOMPARE(fresh.entryValue(path, "name"), readBack);
        // The next start of the CAD application parses the file itself (this process keeps
        // what it wrote last).
        QCOMPARE(attributeOnDisk(kTenant, "path"), QStringList(path));
        QCOMPARE(attributeOnDisk(kTenant, "name"), QStringList(readBack));
        // Other programs read the file too: it is UTF-8 and holds no character XML forbids.
        const QByteArray bytes = readAll(m_databasePath);
        QTextCodec::ConverterState state;
        const QString decoded = QTextCodec::codecForName("UTF-8")->toUnicode(
            bytes.constData(), bytes.size(), &state);
        QCOMPARE(state.invalidChars, 0);
        QVERIFY(!decoded.contains(QChar(0xFFFE)) && !decoded.contains(QChar(0xFFFF)));
        QVERIFY2(utf8.isEmpty() || bytes.contains("path=\"/projects/" + utf8 + "\""),
                 bytes.constData());
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
        QVERIFY2(told.size() == 1 && told.first().contains(m_folder + "/" + aside.first()),
                 qPrintable(told.join('\n')));
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

    // While another program holds the database, this one gives up on it soon and works on an
    // empty copy that is never written; once that program is gone (killed, not even reaped
    // yet) the database is there.
    void aDatabaseInUseElsewhereIsNeverWrittenOver()
    {
        FileDatabase(kTenant).addFile("/projects/Plan.dwg", "V1", "prd-1", kStamp, "",
                                      "ACAD Drawing", "false");
        const QByteArray before = readAll(m_databasePath);
        OtherLockHolder other(m_databasePath + ".lock");
        QVERIFY(other.holds());
        {
            QElapsedTimer waited;
            waited.start();
            FileDatabase busy(kTenant);
            QVERIFY(waited.elapsed() < 20000);
            QVERIFY(!busy.isAvailable());
            QVERIFY2(busy.errorString().contains("in use by another program"),
                     qPrintable(busy.errorString()));
            QCOMPARE(busy.updateStamp("/projects/Plan.dwg"), QString("-1"));
            busy.addFile("/projects/Other.dwg", "", "prd-2", kStamp, "", "ACAD Drawing", "false");
            QVERIFY(!busy.save());
        }
        QCOMPARE(readAll(m_databasePath), before);

        QVERIFY(other.kill());
        const FileDatabase free(kTenant);
        QVERIFY(free.isAvailable());
        QCOMPARE(free.paths(), QStringList{"/projects/Plan.dwg"});
        QCOMPARE(free.updateStamp("/projects/Plan.dwg"), QString(kStamp));
    }

    void nestedUseKeepsEveryChange()
    {
        FileDatabase outer(kTenant);
        outer.addFile("/projects/outer.dwg", "", "outer", kStamp, "", "ACAD Drawing", "false");
        // A nested use on the same thread sees the outer use's changes and does not wait for it.
        QCOMPARE(localFileStatus(kTenant, "/projects/outer.dwg", kStamp), LocalFileStatus::Current);
        {
            FileDatabase inner(kTenant);
            inner.addFile("/projects/inner.dwg", "", "inner", kStamp, "", "ACAD Drawing", "false");
        }
        QCOMPARE(attributeOnDisk(kTenant, "name"), QStringList({"outer", "inner"}));
        outer.addFile("/projects/late.dwg", "", "late", kStamp, "", "ACAD Drawing", "false");
        QVERIFY(outer.save());
        QCOMPARE(attributeOnDisk(kTenant, "name"), QStringList({"outer", "inner", "late"}));
    }

    // Two other processes and two threads of this one record downloads at the same time.
    void threadsAndProcessesLoseNoUpdate()
    {
        const QStringList prefixes{"left", "right", "first", "second"};
        QProcess writers[2];
        for (int i = 0; i < 2; ++i) {
            writers[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writers[i].start(FILEDB_WRITER, {kTenant, prefixes.at(i), QString::number(kUsesEach)});
        }
        QString errors[2];
        std::thread first([&] { errors[0] = recordDownloads(kTenant, "first", kUsesEach); });
        std::thread second([&] { errors[1] = recordDownloads(kTenant, "second", kUsesEach); });
        first.join();
        second.join();
        QCOMPARE(errors[0] + errors[1], QString());
        for (QProcess &writer : writers) {
            QVERIFY2(writer.waitForFinished(90000), qPrintable(writer.errorString()));
            QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
            QCOMPARE(writer.exitCode(), 0);
        }
        // Every name on disk once: none lost, none written twice.
        QStringList names = attributeOnDisk(kTenant, "name");
        names.sort();
        QStringList expected;
        for (const QString &prefix : prefixes) {
            for (int i = 0; i < kUsesEach; ++i)
                expected.append(QStringLiteral("%1-%2").arg(prefix).arg(i));
        }
        expected.sort();
        QCOMPARE(names, expected);
    }

    void sameTreeOrDeclined_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ownReaderReads");
        QTest::addColumn<bool>("wellFormed");
        // Which readers read the bytes: both, only the general one, or neither.
        enum Readers { Both, GeneralOnly, Neither };
        const auto row = [](Readers readers, const char *name, const char *bytes) {
            QTest::newRow(name) << QByteArray(bytes) << (readers == Both) << (readers != Neither);
        };

        row(Both, "as the database writes it",
            "<?xml version='1.0' encoding='UTF-8'?>\n<files>\n"
            " <file path=\"/a.dwg\" vaultisid=\"\" name=\"A\"/>\n"
            " <file path=\"/b.dwg\" name=\"B\"/>\n</files>\n");
        row(Both, "spaces and line breaks around the equals sign",
            "<files a = \"1\" b\n=\n'2' c\t=\t\"3\"/>");
        row(Both, "nested elements",
            "<files><group a='1'><file path='/deep'/></group><file/></files>");
        row(Both, "entity and character references",
            "<files v=\"&amp;&lt;&gt;&quot;&apos;&#10;&#x9;&#13;&#x1F642;&#233;\" w='\"&gt;'/>");
        row(Both, "UTF-8 of two, three and four bytes",
            "<files path=\"/Pl\xC3\xA4ne/\xCE\xA9/\xF0\x9F\x99\x82.dwg\"/>");

        row(GeneralOnly, "comment", "<files><!-- kept --></files>");

        row(Neither, "end tag of another element", "<files><file></files></file>");
        row(Neither, "end tag that only starts alike", "<files><file></fil></file></files>");
        row(Neither, "attribute twice", "<files a='1' a='2'/>");
        row(Neither, "value without quotes", "<files a=1/>");
        row(Neither, "value left out at the end of the tag", "<files a= />");
        row(Neither, "undeclared entity", "<files a='&nbsp;'/>");
        row(Neither, "character reference with a letter", "<files a='&#6a;'/>");
        row(Neither, "hexadecimal reference with a letter past F", "<files a='&#x4G;'/>");
        row(Neither, "hexadecimal reference with a space", "<files a='&#x 41;'/>");
        row(Neither, "cut off while written",
            "<?xml version='1.0' encoding='UTF-8'?>\n<files>\n <file path=\"/a");
        row(Neither, "empty", "");
        // Bytes a damaged or foreign file may hold where a path should be.
        row(Neither, "a byte that starts no character", "<files path=\"/a\xFF.dwg\"/>");
        row(Neither, "a continuation byte alone", "<files path=\"/a\x80.dwg\"/>");
        row(Neither, "a character cut short", "<files path=\"/a\xE2\x82.dwg\"/>");
        row(Neither, "a character written too long", "<files path=\"/a\xC0\xAF.dwg\"/>");
    }

    void sameTreeOrDeclined()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ownReaderReads);

        std::vector<XmlNode> general;
        QString error;
        QTEST(XmlTreeReader::read(bytes, &general, &error), "wellFormed");
        std::vector<XmlNode> own;
        QCOMPARE(ElementOnlyXmlReader::read(bytes, &own), ownReaderReads);
        if (ownReaderReads)
            QCOMPARE(dump(own), dump(general));
    }
    // Another program writes; the snapshot has it by the time the service says so, read on
    // its job (the service does not read it again when asked).
    void snapshotFollowsAnotherProgram()
    {
        WorkingCopy copy("north");
        QTRY_VERIFY(copy.isRead());
        QCOMPARE(namesIn(copy), QStringList());
        QSignalSpy changed(&copy, &WorkingCopy::changed);
        QCOMPARE(QProcess::execute(FILEDB_WRITER, {"north", "bob", "3"}), 0);
        QTRY_VERIFY(!changed.isEmpty());
        // Three writes may come as one notice or as several; the last read has all three.
        QTRY_COMPARE(attributeOnDisk("north", "name").size(), 3);
        QTRY_COMPARE(namesIn(copy), QStringList({"bob-0", "bob-1", "bob-2"}));
    }

    // While another program holds the file, an up-to-date snapshot is read at once.
    void readsDoNotWaitForAHolder()
    {
        QCOMPARE(recordDownloads("south", "alice", 2), QString());
        WorkingCopy copy("south");
        QTRY_VERIFY(copy.isRead());
        QProcess holder;
        holder.start(FILEDB_WRITER, {"south", "--hold"});
        QVERIFY(holder.waitForReadyRead(10000));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(namesIn(copy), QStringList({"alice-0", "alice-1"}));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
    }

    // A change runs on another thread, lands on disk in the database's own format, and the
    // snapshot has it.
    void changesAreMadeOffThisThread()
    {
        QCOMPARE(recordDownloads("east", "carol", 2), QString());
        WorkingCopy copy("east");
        QTRY_VERIFY(copy.isRead());
        QThread *changedOn = nullptr;
        QSignalSpy changed(&copy, &WorkingCopy::changed);
        copy.change([&changedOn](FileDatabase &database) {
            changedOn = QThread::currentThread();
            database.removeFilesNamed("carol-0");
        });
        QTRY_VERIFY(!changed.isEmpty());
        QVERIFY(changedOn && changedOn != QThread::currentThread());
        QCOMPARE(attributeOnDisk("east", "name"), QStringList({"carol-1"}));
        QCOMPARE(namesIn(copy), QStringList({"carol-1"}));
        FileDatabaseDocument written;
        const QByteArray bytes = readAll(FileDatabase::locationFor("east"));
        QVERIFY(written.parse(bytes, nullptr));
        QCOMPARE(written.serialize(), bytes);
    }

    // What a download of a program that no longer runs left beside the local copies goes;
    // what a running program is downloading, and anything else in the folder, stays.
    void leftoversOfStoppedDownloadsGo()
    {
        const QString folder = m_home->filePath("projects");
        QVERIFY(QDir().mkpath(folder));
        FileDatabase database("west");
        database.recordExchange(folder + "/deck.dwg", QString(), "deck",
                                "2024/01/01@00:00:00:GMT", "ACAD Drawing");
        QVERIFY(database.save());
        // An id above the highest the system gives out belongs to no running process.
        const QString deadId = QString::number(
            readAll("/proc/sys/kernel/pid_max").trimmed().toLongLong() + 1);
        const QStringList made = {".aurex-download-" + deadId + "-abc123",
                                  ".aurex-download-" + QString::number(QCoreApplication::applicationPid())
                                      + "-def456",
                                  "drawings"};
        for (const QString &name : made)
            QVERIFY(QDir(folder).mkpath(name + "/sub"));
        QCOMPARE(removeDownloadLeftovers("west"), 1);
        QCOMPARE(QDir(folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({made.at(1), made.at(2)}));
    }

    // A local copy's status against the platform's stamp, and the stamp stored for it, looked
    // up by the path as given, case ignored.
    void statusAndLookups()
    {
        QVERIFY(layOutLocalCopies());
        const FileDatabase database(kTenant);
        const char *statuses[] = {"new", "changed here", "current", "newer on the platform"};
        QStringList seen;
        // No entry; the same stamp, by the path stored and with backslashes and in other case;
        // newer on the platform; saved locally; empty stamps, which never match.
        for (const auto &[path, platformStamp] :
             {std::pair{"/projects/new.dwg", kStamp}, {"/projects/Plan.dwg", kStamp},
              {"\\PROJECTS\\plan.dwg", kStamp}, {"/projects/Plan.dwg", kNewerStamp},
              {"/projects/edited.dwg", kStamp}, {"/projects/logo.png", ""}}) {
            bool known = false;
            const int status = int(::localFileStatus(kTenant, path, platformStamp, &known));
            seen << QString("%1%2, stored %3")
                        .arg(statuses[status], known ? "" : " (unknown)")
                        .arg(database.updateStamp(path));
        }
        const QString stored = QString(", stored ") + kStamp;
        QCOMPARE(seen, (QStringList{"new (unknown), stored -1", "current" + stored,
                                    "current" + stored, "newer on the platform" + stored,
                                    "changed here, stored ", "newer on the platform, stored "}));
    }

    // Where downloads go, and the requests that name local copies.
    void downloadsGoWhereTheCopiesAre()
    {
        QVERIFY(layOutLocalCopies());
        const FileDatabase database(kTenant);
        const QString documents =
            QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).first();
        // The copy of the same platform object first; else the result's title is compared with
        // the platform names of the local copies, exactly.
        QCOMPARE(downloadFolderFor(database, "prd-1", "Plan.dwg"), QString("/projects"));
        QCOMPARE(downloadFolderFor(database, "", "prd-2"), QString("/projects"));
        QCOMPARE(downloadFolderFor(database, "prd-9", "PRD-2"), documents);
        QCOMPARE(downloadFolderFor(database, "", "elsewhere.dwg"), documents);

        // Results with a current local copy in the chosen folder carry its stamp.
        RecordList records;
        FzFileInfo *current = addResult(records, "Plan.dwg");
        FzFileInfo *edited = addResult(records, "edited.dwg");
        FzFileInfo *brandNew = addResult(records, "new.dwg");

        QVERIFY(prepareDownload(database, "/projects", records.records()));
        for (FzFileInfo *record : records)
            QCOMPARE(recordProperty(*record, "_LOCALDOWNLOADFOLDER"), QString("/projects"));
        QCOMPARE(recordProperty(*current, "_LOCALTIMESTAMP"), QString(kStamp));
        QVERIFY(!edited->HasProperty("_LOCALTIMESTAMP")); // present, but saved locally since
        QVERIFY(!brandNew->HasProperty("_LOCALTIMESTAMP"));

        RecordList elsewhere;
        addResult(elsewhere, "Plan.dwg");
        QVERIFY(!prepareDownload(database, "/other", elsewhere.records()));
        QVERIFY(!elsewhere.at(0)->HasProperty("_LOCALTIMESTAMP"));

        // A request by platform name (name, revision, type and CAD type) and one by platform id
        // (id and name) for each local copy the database knows; none for one it does not.
        QStringList requests;
        for (const char *path :
             {"\\projects\\Plan.dwg", "/projects/logo.png", "/projects/new.dwg"}) {
            requests << fields(nameRequestForLocalCopy(database, path, RequestType::BySuffix).get(),
                               {"name", "revision", "type", "cadtype"})
                            + " | "
                            + fields(identityRequestForLocalCopy(database, path).get(),
                                     {"phid", "name"});
        }
        QCOMPARE(requests, (QStringList{"prd-1 --- ACAD Drawing assembly | V1 Plan",
                                        "prd-3 --- ACAD Insert insertedobject | V3 logo", " | "}));
    }

    // A drawing's preview is kept in the temporary folder under the drawing's name up to its
    // first dot, whichever separators its path was written with.
    void previewsAreKeptUnderTheDrawingsName()
    {
        const QString temp = QStandardPaths::standardLocations(QStandardPaths::TempLocation)
                                 .value(0);
        QStringList previews;
        for (const char *drawing : {"/projects/bridge/deck.dwg", "C:\\projects\\bridge\\deck.dwg",
                                    "/projects/deck.rev2.dxf"})
            previews << drawingPreviewPath(drawing);
        const QString deck = temp + "/deck.jpg";
        QCOMPARE(previews, QStringList({deck, deck, deck}));
    }

    // Each hit as its platform name, title, type and path: a title pattern finds drawings only;
    // a name pattern matches the platform name; titles in any case, inserted files too when
    // their type is asked for.
    void searchFindsTheLocalCopies()
    {
        QVERIFY(layOutLocalCopies());
        QList<QStringList> found;
        for (const QStringList &query :
             {QStringList{"_TitlePattern=*d*"}, QStringList{"_NamePattern=*00003"},
              QStringList{"_or_title_0=LOGO.png", "_or_title_1=deck.dwg",
                          "_TypePattern=ACAD Drawing,ACAD Insert"}}) {
            FzFileInfo request;
            for (const QString &pair : query)
                setRecordProperty(request, pair.section('=', 0, 0).toLatin1().constData(),
                                  pair.section('=', 1));
            RecordList hits;
            QVERIFY(OfflinePlatform().search(request, &hits));
            QStringList lines;
            for (const FzFileInfo *hit : hits) {
                lines << QStringList{recordProperty(*hit, "name"), recordTitle(*hit),
                                     recordProperty(*hit, "type"),
                                     recordProperty(*hit, "filename").replace(m_models, "DIR")}
                             .join(' ');
            }
            lines.sort();
            found << lines;
        }
        QCOMPARE(found, (QList<QStringList>{{"AX000001 bridge.dwg ACAD Drawing DIR/bridge.dwg",
                                             "AX000002 deck.dwg ACAD Drawing DIR/deck.dwg",
                                             "AX000003 piers.dxf ACAD Drawing DIR/piers.dxf"},
                                            {"AX000003 piers.dxf ACAD Drawing DIR/piers.dxf"},
                                            {"AX000002 deck.dwg ACAD Drawing DIR/deck.dwg",
                                             "AX000004 logo.png ACAD Insert DIR/logo.png"}}));
    }

    // Details name the version each local copy was last exchanged as, also after the user
    // saved it since (it is still based on that version), with what the copy holds now; a name
    // the file database does not know is left as asked.
    void detailsTellTheVersionALocalCopyIsBasedOn()
    {
        QVERIFY(layOutLocalCopies());
        QFile deck(m_models + "/deck.dwg");
        QVERIFY(deck.open(QIODevice::Append) && deck.write(" saved offline") == 14);
        deck.close();
        {
            FileDatabase database{QString()};
            QVERIFY(database.recordLocalSave(deck.fileName()));
            QVERIFY(database.save());
        }
        RecordList requests;
        for (const char *name : {"AX000001", "AX000002", "AX000099"})
            setRecordProperty(*requests.add(std::make_unique<FzFileInfo>()), "name", name);
        QVERIFY(OfflinePlatform().details(requests));
        QStringList lines;
        for (const FzFileInfo *record : requests) {
            lines << QStringList{recordProperty(*record, "name"), recordProperty(*record, "phid"),
                                 recordTitle(*record), recordProperty(*record, "_size"),
                                 recordProperty(*record, "_filemodified"),
                                 recordProperty(*record, "filename").replace(m_models, "DIR")}
                         .join(' ');
        }
        QCOMPARE(lines, (QStringList{
                            "AX000001 V1 bridge.dwg 5 2026/12/01@10:00:00:GMT DIR/bridge.dwg",
                            "AX000002 V2 deck.dwg 19 2026/12/01@10:00:00:GMT DIR/deck.dwg",
                            "AX000099     "}));
    }

    // Offline, what needs the platform is refused, each time with the same reason; the spaces
    // are the ones remembered when last online, for this tenant only.
    void whatNeedsThePlatformIsRefused()
    {
        QVERIFY(layOutLocalCopies());
        OfflinePlatform::rememberSpaces(QString(), {"Bridge Project", "Harbour Works"});
        OfflinePlatform::rememberSpaces("acme", {"Acme Yard"});
        OfflinePlatform::rememberSpaces("acme", {});
        OfflinePlatform platform;
        FzFileInfo record;
        record.SetTitle("deck.dwg");
        setRecordProperty(record, "name", "AX000002");
        RecordList records;
        records.addCopy(record);
        RecordList answer;
        FileVersionList versions;
        TitleBlockMapping mapping;
        QString first, last, email, id;
        int hidden = 0;
        int events = 0;
        const QStringList refused{
            platform.signInWithPassword("ann", "pw", "host", "/cas") ? "password sign-in" : "",
            platform.signInWithCookie("c", "s", "host", "/cas") ? "cookie sign-in" : "",
            platform.userInfo(&first, &last, &email, &id) ? "user" : "",
            platform.structure(record, &answer) ? "structure" : "",
            platform.downloadObject("AX000002", m_models),
            platform.checkIn(&record, "c", nullptr, &answer) ? "check-in" : "",
            platform.lock(&record, true) ? "lock" : "",
            platform.versions(record, &versions) ? "versions" : "",
            platform.structureAsOf(record, 1, &answer) ? "structure as of" : "",
            platform.downloadVersion(record, 1, m_models, "deck.dwg", nullptr),
            platform.restoreVersion(&record, 1, "c") ? "restore" : "",
            platform.remove(records) ? "remove" : "",
            platform.whereUsed(record, &answer, &hidden) ? "where used" : "",
            platform.titleBlockMapping(&mapping) ? "title block" : "",
            platform.autonames(2).join(' '),
            platform.readEvents("", [&events](const PlatformEvent &) { ++events; },
                                [] { return true; }) == 0 && events == 0
                ? ""
                : "events"};
        QCOMPARE(refused.join(""), QString());
        QCOMPARE(platform.download(records, nullptr),
                 QStringList{"deck.dwg: you are working offline"});
        QCOMPARE(platform.failureText("The platform refused."),
                 AurexPlatform::unreachableText("you are working offline"));
        QStringList spaces{platform.spaces().join(", ")};
        platform.setTenant("acme");
        spaces << platform.spaces().join(", ");
        platform.setTenant("nobody");
        spaces << platform.spaces().join(", ");
        QCOMPARE(spaces, (QStringList{"Bridge Project, Harbour Works", "Acme Yard", ""}));
    }

private:
    // In the fresh home: four local copies in models/ that the user's own database knows, and
    // three of the tenant's: a current drawing, one saved locally since, an image never stamped.
    bool layOutLocalCopies()
    {
        m_models = m_home->filePath("models");
        if (!QDir().mkpath(m_models))
            return false;
        FileDatabase database{QString()};
        const QStringList files{"bridge.dwg", "deck.dwg", "piers.dxf", "logo.png"};
        for (int i = 0; i < files.size(); ++i) {
            const QString path = m_models + '/' + files.at(i);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write("bytes") != 5)
                return false;
            database.recordExchange(path, QString("V%1").arg(i + 1),
                                    QString("AX00000%1").arg(i + 1), "2026/12/01@10:00:00:GMT",
                                    files.at(i).endsWith(".png") ? "ACAD Insert" : "drawing");
        }
        FileDatabase tenants(kTenant);
        tenants.addFile("/projects/Plan.dwg", "V1", "prd-1", kStamp, "", "ACAD Drawing", "false");
        tenants.addFile("/projects/edited.dwg", "V2", "prd-2", "", "", "ACAD Drawing", "true");
        tenants.addFile("/projects/logo.png", "V3", "prd-3", "", "", "ACAD Insert", "false");
        return database.save() && tenants.save();
    }

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_databasePath;
    QString m_folder; // the database's folder
    QString m_models; // of the local copies laid out
};

QTEST_GUILESS_MAIN(TestWorkingCopy)
#include "tst_workingcopy.moc"
