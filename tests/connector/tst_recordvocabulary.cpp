// The records the module builds for the connector and reads back from it: file types by
// suffix, the platform's stamps, and searches and requests as a demo platform answers them.

#include "connector/connectorplatform.h"
#include "connector/filetype.h"
#include "connector/platformstamp.h"
#include "connector/recordbuilder.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"
#include "platformprocess.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QDateTime>
#include <QStandardPaths>
#include <QtTest>

#include <ctime>

class TestRecordVocabulary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileType_data();
    void fileType();
    void parseStamp_data();
    void parseStamp();
    void formatStamp();
    void searchesFindTheirFiles_data();
    void searchesFindTheirFiles();
    void requestsReadTheirObject_data();
    void requestsReadTheirObject();
    void recordListKeepsCopiesAndReleasesThem();

private:
    QStringList titlesFound(const FzFileInfo &query);

    std::unique_ptr<PlatformProcess> m_demo;
    std::unique_ptr<ConnectorPlatform> m_platform;
};

void TestRecordVocabulary::initTestCase()
{
    // A zone with daylight-saving gaps, so that a stamp read as local time would be caught.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QStandardPaths::setTestModeEnabled(true);
    QString error;
    m_demo = PlatformProcess::startDemo(&error);
    QVERIFY2(m_demo, qPrintable(error));
    m_platform = std::make_unique<ConnectorPlatform>(LintraAurexConnectorWrapper::GetInstance());
    m_platform->setProxy(QString(), 0, QString(), QString());
    m_platform->setServer(m_demo->serverHost());
    QVERIFY(m_platform->signInWithPassword("alice", "alice-demo-pw", m_demo->serverHost(),
                                           m_demo->casUrl()));
}

// The titles of what the query finds, in the platform's order.
QStringList TestRecordVocabulary::titlesFound(const FzFileInfo &query)
{
    RecordList hits;
    m_platform->search(query, &hits);
    QStringList titles;
    for (const FzFileInfo *hit : hits)
        titles << recordTitle(*hit);
    return titles;
}

void TestRecordVocabulary::fileType_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("type"); // type, CAD type and format of a save below a drawing
    QTest::newRow("dwg in lower case") << "C:\\projects\\plan.dwg" << "ACAD Drawing/assembly/dwg";
    QTest::newRow("DXF in capitals saves as an image")
        << "/projects/site.DXF" << "ACAD Drawing/assembly/Image";
    QTest::newRow("dwf is an insert") << "/projects/view.dwf" << "ACAD Insert/insertedobject/Image";
    QTest::newRow("PDF in capitals") << "/projects/notes.PDF" << "ACAD Insert/insertedobject/pdf";
    QTest::newRow("suffix only in a folder name")
        << "C:\\old.dwg\\readme" << "ACAD Insert/insertedobject/Image";
    QTest::newRow("last suffix counts")
        << "/projects/plan.dwg.bak" << "ACAD Insert/insertedobject/Image";
}

void TestRecordVocabulary::fileType()
{
    QFETCH(QString, path);
    QFETCH(QString, type);
    const FileType fileType = fileTypeForPath(path);
    QCOMPARE(QStringList({fileType.type, fileType.cadType, saveFormatForPath(path)}).join('/'),
             type);
    QCOMPARE(isDrawingPath(path), type.startsWith(QLatin1String("ACAD Drawing")));
}

void TestRecordVocabulary::parseStamp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");

    QTest::newRow("plain stamp") << "2024/03/05@14:07:09:GMT"
                                 << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);
    QTest::newRow("hour missing from the local clock")
        << "2024/03/31@02:30:00:GMT" << QDateTime(QDate(2024, 3, 31), QTime(2, 30), Qt::UTC);
    QTest::newRow("empty") << "" << QDateTime();
    QTest::newRow("without the zone suffix") << "2024/03/05@14:07:09" << QDateTime();
    QTest::newRow("ISO form") << "2024-03-05T14:07:09Z" << QDateTime();
    QTest::newRow("month 13") << "2024/13/05@14:07:09:GMT" << QDateTime();
}

void TestRecordVocabulary::parseStamp()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);

    const QDateTime parsed = parsePlatformStamp(text);
    QCOMPARE(parsed.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(parsed, expected);
        QCOMPARE(parsed.timeSpec(), Qt::UTC);
        QCOMPARE(formatPlatformStamp(parsed), text);
    }
}

void TestRecordVocabulary::formatStamp()
{
    const QDateTime twoHoursEast(QDate(2024, 7, 1), QTime(0, 30, 5), Qt::OffsetFromUTC, 7200);
    QCOMPARE(formatPlatformStamp(twoHoursEast), QString("2024/06/30@22:30:05:GMT"));
    QCOMPARE(formatPlatformStamp(QDateTime()), QString());
}

void TestRecordVocabulary::searchesFindTheirFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("one space: its drawings by name")
        << "space" << QStringList{"bridge.dwg", "deck.dwg", "piers.dxf", "rebar.dxf"};
    QTest::newRow("every space: titles, derived outputs too")
        << "all" << QStringList{"bridge.dwg", "bridge.jpg"};
    QTest::newRow("existing titles, any letter case")
        << "titles" << QStringList{"deck.dwg", "logo.png"};
}

void TestRecordVocabulary::searchesFindTheirFiles()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, titles);
    // Eleven titles, so that the last one's key is numbered 10.
    QStringList asked{"logo.png", "tower.dwg"};
    for (int i = 0; i < 8; ++i)
        asked << QString("missing %1.dwg").arg(i);
    asked << "Deck.dwg";
    const std::unique_ptr<FzFileInfo> query = kind == "space"
        ? makeSpaceSearchQuery("Common Space", "")
        : kind == "all" ? makeAllSpacesSearchQuery("BRIDGE")
                        : buildDuplicateSearchRecord("Common Space", asked);
    QCOMPARE(titlesFound(*query), titles);
}

void TestRecordVocabulary::requestsReadTheirObject_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("answer"); // title, type and holder of the lock as read back
    QTest::newRow("by platform id") << "identity" << "deck.dwg ACAD Drawing bob";
    QTest::newRow("by name, drawing") << "drawing" << "deck.dwg ACAD Drawing bob";
    QTest::newRow("by name, insert") << "insert" << "logo.png ACAD Insert ";
    QTest::newRow("by name, type of a drawing for an insert") << "wrong type" << "";
    QTest::newRow("detail of a search result") << "detail" << "deck.dwg ACAD Drawing bob";
}

void TestRecordVocabulary::requestsReadTheirObject()
{
    QFETCH(QString, kind);
    QFETCH(QString, answer);
    RecordList hits;
    const auto query = buildDuplicateSearchRecord("Common Space", {"deck.dwg", "logo.png"});
    QVERIFY(m_platform->search(*query, &hits));
    QCOMPARE(hits.size(), std::size_t(2));
    const FzFileInfo &deck = *hits.at(0);
    const QString logoName = recordProperty(*hits.at(1), "name");
    RecordList requests;
    if (kind == "identity")
        requests.add(makeIdentityRequest(recordProperty(deck, "phid"), "C:\\work\\deck.dwg"));
    else if (kind == "drawing")
        requests.add(makeNameRequest(recordProperty(deck, "name"), fileTypeForPath("deck.DWG")));
    else if (kind == "insert")
        requests.add(makeNameRequest(logoName, fileTypeForPath("/work/logo.png")));
    else if (kind == "wrong type")
        requests.add(makeNameRequest(logoName, drawingFileType()));
    else
        requests.add(makeDetailRequest(deck));
    QCOMPARE(m_platform->details(requests), !answer.isEmpty());
    const FzFileInfo &read = *requests.at(0);
    if (answer.isEmpty()) {
        QCOMPARE(recordTitle(read), QString());
        return;
    }
    QCOMPARE(recordTitle(read) + ' ' + recordProperty(read, "type") + ' '
                 + recordProperty(read, "_LockedBy"),
             answer);
    QVERIFY(parsePlatformStamp(recordProperty(read, "_filemodified")).isValid());
}

void TestRecordVocabulary::recordListKeepsCopiesAndReleasesThem()
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

QTEST_GUILESS_MAIN(TestRecordVocabulary)
#include "tst_recordvocabulary.moc"
