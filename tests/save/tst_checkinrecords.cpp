// The record tree of a check-in built from dialog rows: names in row order, formats and
// relations by file kind, previews, rows left out, the version local changes are based on;
// and the check-in job, which stores all or nothing when the transfer drops or is cancelled.

#include "dxftesthelpers.h"
#include "platformdouble.h"
#include "testhome.h"

#include "save/checkinrecords.h"
#include "save/savecheckin.h"
#include "save/savetreeitem.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {

QString prop(const FzFileInfo *record, const char *key)
{
    return QString::fromStdString(record->GetProperty(key));
}

// "title name format relation selected ownsChildren [base version]", children indented below.
void render(const FzFileInfo *record, int depth, QStringList *lines)
{
    lines->append(QString(depth * 2, ' ')
                  + QStringList({QString::fromStdString(record->GetTitle()),
                                 QString::fromStdString(record->GetName()),
                                 prop(record, "_Format"), prop(record, "_RelationToParent"),
                                 prop(record, "selected"), prop(record, "_OwnsChildren"),
                                 prop(record, "_BaseModified")})
                        .join(' ')
                        .simplified());
    for (const FzFileInfo *child : record->GetChildren())
        render(child, depth + 1, lines);
}

} // namespace

class TestCheckInRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QStandardPaths::setTestModeEnabled(true);
        for (const char *file : {"site.dwg", "parts/beam.DWG", "parts/bolt.dxf"})
            QVERIFY(DxfTest::copySample("ezdxf/geometry-r2018.dxf", path(file)));
        QImage picture(8, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(path("logo.png")));
        QVERIFY(DxfTest::writeBytes(path("plan.PDF"), "%PDF-1.4\n%%EOF\n"));
        FileDatabase database{QString()};
        database.recordExchange(path("parts/beam.DWG"), "V1", "AX-BEAM",
                                "2024/03/05@14:07:09:GMT", "ACAD Drawing");
        database.recordLocalSave(path("parts/beam.DWG"));
    }

    void namesFollowRowOrderAndKinds()
    {
        // site (new) > beam (known, changed) > bolt.dxf (new), logo (new), plan.PDF (new).
        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveTreeItem *site = row(&root, "site.dwg", SaveAction::SaveAsNew);
        SaveTreeItem *beam = row(site, "parts/beam.DWG", SaveAction::SaveChanges);
        beam->baseStamp = "2024/03/05@14:07:09:GMT";
        row(beam, "parts/bolt.dxf", SaveAction::SaveAsNew);
        row(site, "logo.png", SaveAction::SaveAsNew)->kind = ReferenceNode::RasterImage;
        row(site, "plan.PDF", SaveAction::SaveAsNew)->kind = ReferenceNode::PdfUnderlay;
        // beam referenced a second time.
        row(site, "parts/beam.DWG", SaveAction::SaveChanges)->baseStamp = beam->baseStamp;

        const FileDatabase database{QString()};
        CheckInRecords records(database, {"N1", "N2", "N3", "N4", "N5"}, m_home.tempFolder());
        FzFileInfo *top = records.buildCheckInRecord(site);
        QVERIFY2(top, qPrintable(records.errorString()));
        QStringList lines;
        render(top, 0, &lines);
        // The changed file keeps its name and carries the version it is based on.
        QCOMPARE(lines, QStringList({
                            "site.dwg N1 dwg true true",
                            "  site.jpg N1.jpg Image DerivedOutputOf true",
                            "  beam.DWG AX-BEAM dwg CADSubcomponent true true "
                            "2024/03/05@14:07:09:GMT",
                            "    beam.jpg AX-BEAM.jpg Image DerivedOutputOf true",
                            "    bolt.dxf N3 Image CADSubcomponent true false",
                            "  logo.png N4 Image CADSubcomponent true false",
                            "  plan.PDF N5 pdf CADSubcomponent true false",
                            // Sent once: the second reference neither owns nor is based.
                            "  beam.DWG AX-BEAM dwg CADSubcomponent true false",
                            "    beam.jpg AX-BEAM.jpg Image DerivedOutputOf true",
                        }));
        QCOMPARE(records.names(), QStringList({"N1", "AX-BEAM", "N3", "N4", "N5"}));
        QCOMPARE(prop(top->GetChildren().at(3), "type"), QString("pdf"));
        QCOMPARE(records.nameToPath().value("N3"), path("parts/bolt.dxf"));
        // Every preview exists where its record says, and rows learn their new names.
        const FzFileInfo *preview = top->GetChildren().at(0);
        QVERIFY(!QImage(QString::fromStdString(preview->GetPath())).isNull());
        QCOMPARE(prop(preview, "collabspace"), QString("Space A"));
        QCOMPARE(site->name, QString("N1"));

        // The name look-up after the check-in: one request per name, typed by suffix.
        const RecordList lookups = records.buildNameLookupRecords();
        QCOMPARE(int(lookups.size()), 5);
        QCOMPARE(prop(lookups.at(2), "type"), QString("ACAD Drawing"));
        QCOMPARE(prop(lookups.at(3), "type"), QString("ACAD Insert"));
    }

    void rowsNotSavedAreLeftOut()
    {
        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveTreeItem *site = row(&root, "site.dwg", SaveAction::DoNotSave);
        SaveTreeItem *beam = row(site, "parts/beam.DWG", SaveAction::DoNotSave);
        row(beam, "parts/bolt.dxf", SaveAction::SaveAsNew);
        row(site, "logo.png", SaveAction::SaveAsNew);
        // The same file twice is named once.
        row(site, "logo.png", SaveAction::SaveAsNew);

        const FileDatabase database{QString()};
        CheckInRecords records(database, {"N1", "N2"}, m_home.tempFolder());
        FzFileInfo *top = records.buildCheckInRecord(site);
        QVERIFY(top);
        QStringList lines;
        render(top, 0, &lines);
        QCOMPARE(lines, QStringList({
                            "site.dwg dwg false true",
                            "  logo.png N1 Image CADSubcomponent true false",
                            "  logo.png N1 Image CADSubcomponent true false",
                        }));
        QCOMPARE(records.names().first(), QString("N1"));
    }

    void fileDeletedAfterTheDialogOpenedStopsTheBuild()
    {
        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveTreeItem *site = row(&root, "site.dwg", SaveAction::SaveAsNew);
        row(site, "gone.png", SaveAction::SaveAsNew);
        const FileDatabase database{QString()};
        CheckInRecords records(database, {"N1", "N2"}, m_home.tempFolder());
        QVERIFY(!records.buildCheckInRecord(site));
        QVERIFY2(records.errorString().contains("gone.png")
                     && records.errorString().contains("no longer exists"),
                 qPrintable(records.errorString()));
    }

    void stoppedCheckInStoresNothing_data()
    {
        QTest::addColumn<double>("failAt");   // share of the bytes sent when the link drops
        QTest::addColumn<double>("cancelAt"); // share sent when the user cancels
        QTest::newRow("dropped at the first byte") << 0.0 << -1.0;
        QTest::newRow("dropped at the last chunk") << 0.99 << -1.0;
        QTest::newRow("cancelled half-way") << -1.0 << 0.5;
    }

    void stoppedCheckInStoresNothing()
    {
        QFETCH(double, failAt);
        QFETCH(double, cancelAt);
        const qint64 total = checkInBytes();
        PlatformDouble platform;
        platform.failAtByte(failAt < 0 ? -1 : qint64(failAt * total));
        platform.hangAtByte(cancelAt < 0 ? -1 : qint64(cancelAt * total));
        const QByteArray databaseBefore = DxfTest::readBytes(FileDatabase::locationFor(QString()));

        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveCheckIn job(&platform, QString(), "alice", m_home.tempFolder());
        job.setRows(*siteWithLogo(&root), 2);
        runToEnd(job, platform, cancelAt >= 0);

        QCOMPARE(job.error(), int(cancelAt >= 0 ? AurexJob::KilledError : AurexJob::WorkError));
        QCOMPARE(platform.checkInCount(), 0);
        QVERIFY(platform.content("site.dwg").isNull());
        QCOMPARE(DxfTest::readBytes(FileDatabase::locationFor(QString())), databaseBefore);
    }

    // The names and versions of a bare answer are asked for (the dialog's test sees a full one).
    void completedCheckInRecordsEverySavedFile()
    {
        PlatformDouble platform;
        platform.setCheckInAnswered(false);
        QFile::remove(FileDatabase::locationFor(QString()));
        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveTreeItem *site = siteWithLogo(&root);
        SaveCheckIn job(&platform, QString(), "alice", m_home.tempFolder());
        job.setRows(*site, 2);
        runToEnd(job, platform, false);
        QVERIFY2(job.error() == AurexJob::NoError, qPrintable(job.errorString()));
        QCOMPARE(platform.checkInCount(), 1);
        QCOMPARE(platform.content("logo.png"), DxfTest::readBytes(path("logo.png")));
        // The dialog's rows were copied, not changed: they learn names only from the dialog.
        QVERIFY(site->name.isEmpty());
        const FileDatabase database{QString()};
        for (const char *file : {"site.dwg", "logo.png"}) {
            const QString name = database.entryValue(FileDatabase::keyForPath(path(file)), "name");
            QVERIFY2(name.startsWith("AX"), file);
            const std::unique_ptr<FzFileInfo> stored = platform.recordOf(file);
            QCOMPARE(stored->GetProperty("name"), name.toStdString());
            QCOMPARE(database.entryValue(FileDatabase::keyForPath(path(file)), "updatestamp")
                         .toStdString(),
                     stored->GetProperty("_filemodified"));
        }
    }

    void aSaveSentAgainAfterALostAnswerIsNotStoredTwice_data()
    {
        QTest::addColumn<bool>("changedSince"); // site.dwg was saved again after the sending
        QTest::newRow("unchanged") << false;
        QTest::newRow("changed again") << true;
    }

    // The platform stored a save, and the host was stopped before this computer recorded it:
    // the same rows, sent again from the outbox, are refused over site.dwg's newer version.
    void aSaveSentAgainAfterALostAnswerIsNotStoredTwice()
    {
        QFETCH(bool, changedSince);
        PlatformDouble platform;
        QFile::remove(FileDatabase::locationFor(QString()));
        const QString site = platform.addObject("site.dwg", DxfTest::readBytes(path("site.dwg")));
        {
            FileDatabase database{QString()};
            database.recordExchange(FileDatabase::keyForPath(path("site.dwg")), site, site,
                                    platform.recordOf("site.dwg")->GetProperty("_filemodified")
                                        .c_str(),
                                    "drawing");
            QVERIFY(database.save());
        }
        const QByteArray unrecorded = DxfTest::readBytes(FileDatabase::locationFor(QString()));
        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveTreeItem *siteRow = row(&root, "site.dwg", SaveAction::SaveChanges);
        siteRow->name = site;
        siteRow->baseStamp = QString::fromStdString(
            platform.recordOf("site.dwg")->GetProperty("_filemodified"));
        SaveTreeItem *logo = row(siteRow, "logo.png", SaveAction::SaveAsNew);
        logo->reservedName = "AX-LOGO";
        SaveCheckIn first(&platform, QString(), "alice", m_home.tempFolder());
        first.setRows(*siteRow, 2);
        runToEnd(first, platform, false);
        QVERIFY2(first.error() == AurexJob::NoError, qPrintable(first.errorString()));
        QVERIFY(DxfTest::writeBytes(FileDatabase::locationFor(QString()), unrecorded));
        const QByteArray sent = DxfTest::readBytes(path("site.dwg"));
        if (changedSince)
            QVERIFY(DxfTest::writeBytes(path("site.dwg"), sent + "999\nagain\n"));

        SaveCheckIn again(&platform, QString(), "alice", m_home.tempFolder());
        again.setRows(*siteRow, 2);
        runToEnd(again, platform, false);
        QCOMPARE(again.error(), int(AurexJob::WorkError));
        // What the platform has as sent is recorded and not sent again; a file changed since
        // stays a change on an older version, for the user to decide.
        QCOMPARE(again.recordDeliveredAlready(siteRow, QString()), changedSince ? 1 : 2);
        QCOMPARE(logo->action, SaveAction::SaveChanges);
        QCOMPARE(siteRow->hasLocalChanges, changedSince);
        QCOMPARE(FileDatabase(QString()).hasLocalChanges(path("logo.png")), false);
        QCOMPARE(platform.checkInCount(), 1);
        QCOMPARE(platform.content("logo.png"), DxfTest::readBytes(path("logo.png")));
        if (changedSince) {
            QVERIFY(!again.explainRefusal(siteRow).isEmpty());
            QVERIFY(DxfTest::writeBytes(path("site.dwg"), sent));
        }
    }

    void checkInTheDatabaseCannotRecordIsAnError()
    {
        PlatformDouble platform;
        // Where the database would be stands a folder: it can be neither read nor written.
        const QString location = FileDatabase::locationFor(QString());
        QFile::remove(location);
        QVERIFY(QDir().mkpath(location));
        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveCheckIn job(&platform, QString(), "alice", m_home.tempFolder());
        job.setRows(*siteWithLogo(&root), 2);
        runToEnd(job, platform, false);
        QVERIFY(QDir(location).removeRecursively());

        // The platform has the files, and the user hears that this computer does not know it.
        QCOMPARE(platform.checkInCount(), 1);
        QCOMPARE(job.error(), int(AurexJob::WorkError));
        QVERIFY2(job.errorString().contains("site.dwg"), qPrintable(job.errorString()));
        QVERIFY2(job.errorString().contains("logo.png"), qPrintable(job.errorString()));
    }

private:
    QString path(const QString &relative) const { return m_home.filePath("work/" + relative); }

    // site.dwg with logo.png below it, both new, under root.
    SaveTreeItem *siteWithLogo(SaveTreeItem *root)
    {
        SaveTreeItem *site = row(root, "site.dwg", SaveAction::SaveAsNew);
        row(site, "logo.png", SaveAction::SaveAsNew);
        return site;
    }

    // Runs job until its work has ended; cancels it when the platform stops at its hanging byte.
    static void runToEnd(SaveCheckIn &job, const PlatformDouble &platform, bool cancel)
    {
        QSignalSpy ended(&job, &AurexJob::result);
        job.start();
        if (cancel) {
            QTRY_VERIFY_WITH_TIMEOUT(platform.isHanging(), 10000);
            QVERIFY(job.kill());
        }
        QVERIFY(ended.count() == 1 || ended.wait(10000));
        QVERIFY(job.waitForWork(10000));
    }

    // At least what a check-in of site.dwg with logo.png sends: both files (and a preview).
    qint64 checkInBytes() const
    {
        return QFileInfo(path("site.dwg")).size() + QFileInfo(path("logo.png")).size();
    }

    SaveTreeItem *row(SaveTreeItem *parent, const QString &relative, SaveAction action)
    {
        SaveTreeItem *item = parent->appendChild(path(relative), QFileInfo(relative).fileName());
        item->action = action;
        item->collabSpace = "Space A";
        return item;
    }

    TestHome m_home;
};

QTEST_MAIN(TestCheckInRecords)
#include "tst_checkinrecords.moc"
