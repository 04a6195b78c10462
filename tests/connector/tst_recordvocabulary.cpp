// The records the module builds for the connector and reads back from it: file types by
// suffix, the platform's stamps, and searches and requests as a demo platform answers them.

#include "connector/connectorplatform.h"
#include "connector/fileversion.h"
#include "connector/filetype.h"
#include "connector/platformstamp.h"
#include "connector/recordbuilder.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "connector/titleblockmapping.h"
#include "platformprocess.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QtTest>

#include <ctime>

class TestRecordVocabulary : public QObject
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
    }

    void fileType_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("type"); // type, CAD type and format of a save below a drawing
        QTest::newRow("dwg in lower case") << "C:\\work\\plan.dwg" << "ACAD Drawing/assembly/dwg";
        // A DXF saves as an image.
        QTest::newRow("DXF in capitals") << "/projects/site.DXF" << "ACAD Drawing/assembly/Image";
        QTest::newRow("PDF in capitals") << "/projects/notes.PDF" << "ACAD Insert/insertedobject/pdf";
        QTest::newRow("last suffix counts") << "plan.dwg.bak" << "ACAD Insert/insertedobject/Image";
    }

    void fileType()
    {
        QFETCH(QString, path);
        QFETCH(QString, type);
        const FileType fileType = fileTypeForPath(path);
        QCOMPARE(QStringList({fileType.type, fileType.cadType, saveFormatForPath(path)}).join('/'),
                 type);
        QCOMPARE(isDrawingPath(path), type.startsWith(QLatin1String("ACAD Drawing")));
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
        RecordList bridge;
        QVERIFY(m_platform.search(*buildDuplicateSearchRecord("Common Space", {"bridge.dwg"}),
                                  &bridge));
        QCOMPARE(bridge.size(), std::size_t(1));
        const std::unique_ptr<FzFileInfo> query = kind == "space"
            ? makeSpaceSearchQuery("Common Space", "")
            : kind == "all"  ? makeAllSpacesSearchQuery("BRIDGE")
            : kind == "name" ? makeAllSpacesSearchQuery(recordProperty(*bridge.at(0), "name"))
            : kind == "spaceName"
                ? makeSpaceSearchQuery("Common Space", recordProperty(*bridge.at(0), "name"))
            : kind == "number"     ? makeSpaceSearchQuery("Common Space", "br-204")
            : kind == "allNumbers" ? makeAllSpacesSearchQuery("TW-")
                                   : buildDuplicateSearchRecord("Common Space", asked);
        RecordList hits;
        QVERIFY(m_platform.search(*query, &hits));
        QStringList found; // in the platform's order
        for (const FzFileInfo *hit : hits)
            found << recordTitle(*hit);
        QCOMPARE(found, titles);
    }

    // A search in one space and one in all spaces ask alike for every result at once (up to a
    // thousand at least), never for a first page only: the open dialog shows all it finds.
    void searchesAskForEveryResultAtOnce()
    {
        const std::unique_ptr<FzFileInfo> queries[] = {
            makeSpaceSearchQuery("Common Space", "x"), makeAllSpacesSearchQuery("x")};
        QStringList paging;
        for (const auto &query : queries) {
            paging << recordProperty(*query, "_Pagination") + ' '
                    + (recordProperty(*query, "_Pagelimit").toInt() >= 1000 ? "all" : "a page");
        }
        QCOMPARE(paging, (QStringList{"false all", "false all"}));
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

        RecordList hits;
        const auto query = buildDuplicateSearchRecord("Common Space", {"deck.dwg", "logo.png"});
        QVERIFY(m_platform.search(*query, &hits));
        QCOMPARE(hits.size(), std::size_t(2));
        const FzFileInfo &deck = *hits.at(0);
        RecordList requests;
        requests.add(makeIdentityRequest(recordProperty(deck, "phid"), "C:\\projects\\deck.dwg"));
        requests.add(makeNameRequest(recordProperty(deck, "name"), fileTypeForPath("deck.DWG")));
        requests.add(makeNameRequest(recordProperty(*hits.at(1), "name"),
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
        RecordList rebar;
        QVERIFY(m_platform.search(*buildDuplicateSearchRecord("Common Space", {"rebar.dxf"}),
                                  &rebar));
        QCOMPARE(rebar.size(), std::size_t(1));
        RecordList drawings;
        int hidden = -1;
        QVERIFY(m_platform.whereUsed(*makeNameRequest(recordProperty(*rebar.at(0), "name"),
                                                      fileTypeForPath("rebar.dxf")),
                                     &drawings, &hidden));
        QStringList found;
        QMap<QString, QString> phids;
        for (const FzFileInfo *drawing : drawings)
            phids.insert(recordProperty(*drawing, "phid"), recordTitle(*drawing));
        phids.insert(recordProperty(*rebar.at(0), "phid"), "rebar.dxf");
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

    // piers.dxf's history in the demo, newest first: each version with who saved it and why.
    void historyListsEveryVersion()
    {
        RecordList piers;
        QVERIFY(m_platform.search(*buildDuplicateSearchRecord("Common Space", {"piers.dxf"}),
                                  &piers));
        QCOMPARE(piers.size(), std::size_t(1));
        FileVersionList versions;
        QVERIFY(m_platform.versions(*piers.at(0), &versions));
        QStringList listed;
        for (const FileVersion &version : versions)
            listed << QString("%1 %2 %3")
                          .arg(version.revision)
                          .arg(version.user, version.comment.section('\n', 0, 0));
        QCOMPARE(listed, (QStringList{"3 alice Issued for review",
                                      "2 bob Moved the east pier 2 m north",
                                      "1 alice First issue of the piers and their rebar"}));
    }

    void theTenantsTitleBlockMappingIsRead()
    {
        TitleBlockMapping mapping;
        QVERIFY(m_platform.titleBlockMapping(&mapping));
        QStringList read;
        for (const auto &property : mapping.properties())
            read << QString::fromLatin1(property.first) + ": " + property.second.join(',');
        QCOMPARE(read, (QStringList{"_DrawingNumber: DWG_NO,DRAWING_NUMBER,DWGNO,NUMBER",
                                    "_DrawingTitle: TITLE,DWG_TITLE",
                                    "_DrawingRevision: REV,REVISION", "_DrawingSheet: SHEET"}));
    }

    // A version's size as the platform gave it; none given is unknown, not empty.
    void versionSizesAreKnownOrNot()
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
    }

    // Whole histories are compared version by version: two versions are the same only when
    // every field is.
    void versionsDifferInAnyField()
    {
        const FileVersion base{3, "2026-12-01T10:00:00Z", "anna", "first", 1234, "ab12"};
        QVector<FileVersion> changed(6, base);
        changed[0].revision = 4;
        changed[1].modified = "2026-12-01T10:00:01Z";
        changed[2].user = "bert";
        changed[3].comment = "second";
        changed[4].size = 1235;
        changed[5].sha256 = "ab13";
        QList<bool> same;
        for (const FileVersion &other : changed)
            same << (other == base) << (base != other);
        QCOMPARE(same, (QList<bool>{false, true, false, true, false, true, false, true, false, true,
                                    false, true}));
        QVERIFY(FileVersion(base) == base);
    }

    // Without a mapping from the platform the usual tags are read; tags the platform gives
    // are trimmed and in capitals, and a mapping of blanks only is no mapping.
    void titleBlockMappingsWithoutThePlatform()
    {
        const auto told = [](const TitleBlockMapping &mapping) {
            QStringList lines;
            for (const auto &property : mapping.properties())
                lines << QString::fromLatin1(property.first) + ": " + property.second.join(',');
            return (mapping.isEmpty() ? "empty | " : "") + lines.join(" | ");
        };
        QCOMPARE(QStringList({told(TitleBlockMapping::usual()),
                              told(TitleBlockMapping::fromPlatform(
                                  {{"title", {" titel ", ""}}, {"sheet", {"blatt"}}})),
                              told(TitleBlockMapping::fromPlatform({{"number", {" "}}}))}),
                 (QStringList{"_DrawingNumber: DWG_NO,DRAWING_NUMBER,DWGNO,NUMBER | "
                              "_DrawingTitle: TITLE,DWG_TITLE | _DrawingRevision: REV,REVISION | "
                              "_DrawingSheet: SHEET",
                              "_DrawingNumber:  | _DrawingTitle: TITEL | _DrawingRevision:  | "
                              "_DrawingSheet: BLATT",
                              "empty | _DrawingNumber:  | _DrawingTitle:  | _DrawingRevision:  | "
                              "_DrawingSheet: "}));
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

private:
    std::unique_ptr<PlatformProcess> m_demo;
    ConnectorPlatform m_platform{LintraAurexConnectorWrapper::GetInstance()};
};

QTEST_GUILESS_MAIN(TestRecordVocabulary)
#include "tst_recordvocabulary.moc"
