// The records the module builds for the connector and reads back from it: file types by
// suffix, the platform's stamps, and searches and requests as a demo platform answers them.
// How the module's platform hands a long download to the connector: a few files per call, so
// that the job shows its progress and can stop between calls, as a stand-in platform that
// counts the files each call asks it for sees it; and what else the stand-in answers. Then a
// drawing's life on a real platform, through the module's platform interface only: signed in,
// saved, found, locked, saved again with a comment, an earlier version fetched and restored,
// deleted; and the platform's event stream, read from its start, tells the same story in the
// same order.

#include "connector/connectorplatform.h"
#include "connector/fileversion.h"
#include "connector/filetype.h"
#include "connector/platformevent.h"
#include "connector/platformstamp.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "connector/titleblockmapping.h"
#include "support/jobcontrol.h"
#include "platformprocess.h"

#include <dxftesthelpers.h>
#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QtTest>

#include <httplib.h>

#include <ctime>
#include <mutex>
#include <thread>

namespace {

const qint64 kMiB = 1024 * 1024;
const char kPreviewId[] = "FEDCBA9876543210FEDCBA9876543210";

// Signs anyone in and knows no file: each download call is one details request whose "refs"
// are the files of that call. Serves on a thread of its own while it lives.
struct CountingPlatform
{
    CountingPlatform()
    {
        server.Post("/cas/v1/login", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("{\"token\":\"t\"}", "application/json");
        });
        server.Post("/api/v1/details", [this](const httplib::Request &req, httplib::Response &res) {
            const QJsonDocument body = QJsonDocument::fromJson(QByteArray::fromStdString(req.body));
            std::lock_guard<std::mutex> lock(mutex);
            filesPerRequest << body.object().value("refs").toArray().size();
            res.set_content("{\"results\":[]}", "application/json");
        });
        // A preview for the first file asked for, none for the others.
        server.Post("/api/v1/previews", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("{\"results\":[{\"phid\":\"" + std::string(kPreviewId)
                                + "\",\"title\":\"quay.jpg\"},{}]}",
                            "application/json");
        });
        server.Get("/api/v1/objects/" + std::string(kPreviewId) + "/content",
                   [](const httplib::Request &, httplib::Response &res) {
                       const QByteArray bytes("preview of quay");
                       res.set_header("X-Aurex-SHA256",
                                      QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)
                                          .toHex()
                                          .toStdString());
                       res.set_content(bytes.toStdString(), "image/jpeg");
                   });
        // Whatever object is asked for, the versions of another.
        server.Get(R"(/api/v1/objects/[0-9A-F]+/versions)",
                   [](const httplib::Request &, httplib::Response &res) {
                       res.set_content("{\"object\":{\"name\":\"AX000002\",\"title\":"
                                       "\"other.dwg\"},\"versions\":[{\"revision\":1,"
                                       "\"_CheckIn\":\"2026/12/01@10:00:00:GMT\"}]}",
                                       "application/json");
                   });
        host = QStringLiteral("http://127.0.0.1:%1").arg(server.bind_to_any_port("127.0.0.1"));
        thread = std::thread([this] { server.listen_after_bind(); });
        // A server stopped before it listens would listen for ever.
        for (int waited = 0; !server.is_running() && waited < 5000; ++waited)
            QThread::msleep(1);
    }
    // Points the module's platform here and signs in.
    bool signIn()
    {
        platform.setServer(host);
        return platform.signInWithPassword("u", "p", host, "/cas");
    }

    ~CountingPlatform()
    {
        server.stop();
        thread.join();
    }

    std::mutex mutex; // guards filesPerRequest
    QList<int> filesPerRequest;
    QString host;
    httplib::Server server;
    std::thread thread;
    ConnectorPlatform platform{LintraAurexConnectorWrapper::GetInstance()};
};


// The space of the drawing's life.
const char kSpace[] = "Harbour Works";

} // namespace

class TestConnectorPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A zone with daylight-saving gaps, so that a stamp read as local time would be caught.
        qputenv("TZ", "Europe/Berlin");
        tzset();
        QStandardPaths::setTestModeEnabled(true);
        QString error;
        m_demo = PlatformProcess::startDemo(&error);
        QVERIFY2(m_demo, qPrintable(error));
        m_platform.setServer(m_demo->serverHost());
        QVERIFY(m_platform.signInWithPassword("alice", "alice-demo-pw", m_demo->serverHost(),
                                              m_demo->casUrl()));
        // An empty platform of the drawing's life.
        QVERIFY2(m_server.start(&error), qPrintable(error));
        QVERIFY(m_server.addUser("ann", "ann-password", "Ann", "Archer"));
        QVERIFY(m_server.addSpace(kSpace, {"ann"}));
        QVERIFY(m_folder.isValid());
    }

    // Type, CAD type and format of a save below a drawing, by the last suffix in any case; a
    // DXF saves as an image.
    void fileType()
    {
        QStringList types;
        for (const QString path :
             {"C:\\work\\plan.dwg", "/projects/site.DXF", "/projects/notes.PDF", "plan.dwg.bak"}) {
            const FileType fileType = fileTypeForPath(path);
            types << QStringList({fileType.type, fileType.cadType, saveFormatForPath(path),
                                  isDrawingPath(path) ? "drawing" : "other"})
                         .join('/');
        }
        QCOMPARE(types, (QStringList{"ACAD Drawing/assembly/dwg/drawing",
                                     "ACAD Drawing/assembly/Image/drawing",
                                     "ACAD Insert/insertedobject/pdf/other",
                                     "ACAD Insert/insertedobject/Image/other"}));
    }

    void parseStamp_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // the instant read, "" when the stamp is refused
        QTest::newRow("plain stamp") << "2024/03/05@14:07:09:GMT" << "2024-03-05T14:07:09Z";
        QTest::newRow("hour missing from the local clock")
            << "2024/03/31@02:30:00:GMT" << "2024-03-31T02:30:00Z";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("without the zone suffix") << "2024/03/05@14:07:09" << "";
        QTest::newRow("leap day") << "2024/02/29@23:59:59:GMT" << "2024-02-29T23:59:59Z";
        QTest::newRow("no such day") << "2023/02/29@12:00:00:GMT" << "";
        QTest::newRow("no such hour") << "2024/03/05@24:00:00:GMT" << "";
        QTest::newRow("a field one digit short") << "2024/3/05@14:07:09:GMT" << "";
        QTest::newRow("a letter for a digit") << "2024/03/05@14:O7:09:GMT" << "";
        QTest::newRow("an Arabic-Indic digit") << QString("2024/03/05@14:07:0") + QChar(0x0669)
            + ":GMT" << "";
        QTest::newRow("another separator") << "2024-03-05@14:07:09:GMT" << "";
    }

    void parseStamp()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QDateTime parsed = parsePlatformStamp(text);
        QCOMPARE(parsed.toString(Qt::ISODate), expected);
        // A time two hours east of UTC is written as the same instant in UTC.
        QCOMPARE(formatPlatformStamp(parsed.toOffsetFromUtc(7200)),
                 expected.isEmpty() ? QString() : text);
    }

    void searchesFindTheirFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("one space: its drawings by name")
            << "space" << QStringList{"bridge.dwg", "deck.dwg", "piers.dxf", "rebar.dxf"};
        QTest::newRow("every space: titles, derived outputs too")
            << "all" << QStringList{"bridge.dwg", "bridge.jpg"};
        // A preview is named after its drawing.
        QTest::newRow("every space: a platform name")
            << "name" << QStringList{"bridge.dwg", "bridge.jpg"};
        QTest::newRow("one space: a platform name") << "spaceName" << QStringList{"bridge.dwg"};
        QTest::newRow("existing titles, any letter case")
            << "titles" << QStringList{"deck.dwg", "logo.png"};
        // What the title blocks say is found as names are.
        QTest::newRow("one space: a drawing number") << "number" << QStringList{"deck.dwg"};
        QTest::newRow("every space: drawing numbers and titles")
            << "allNumbers" << QStringList{"core.dwg", "stair.dxf", "tower.dwg"};
    }

    void searchesFindTheirFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, titles);
        // Eleven titles, so that the last one's key is numbered 10.
        QStringList asked{"logo.png", "tower.dwg"};
        for (int i = 0; i < 8; ++i)
            asked << QString("missing %1.dwg").arg(i);
        asked << "Deck.dwg";
        const QString bridge = recordProperty(demoFile("bridge.dwg"), "name");
        QVERIFY(!bridge.isEmpty());
        const std::unique_ptr<FzFileInfo> query = kind == "space"
            ? makeSpaceSearchQuery("Common Space", "")
            : kind == "all"       ? makeAllSpacesSearchQuery("BRIDGE")
            : kind == "name"      ? makeAllSpacesSearchQuery(bridge)
            : kind == "spaceName" ? makeSpaceSearchQuery("Common Space", bridge)
            : kind == "number"     ? makeSpaceSearchQuery("Common Space", "br-204")
            : kind == "allNumbers" ? makeAllSpacesSearchQuery("TW-")
                                   : buildDuplicateSearchRecord("Common Space", asked);
        RecordList hits;
        QVERIFY(m_platform.search(*query, &hits));
        QStringList found; // in the platform's order
        for (const FzFileInfo *hit : hits)
            found << recordTitle(*hit);
        QCOMPARE(found, titles);
        // A search of one space or of all asks for every result at once (up to a thousand at
        // least), never for a first page only: the open dialog shows all it finds.
        QVERIFY(kind == "titles"
                || (recordProperty(*query, "_Pagination") == "false"
                    && recordProperty(*query, "_Pagelimit").toInt() >= 1000));
    }

    void requestsReadTheirObject()
    {
        // A request by name, before the platform answers: the name, its file's type, and a
        // revision that stands for the current one.
        const auto byName = makeNameRequest("AX000000042", fileTypeForPath("deck.DWG"));
        QStringList asked;
        for (const char *key : {"name", "revision", "type", "cadtype"})
            asked << QString::fromLatin1(key) + '=' + recordProperty(*byName, key);
        QCOMPARE(asked, (QStringList{"name=AX000000042", "revision=---", "type=ACAD Drawing",
                                     "cadtype=assembly"}));

        const FzFileInfo deck = demoFile("deck.dwg");
        RecordList requests;
        requests.add(makeIdentityRequest(recordProperty(deck, "phid"), "C:\\projects\\deck.dwg"));
        requests.add(makeNameRequest(recordProperty(deck, "name"), fileTypeForPath("deck.DWG")));
        requests.add(makeNameRequest(recordProperty(demoFile("logo.png"), "name"),
                                     fileTypeForPath("/projects/logo.png")));
        requests.add(makeDetailRequest(deck));
        QVERIFY(m_platform.details(requests));
        // Title, type and holder of the lock of each, as read back.
        QStringList answers;
        for (const FzFileInfo *read : requests) {
            answers << recordTitle(*read) + ' ' + recordProperty(*read, "type") + ' '
                    + recordProperty(*read, "_LockedBy");
            QVERIFY(parsePlatformStamp(recordProperty(*read, "_filemodified")).isValid());
        }
        QCOMPARE(answers, (QStringList{"deck.dwg ACAD Drawing bob", "deck.dwg ACAD Drawing bob",
                                       "logo.png ACAD Insert ", "deck.dwg ACAD Drawing bob"}));
    }

    // rebar.dxf is referenced by deck.dwg and piers.dxf, both below bridge.dwg; each drawing
    // comes once, with what its title block says.
    void whereUsedNamesEveryDrawingAbove()
    {
        const FzFileInfo rebar = demoFile("rebar.dxf");
        RecordList drawings;
        int hidden = -1;
        QVERIFY(m_platform.whereUsed(
            *makeNameRequest(recordProperty(rebar, "name"), fileTypeForPath("rebar.dxf")),
            &drawings, &hidden));
        QStringList found;
        QMap<QString, QString> phids;
        for (const FzFileInfo *drawing : drawings)
            phids.insert(recordProperty(*drawing, "phid"), recordTitle(*drawing));
        phids.insert(recordProperty(rebar, "phid"), "rebar.dxf");
        for (const FzFileInfo *drawing : drawings) {
            found << QStringList{recordTitle(*drawing), recordProperty(*drawing, "_Depth"),
                                 phids.value(recordProperty(*drawing, "_ReferencedVia")),
                                 recordProperty(*drawing, "_DrawingNumber"),
                                 recordProperty(*drawing, "_CS")}
                         .join(' ');
        }
        // bridge.dwg reaches rebar.dxf through either drawing; the platform names one.
        QVERIFY2(found.size() == 3, qPrintable(found.join('\n')));
        found.last().replace("piers.dxf", "deck.dwg");
        QCOMPARE(found, (QStringList{"deck.dwg 1 rebar.dxf BR-204-S Common Space",
                                     "piers.dxf 1 rebar.dxf BR-310-S Common Space",
                                     "bridge.dwg 2 deck.dwg BR-100-G Common Space"}));
        QCOMPARE(hidden, 0);
    }

    // A version's size as the platform gave it; none given is unknown, not empty. Whole
    // histories are compared version by version: two versions are the same only when every
    // field is.
    void versionsKnowTheirSizeAndDifferInAnyField()
    {
        QList<qint64> sizes;
        for (const char *given : {"1234", "0", "", "12 bytes"}) {
            FzFileInfo record;
            record.SetProperty("revision", "2");
            if (*given)
                record.SetProperty("_size", given);
            sizes << FileVersion::fromRecord(record).size;
        }
        QCOMPARE(sizes, (QList<qint64>{1234, 0, -1, -1}));

        const FileVersion base{3, "2026-12-01T10:00:00Z", "anna", "first", 1234, "ab12"};
        QVector<FileVersion> changed(6, base);
        changed[0].revision = 4;
        changed[1].modified = "2026-12-01T10:00:01Z";
        changed[2].user = "bert";
        changed[3].comment = "second";
        changed[4].size = 1235;
        changed[5].sha256 = "ab13";
        QVector<bool> same;
        for (const FileVersion &other : changed)
            same << (other == base || !(base != other));
        QCOMPARE(same, QVector<bool>(6, false));
        QVERIFY(FileVersion(base) == base && !(FileVersion(base) != base));
    }

    // What a member may do to a file by the role the platform gives: a platform that names no
    // roles lets everyone do everything; an editor deletes only what she owns.
    void rolesSayWhatAMemberMayDo()
    {
        QStringList may;
        for (const char *role : {"", "reader", "editor", "manager"}) {
            for (const char *owner : {"ann", "bob"}) {
                FzFileInfo record;
                if (*role)
                    record.SetProperty("_Role", role);
                record.SetProperty("_Owner", owner);
                may << QString("%1/%2: %3%4")
                           .arg(*role ? role : "none", owner,
                                recordMayChange(record) ? "change" : "-",
                                recordMayDelete(record, "ann") ? " delete" : "");
            }
        }
        QCOMPARE(may, (QStringList{"none/ann: change delete", "none/bob: change delete",
                                   "reader/ann: -", "reader/bob: -",
                                   "editor/ann: change delete", "editor/bob: change",
                                   "manager/ann: change delete", "manager/bob: change delete"}));
    }

    void recordListKeepsCopiesAndReleasesThem()
    {
        // Stand-in for the connector's list, which changes with its next call.
        std::vector<FzFileInfo> connectorList(3);
        for (std::size_t i = 0; i < connectorList.size(); ++i)
            connectorList[i].SetProperty("name", "n" + std::to_string(i));

        FzFileInfo parent;
        {
            RecordList copies = RecordList::copiesOf(4, [&](int i) -> const FzFileInfo * {
                return i < 3 ? &connectorList[std::size_t(i)] : nullptr;
            });
            QCOMPARE(copies.size(), std::size_t(3));
            connectorList[1].SetProperty("name", "changed");
            QCOMPARE(recordProperty(*copies.at(1), "name"), QString("n1"));

            RecordList moved = std::move(copies);
            QVERIFY(copies.empty());
            for (FzFileInfo *record : moved)
                record->SetParent(&parent);
            moved.add(makeAutonameRequest(3))->SetParent(&parent);
            QCOMPARE(recordProperty(*moved.at(3), "_count"), QString("3"));
            QCOMPARE(parent.GetChildren().size(), std::size_t(4));
            // A structure of hundreds of files, as a large drawing set gives.
            for (int i = 0; i < 500; ++i)
                moved.add(std::make_unique<FzFileInfo>());
            QCOMPARE(moved.size(), std::size_t(504));
        }
        // A released record unlinks itself from its parent.
        QVERIFY(!parent.HasChildren());
    }

    // The tests below sign the connector in to platforms of their own.
    // The files each call asks for: a hundred and fifty small files, sixty-four at a time;
    // files of 3 MiB, two at a time; two files of 4 MiB fill one call; sixty-four files of
    // 128 KiB reach both limits at once; a file over the limit goes alone. Every file is one
    // failure (the stand-in knows none) and counts as processed, and the transfer box names the
    // file the last call began with.
    void downloadGoesInBatches()
    {
        QStringList calls;
        for (const QVector<qint64> &sizes :
             {QVector<qint64>(150, 1000), QVector<qint64>(5, 3 * kMiB),
              QVector<qint64>(4, 4 * kMiB), QVector<qint64>(65, 128 * 1024),
              QVector<qint64>{1000, 20 * kMiB, 1000}}) {
            CountingPlatform counting;
            QVERIFY(counting.signIn());
            RecordList records;
            for (int i = 0; i < sizes.size(); ++i) {
                FzFileInfo *record = records.add(std::make_unique<FzFileInfo>());
                record->SetTitle(QStringLiteral("file%1.dwg").arg(i).toStdString());
                setRecordProperty(*record, "_size", QString::number(sizes.at(i)));
            }
            JobControl control;
            const QStringList failures = counting.platform.download(records, &control);
            QStringList perCall;
            {
                std::lock_guard<std::mutex> lock(counting.mutex);
                for (const int files : counting.filesPerRequest)
                    perCall << QString::number(files);
            }
            const bool allFailed = failures.size() == sizes.size()
                && failures.first() == "file0.dwg: not found on the platform";
            calls << QString("%1: %2, %3 processed, %4")
                         .arg(perCall.join(' '), allFailed ? "all failed" : failures.join(", "))
                         .arg(control.progress().processedFiles)
                         .arg(control.progress().currentName);
        }
        QCOMPARE(calls, (QStringList{"64 64 22: all failed, 150 processed, file128.dwg",
                                     "2 2 1: all failed, 5 processed, file4.dwg",
                                     "2 2: all failed, 4 processed, file2.dwg",
                                     "64 1: all failed, 65 processed, file64.dwg",
                                     "1 1 1: all failed, 3 processed, file2.dwg"}));
    }

    // The administrator's title block tags when the platform keeps them, trimmed and in
    // capitals; no answer when it keeps none (a platform from before title blocks answers 404),
    // so the save reads the usual tags. A mapping of blanks only is no mapping.
    void titleBlockMappingIsThePlatformsOrTheUsual()
    {
        const auto told = [](const TitleBlockMapping &mapping) {
            QStringList lines;
            for (const auto &property : mapping.properties())
                lines << QString::fromLatin1(property.first) + ": " + property.second.join(',');
            return (mapping.isEmpty() ? "empty | " : "") + lines.join(" | ");
        };
        CountingPlatform counting;
        ConnectorPlatform &platform = counting.platform;
        QVERIFY(counting.signIn());
        TitleBlockMapping mapping;
        QVERIFY(!platform.titleBlockMapping(&mapping));
        counting.server.Get("/api/v1/titleblock", [](const httplib::Request &,
                                                     httplib::Response &res) {
            res.set_content(R"({"mapping":{"number":["blatt_nr","nr"],"title":[" titel ",""],)"
                            R"("sheet":["Blatt"]}})",
                            "application/json");
        });
        QVERIFY(platform.titleBlockMapping(&mapping));
        QCOMPARE(QStringList({told(mapping), told(TitleBlockMapping::usual()),
                              told(TitleBlockMapping::fromPlatform({{"number", {" "}}}))}),
                 (QStringList{"_DrawingNumber: BLATT_NR,NR | _DrawingTitle: TITEL | "
                              "_DrawingRevision:  | _DrawingSheet: BLATT",
                              "_DrawingNumber: DWG_NO,DRAWING_NUMBER,DWGNO,NUMBER | "
                              "_DrawingTitle: TITLE,DWG_TITLE | _DrawingRevision: REV,REVISION | "
                              "_DrawingSheet: SHEET",
                              "empty | _DrawingNumber:  | _DrawingTitle:  | _DrawingRevision:  | "
                              "_DrawingSheet: "}));
    }

    // The spaces a user is a member of, and of those the ones she may save to: a reader's
    // space is left out of the second list; a platform that names no roles lets her save to
    // all.
    void writableSpacesLeaveOutWhereTheUserOnlyReads()
    {
        CountingPlatform counting;
        QByteArray answer = R"({"spaces":["Bridge Project","Common Space","Harbour Works"],
                               "roles":{"Bridge Project":"editor","Common Space":"reader",
                                        "Harbour Works":"manager"}})";
        counting.server.Get("/api/v1/spaces",
                            [&answer](const httplib::Request &, httplib::Response &res) {
                                res.set_content(answer.toStdString(), "application/json");
                            });
        ConnectorPlatform &platform = counting.platform;
        QVERIFY(counting.signIn());
        const QStringList all{"Bridge Project", "Common Space", "Harbour Works"};
        QCOMPARE(QList<QStringList>({platform.spaces(), platform.writableSpaces()}),
                 QList<QStringList>({all, {"Bridge Project", "Harbour Works"}}));
        answer = R"({"spaces":["Bridge Project","Common Space","Harbour Works"]})";
        QCOMPARE(platform.writableSpaces(), all);
    }

    // A where-used answer replaces what the list held before: asked twice, a drawing is
    // listed once; asked of an object the platform does not know (it answers 404), nothing is
    // left of the last answer, and the caller's words say why.
    void whereUsedAnswersReplaceTheLastOnes()
    {
        CountingPlatform counting;
        const char phid[] = "0123456789ABCDEF0123456789ABCDEF";
        counting.server.Get(std::string("/api/v1/objects/") + phid + "/whereused",
                            [](const httplib::Request &, httplib::Response &res) {
                                res.set_content(R"({"drawings":[{"title":"deck.dwg"}],
                                                    "hidden":2})",
                                                "application/json");
                            });
        ConnectorPlatform &platform = counting.platform;
        QVERIFY(counting.signIn());
        FzFileInfo object;
        object.SetProperty("phid", phid);
        RecordList drawings;
        int hidden = 0;
        QStringList answers;
        for (const char *asked : {phid, phid, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}) {
            object.SetProperty("phid", asked);
            const bool answered = platform.whereUsed(object, &drawings, &hidden);
            QStringList titles;
            for (const FzFileInfo *drawing : drawings.records())
                titles << recordTitle(*drawing);
            answers << QString("%1: %2 and %3 hidden")
                           .arg(answered ? "answered" : platform.failureText("refused"),
                                titles.join(' '))
                           .arg(hidden);
        }
        QCOMPARE(answers, QStringList({"answered: deck.dwg and 2 hidden",
                                       "answered: deck.dwg and 2 hidden",
                                       "refused:  and 0 hidden"}));
    }

    // The preview the platform has for a file arrives in the folder under the file's base
    // name; a file without one gets none. Versions of another object than the one asked for
    // (as when another thread's call replaced the shared answer) are no answer, never an empty
    // history.
    void previewsArriveAndVersionsMustBeOfTheObject()
    {
        CountingPlatform counting;
        ConnectorPlatform &platform = counting.platform;
        QVERIFY(counting.signIn());
        RecordList records;
        for (const char *title : {"quay.dwg", "pier.dwg"}) {
            FzFileInfo record;
            record.SetTitle(title);
            record.SetProperty("name", std::string("AX-") + title);
            records.addCopy(record);
        }
        QTemporaryDir folder;
        QVERIFY(platform.downloadPreviews(records, folder.path()));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"quay.jpg"});
        QFile preview(folder.filePath("quay.jpg"));
        QVERIFY(preview.open(QIODevice::ReadOnly));
        QCOMPARE(preview.readAll(), QByteArray("preview of quay"));

        FzFileInfo record;
        record.SetProperty("phid", "0123456789ABCDEF0123456789ABCDEF");
        record.SetProperty("name", "AX000001");
        FileVersionList versions;
        QVERIFY(!platform.versions(record, &versions));
        QCOMPARE(versions.size(), 0);
    }

    // A platform nobody answers for: the user reads that it cannot be reached and why, and a
    // history or an earlier structure that could not be asked for is no empty answer.
    void failureSaysWhyThePlatformCannotBeReached()
    {
        QString gone; // nothing listens there any more
        {
            CountingPlatform counting;
            gone = counting.host;
        }
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        platform.setServer(gone);
        FzFileInfo record;
        record.SetProperty("phid", "0123456789abcdef0123456789abcdef");
        RecordList records;
        records.addCopy(record);
        QVERIFY(!platform.details(records));
        QCOMPARE(platform.failureText("The platform refused."),
                 QString("The AUREX Platform cannot be reached: Connection refused."));
        FileVersionList versions;
        RecordList structure;
        QVERIFY(!platform.versions(record, &versions));
        QVERIFY(!platform.structureAsOf(record, 1, &structure));
    }

    void aDrawingsLife()
    {
        ConnectorPlatform platform(LintraAurexConnectorWrapper::GetInstance());
        platform.setServer(m_server.serverHost());
        QVERIFY(platform.signInWithPassword("ann", "ann-password", m_server.serverHost(),
                                            m_server.casUrl()));
        QCOMPARE(platform.spaces(), QStringList{kSpace});
        QString first, last, email, userId;
        QVERIFY(platform.userInfo(&first, &last, &email, &userId));
        QCOMPARE(first + ' ' + last, QString("Ann Archer"));

        // Saved new, with a comment.
        const QString path = m_folder.filePath("quay.dwg");
        QVERIFY(DxfTest::writeBytes(path, "quay as drawn"));
        FzFileInfo fresh;
        fresh.SetPath(path.toStdString());
        fresh.SetTitle("quay.dwg");
        fresh.SetProperty("collabspace", kSpace);
        JobControl control;
        RecordList stored;
        QVERIFY(platform.checkIn(&fresh, "first issue", &control, &stored));
        QCOMPARE(stored.size(), 1);
        QCOMPARE(recordTitle(*stored.records().front()), QString("quay.dwg"));

        // Found by its title; its details say who holds its lock.
        const auto found = [&platform] {
            RecordList hits;
            platform.search(*makeSpaceSearchQuery(kSpace, "quay"), &hits);
            return hits;
        };
        RecordList hits = found();
        QCOMPARE(hits.size(), 1);
        FzFileInfo record(*hits.records().front());
        const auto lockHolder = [&platform, &record] {
            RecordList requests;
            requests.addCopy(*makeDetailRequest(record));
            return platform.details(requests)
                ? recordProperty(*requests.records().front(), kKeyLockedBy)
                : QString("no answer");
        };
        QStringList locks{lockHolder()};
        QVERIFY(platform.lock(&record, true));
        locks << lockHolder();
        QVERIFY(platform.lock(&record, false));
        locks << lockHolder();
        QCOMPARE(locks, (QStringList{"", "ann", ""}));

        // A second version, then the first one fetched and restored.
        QVERIFY(DxfTest::writeBytes(path, "quay with bollards"));
        record.SetPath(path.toStdString());
        QVERIFY(platform.checkIn(&record, "moved the bollards", &control, &stored));
        // A restore names the version it replaces: the one the check-in answered with.
        QCOMPARE(stored.size(), 1);
        record = *stored.records().front();
        for (const char *folder : {"v1", "now"})
            QVERIFY(QDir(m_folder.path()).mkpath(folder));
        const QString earlier = platform.downloadVersion(record, 1, m_folder.filePath("v1"),
                                                         "quay.dwg", &control);
        QCOMPARE(DxfTest::readBytes(earlier), QByteArray("quay as drawn"));
        QVERIFY(platform.restoreVersion(&record, 1, "back to the first"));
        FileVersionList versions;
        QVERIFY(platform.versions(record, &versions));
        QStringList history;
        for (const FileVersion &version : versions)
            history << QString("%1 %2 %3").arg(version.revision).arg(version.user, version.comment);
        // Newest first.
        QCOMPARE(history, (QStringList{"3 ann back to the first", "2 ann moved the bollards",
                                       "1 ann first issue"}));
        const QString current =
            platform.downloadObject(recordProperty(record, kKeyPhid), m_folder.filePath("now"));
        QCOMPARE(DxfTest::readBytes(current), QByteArray("quay as drawn"));
        RecordList structure;
        QVERIFY(platform.structure(record, &structure));
        QCOMPARE(structure.size(), 1);

        const QStringList names = platform.autonames(2);
        QCOMPARE(names.size(), 2);
        QVERIFY(!names.first().isEmpty() && names.first() != names.last());

        RecordList doomed;
        doomed.addCopy(record);
        QVERIFY(platform.remove(doomed));
        QCOMPARE(found().size(), 0);

        // The stream from its start: each of those, once, in order, as the platform told it.
        QStringList events;
        QElapsedTimer waited;
        waited.start();
        const int status = platform.readEvents(
            "0",
            [&events](const PlatformEvent &event) {
                events << QString("%1 %2 %3 r%4 %5 [%6]%7")
                              .arg(event.kind)
                              .arg(event.title, event.user)
                              .arg(event.revision)
                              .arg(event.space, event.lockedBy,
                                   event.isNewVersion() ? " " + event.comment : QString());
            },
            [&events, &waited] { return events.size() < 6 && waited.elapsed() < 20000; });
        QCOMPARE(status, 200);
        using E = PlatformEvent;
        QCOMPARE(events, (QStringList{
                             QString("%1 quay.dwg ann r1 Harbour Works [] first issue").arg(E::CheckIn),
                             QString("%1 quay.dwg ann r1 Harbour Works [ann]").arg(E::Lock),
                             QString("%1 quay.dwg ann r1 Harbour Works []").arg(E::Unlock),
                             QString("%1 quay.dwg ann r2 Harbour Works [] moved the bollards")
                                 .arg(E::CheckIn),
                             QString("%1 quay.dwg ann r3 Harbour Works [] back to the first")
                                 .arg(E::Restore),
                             QString("%1 quay.dwg ann r3 Harbour Works []").arg(E::Delete)}));
    }

private:
    // The demo's file of that title in the Common Space, as a search finds it.
    FzFileInfo demoFile(const QString &title)
    {
        RecordList hits;
        m_platform.search(*buildDuplicateSearchRecord("Common Space", {title}), &hits);
        return hits.size() == 1 ? FzFileInfo(*hits.at(0)) : FzFileInfo();
    }

    std::unique_ptr<PlatformProcess> m_demo;
    ConnectorPlatform m_platform{LintraAurexConnectorWrapper::GetInstance()};
    PlatformProcess m_server;
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestConnectorPlatform)
#include "tst_connectorplatform.moc"
