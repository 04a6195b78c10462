#include "connector/filetype.h"
#include "connector/platformstamp.h"
#include "connector/recordbuilder.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"

#include <fzfileinfo.h>

#include <QDateTime>
#include <QtTest>

#include <ctime>

using Properties = QMap<QString, QString>;

namespace {

Properties propertiesOf(const FzFileInfo &record)
{
    Properties properties;
    for (const auto &property : record.GetProperties())
        properties.insert(QString::fromStdString(property.first),
                          QString::fromStdString(property.second));
    return properties;
}

} // namespace

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
    void searchQueries_data();
    void searchQueries();
    void existingTitleQueryNumbersEveryTitle();
    void requests_data();
    void requests();
    void recordListKeepsCopiesAndReleasesThem();
};

void TestRecordVocabulary::initTestCase()
{
    // A zone with daylight-saving gaps, so that a stamp read as local time would be caught.
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void TestRecordVocabulary::fileType_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("cadType");
    QTest::addColumn<QString>("saveFormat");

    QTest::newRow("dwg in lower case") << "C:\\projects\\plan.dwg" << "ACAD Drawing" << "assembly"
                                       << "dwg";
    QTest::newRow("DXF in capitals saves as an image")
        << "/projects/site.DXF" << "ACAD Drawing" << "assembly" << "Image";
    QTest::newRow("dwf is an insert") << "/projects/view.dwf" << "ACAD Insert"
                                      << "insertedobject" << "Image";
    QTest::newRow("PDF in capitals") << "/projects/notes.PDF" << "ACAD Insert" << "insertedobject"
                                     << "pdf";
    QTest::newRow("suffix only in a folder name")
        << "C:\\old.dwg\\readme" << "ACAD Insert" << "insertedobject" << "Image";
    QTest::newRow("last suffix counts") << "/projects/plan.dwg.bak" << "ACAD Insert"
                                        << "insertedobject" << "Image";
}

void TestRecordVocabulary::fileType()
{
    QFETCH(QString, path);
    QFETCH(QString, type);
    QFETCH(QString, cadType);
    QFETCH(QString, saveFormat);

    const FileType fileType = fileTypeForPath(path);
    QCOMPARE(QString(fileType.type), type);
    QCOMPARE(QString(fileType.cadType), cadType);
    QCOMPARE(isDrawingPath(path), type == QLatin1String("ACAD Drawing"));
    QCOMPARE(QString(saveFormatForPath(path)), saveFormat);
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

void TestRecordVocabulary::searchQueries_data()
{
    QTest::addColumn<QString>("space");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Properties>("expected");

    const Properties unpaged{{"_Pagination", "false"}, {"_Pagelimit", "1000"}, {"_Pagesize", "50"}};
    Properties inSpace = unpaged;
    inSpace.insert("_CS", "Common Space");
    inSpace.insert("_TypePattern", "ACAD Drawing");
    inSpace.insert("_NamePattern", "*bracket*");
    QTest::newRow("one space searches names of drawings") << "Common Space" << "bracket" << inSpace;

    Properties everywhere = unpaged;
    everywhere.insert("_TypePattern", "ACAD Drawing,Derived Output");
    everywhere.insert("_TitlePattern", "*bracket*");
    QTest::newRow("all spaces search titles, outputs too") << "" << "bracket" << everywhere;

    everywhere.insert("_TitlePattern", "**");
    QTest::newRow("empty text") << "" << "" << everywhere;
}

void TestRecordVocabulary::searchQueries()
{
    QFETCH(QString, space);
    QFETCH(QString, text);
    QFETCH(Properties, expected);

    const std::unique_ptr<FzFileInfo> query =
        space.isEmpty() ? makeAllSpacesSearchQuery(text) : makeSpaceSearchQuery(space, text);
    QCOMPARE(propertiesOf(*query), expected);
}

void TestRecordVocabulary::existingTitleQueryNumbersEveryTitle()
{
    QStringList titles;
    for (int i = 0; i < 11; ++i)
        titles << QString("part %1.dwg").arg(i);
    const std::unique_ptr<FzFileInfo> query = buildDuplicateSearchRecord("Team", titles);
    const Properties properties = propertiesOf(*query);

    QCOMPARE(properties.value("_NamePattern"), QString("*"));
    QCOMPARE(properties.value("_TypePattern"), QString("ACAD Drawing,ACAD Insert"));
    QCOMPARE(properties.value("_NoIndex"), QString("true"));
    QCOMPARE(properties.value("_CS"), QString("Team"));
    QCOMPARE(properties.value("_DOWNLOADPREVIEWS"), QString("false"));
    QCOMPARE(properties.size(), 5 + 11);
    // Indexes in decimal without padding: the eleventh key ends in 10.
    QCOMPARE(properties.value("_or_title_0"), QString("part 0.dwg"));
    QCOMPARE(properties.value("_or_title_10"), QString("part 10.dwg"));
    QVERIFY(!properties.contains("_or_title_01"));
}

void TestRecordVocabulary::requests_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Properties>("expected");

    QTest::newRow("by platform id") << "identity"
                                    << Properties{{"phid", "1.2.3"},
                                                  {"cadtype", "assembly"},
                                                  {"name", "plan.v2"}};
    QTest::newRow("by name, insert") << "name"
                                     << Properties{{"revision", "---"},
                                                   {"name", "prd-0042"},
                                                   {"type", "ACAD Insert"},
                                                   {"cadtype", "insertedobject"}};
    QTest::newRow("detail of a search result") << "detail"
                                               << Properties{{"type", "ACAD Drawing"},
                                                             {"name", "prd-0007"},
                                                             {"revision", "B"},
                                                             {"cadtype", "assembly"},
                                                             {"title", "gear.dwg"}};
}

void TestRecordVocabulary::requests()
{
    QFETCH(QString, kind);
    QFETCH(Properties, expected);

    std::unique_ptr<FzFileInfo> request;
    if (kind == "identity") {
        request = makeIdentityRequest("1.2.3", "/projects/plan.v2.dwg");
    } else if (kind == "name") {
        request = makeNameRequest("prd-0042", fileTypeForPath("/projects/logo.png"));
    } else {
        // A search result with more than the request needs, and its title only in the field.
        FzFileInfo result;
        result.SetTitle("gear.dwg");
        result.SetProperty("_LockedBy", "someone");
        result.SetProperty("_CS", "Team");
        result.SetProperty("type", "ACAD Drawing");
        result.SetProperty("name", "prd-0007");
        result.SetProperty("revision", "B");
        result.SetProperty("cadtype", "assembly");
        request = makeDetailRequest(result);
    }
    QCOMPARE(propertiesOf(*request), expected);
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
