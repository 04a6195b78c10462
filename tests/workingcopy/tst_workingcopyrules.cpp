#include "workingcopytesthome.h"

#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/localcopyrequest.h"
#include "workingcopy/localfilestatus.h"
#include "connector/recordfields.h"
#include "connector/recordlist.h"

#include <fzfileinfo.h>

#include <QtTest>

Q_DECLARE_METATYPE(LocalFileStatus)

namespace {

const char kTenant[] = "acme";
const char kStamp[] = "2024/03/05@14:07:09:GMT";
const char kNewerStamp[] = "2024/06/01@09:00:00:GMT";

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

class TestWorkingCopyRules : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        useTestHome(m_home->path());
        // Three local copies: a current drawing, one saved locally since, an image never stamped.
        FileDatabase database(kTenant);
        database.addFile("/projects/Plan.dwg", "V1", "prd-1", kStamp, "", "ACAD Drawing", "false");
        database.addFile("/projects/edited.dwg", "V2", "prd-2", "", "", "ACAD Drawing", "true");
        database.addFile("/projects/logo.png", "V3", "prd-3", "", "", "ACAD Insert", "false");
    }

    void statusAndLookups_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("platformStamp");
        QTest::addColumn<LocalFileStatus>("status");
        QTest::addColumn<QString>("storedStamp"); // looked up by the path as given, case ignored

        QTest::newRow("no entry") << "/projects/new.dwg" << kStamp << LocalFileStatus::New << "-1";
        QTest::newRow("same stamp")
            << "/projects/Plan.dwg" << kStamp << LocalFileStatus::Current << kStamp;
        QTest::newRow("backslashes and other case")
            << "\\PROJECTS\\plan.dwg" << kStamp << LocalFileStatus::Current << kStamp;
        QTest::newRow("newer on the platform")
            << "/projects/Plan.dwg" << kNewerStamp << LocalFileStatus::OutOfDate << kStamp;
        QTest::newRow("saved locally")
            << "/projects/edited.dwg" << kStamp << LocalFileStatus::ModifiedLocally << "";
        QTest::newRow("empty stamps never match")
            << "/projects/logo.png" << "" << LocalFileStatus::OutOfDate << "";
    }

    void statusAndLookups()
    {
        QFETCH(QString, path);
        QFETCH(QString, platformStamp);
        QFETCH(LocalFileStatus, status);

        bool known = true;
        QCOMPARE(::localFileStatus(kTenant, path, platformStamp, &known), status);
        QCOMPARE(known, status != LocalFileStatus::New);
        const FileDatabase database(kTenant);
        QTEST(database.updateStamp(path), "storedStamp");
    }

    void downloadsGoWhereTheCopiesAre()
    {
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
    }

    // A drawing's preview is kept in the temporary folder under the drawing's name up to its
    // first dot, whichever separators its path was written with.
    void previewsAreKeptUnderTheDrawingsName_data()
    {
        QTest::addColumn<QString>("drawing");
        QTest::addColumn<QString>("preview"); // its name in the temporary folder
        QTest::newRow("forward slashes") << "/projects/bridge/deck.dwg" << "deck.jpg";
        QTest::newRow("backslashes") << "C:\\projects\\bridge\\deck.dwg" << "deck.jpg";
        QTest::newRow("two dots") << "/projects/deck.rev2.dxf" << "deck.jpg";
    }

    void previewsAreKeptUnderTheDrawingsName()
    {
        QFETCH(QString, drawing);
        QFETCH(QString, preview);
        const QString temp = QStandardPaths::standardLocations(QStandardPaths::TempLocation)
                                 .value(0);
        QCOMPARE(drawingPreviewPath(drawing), temp + '/' + preview);
    }

    void requestsForLocalCopies_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("byName"); // name, revision, type and CAD type; "" for none
        QTest::addColumn<QString>("byId");   // platform id and name; "" for none

        QTest::newRow("drawing")
            << "\\projects\\Plan.dwg" << "prd-1 --- ACAD Drawing assembly" << "V1 Plan";
        QTest::newRow("image")
            << "/projects/logo.png" << "prd-3 --- ACAD Insert insertedobject" << "V3 logo";
        QTest::newRow("unknown copy") << "/projects/new.dwg" << "" << "";
    }

    void requestsForLocalCopies()
    {
        QFETCH(QString, path);

        const FileDatabase database(kTenant);
        QTEST(fields(nameRequestForLocalCopy(database, path, RequestType::BySuffix).get(),
                     {"name", "revision", "type", "cadtype"}),
              "byName");
        QTEST(fields(identityRequestForLocalCopy(database, path).get(), {"phid", "name"}), "byId");
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

QTEST_GUILESS_MAIN(TestWorkingCopyRules)
#include "tst_workingcopyrules.moc"
