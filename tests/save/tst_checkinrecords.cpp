// The record tree of a check-in built from dialog rows: names in row order, formats and
// relations by file kind, previews, title blocks, rows left out, the version local changes are
// based on; and the check-in job, which stores all or nothing when the transfer drops or is
// cancelled, and sends title blocks as the platform's mapping says.

#include "dxftesthelpers.h"
#include "platformdouble.h"
#include "testhome.h"

#include "save/checkinrecords.h"
#include "save/savecheckin.h"
#include "save/savetreeitem.h"
#include "save/titleblockfields.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include <QImage>
#include <QtTest>

namespace {

QString prop(const FzFileInfo *record, const char *key)
{
    return QString::fromStdString(record->GetProperty(key));
}

// "title name format relation selected ownsChildren [base version][ | title block]", children
// indented below; the title block's properties "key=value" in a fixed order.
QStringList render(const FzFileInfo *record, int depth = 0)
{
    QStringList titleBlock;
    for (const char *key : {"_DrawingNumber", "_DrawingTitle", "_DrawingRevision",
                            "_DrawingSheet"}) {
        if (record->HasProperty(key))
            titleBlock << QString::fromLatin1(key) + '=' + prop(record, key);
    }
    QStringList lines{QString(depth * 2, ' ')
                      + QStringList({QString::fromStdString(record->GetTitle()),
                                     QString::fromStdString(record->GetName()),
                                     prop(record, "_Format"), prop(record, "_RelationToParent"),
                                     prop(record, "selected"), prop(record, "_OwnsChildren"),
                                     prop(record, "_BaseModified")})
                            .join(' ')
                            .simplified()
                      + (titleBlock.isEmpty() ? "" : " | " + titleBlock.join("; "))};
    for (const FzFileInfo *child : record->GetChildren())
        lines += render(child, depth + 1);
    return lines;
}

// A mapping from "number:TAG,TAG" lines; a property left out maps no tag.
TitleBlockMapping mappingOf(const QStringList &lines)
{
    QList<QPair<QString, QStringList>> properties;
    for (const QString &line : lines) {
        const QString tags = line.section(':', 1);
        properties.append({line.section(':', 0, 0), tags.isEmpty() ? QStringList()
                                                                   : tags.split(',')});
    }
    return TitleBlockMapping::fromPlatform(properties);
}

QStringList rendered(const TitleBlockFields::Fields &fields)
{
    QStringList lines;
    for (const auto &field : fields)
        lines << QString::fromLatin1(field.first) + '=' + field.second;
    return lines;
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
        // A platform that goes silent is given up after a second.
        qputenv("AUREX_PLATFORM_SILENCE_SECONDS", "1");
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

    void init() { m_root = std::make_unique<SaveTreeItem>(QString(), "saveitemrootdata", nullptr); }
    // A check-in still running after a failed check is cancelled before the next test.
    void cleanup() { m_job.reset(); }

    // Drawings of one name in two folders each send their own picture under that name.
    void namesFollowRowOrderAndKinds()
    {
        // site (new) > beam (known, changed) > bolt.dxf (new), logo (new), plan.PDF (new),
        // beam again, and another site.dwg (new) with a picture of its own.
        QVERIFY(DxfTest::copySample("ezdxf/thumbnail-r2013.dxf", path("other/site.dwg")));
        SaveTreeItem *site = row(m_root.get(), "site.dwg", SaveAction::SaveAsNew);
        SaveTreeItem *beam = row(site, "parts/beam.DWG", SaveAction::SaveChanges);
        beam->baseStamp = "2024/03/05@14:07:09:GMT";
        row(beam, "parts/bolt.dxf", SaveAction::SaveAsNew);
        row(site, "logo.png", SaveAction::SaveAsNew)->kind = ReferenceNode::RasterImage;
        row(site, "plan.PDF", SaveAction::SaveAsNew)->kind = ReferenceNode::PdfUnderlay;
        row(site, "parts/beam.DWG", SaveAction::SaveChanges)->baseStamp = beam->baseStamp;
        row(site, "other/site.dwg", SaveAction::SaveAsNew);

        const FileDatabase database{QString()};
        CheckInRecords records(database, {"N1", "N2", "N3", "N4", "N5", "N6"},
                               m_home.tempFolder());
        FzFileInfo *top = records.buildCheckInRecord(site);
        QVERIFY2(top, qPrintable(records.errorString()));
        // The changed file keeps its name and carries the version it is based on.
        QCOMPARE(render(top), QStringList({
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
                                  "  site.dwg N6 dwg CADSubcomponent true false",
                                  "    site.jpg N6.jpg Image DerivedOutputOf true",
                              }));
        QCOMPARE(records.names(), QStringList({"N1", "AX-BEAM", "N3", "N4", "N5", "N6"}));
        QCOMPARE(prop(top->GetChildren().at(3), "type"), QString("pdf"));
        QCOMPARE(records.nameToPath().value("N3"), path("parts/bolt.dxf"));
        // Every preview exists where its record says, a picture of its own drawing, and rows
        // learn their new names.
        const FzFileInfo *preview = top->GetChildren().at(0);
        const QByteArray picture = DxfTest::readBytes(QString::fromStdString(preview->GetPath()));
        QVERIFY(!QImage::fromData(picture).isNull());
        QVERIFY(picture != DxfTest::readBytes(QString::fromStdString(
                               top->GetChildren().at(5)->GetChildren().at(0)->GetPath())));
        QCOMPARE(prop(preview, "collabspace"), QString("Space A"));
        QCOMPARE(site->name, QString("N1"));

        // The name look-up after the check-in: one request per name, typed by suffix.
        QStringList types;
        for (const FzFileInfo *lookup : records.buildNameLookupRecords())
            types << prop(lookup, "type");
        QCOMPARE(types, QStringList({"ACAD Drawing", "ACAD Drawing", "ACAD Drawing",
                                     "ACAD Insert", "ACAD Insert", "ACAD Drawing"}));
    }

    void rowsNotSavedAreLeftOut()
    {
        SaveTreeItem *site = row(m_root.get(), "site.dwg", SaveAction::DoNotSave);
        SaveTreeItem *beam = row(site, "parts/beam.DWG", SaveAction::DoNotSave);
        row(beam, "parts/bolt.dxf", SaveAction::SaveAsNew);
        row(site, "logo.png", SaveAction::SaveAsNew);
        // The same file twice is named once.
        row(site, "logo.png", SaveAction::SaveAsNew);
        // A file deleted after the dialog opened stops the build until it is left out.
        SaveTreeItem *gone = row(site, "gone.png", SaveAction::SaveAsNew);

        const FileDatabase database{QString()};
        CheckInRecords stopped(database, {"N1", "N2"}, m_home.tempFolder());
        QVERIFY(!stopped.buildCheckInRecord(site));
        QVERIFY2(stopped.errorString().contains("gone.png no longer exists"),
                 qPrintable(stopped.errorString()));
        gone->action = SaveAction::DoNotSave;
        CheckInRecords records(database, {"N1", "N2"}, m_home.tempFolder());
        FzFileInfo *top = records.buildCheckInRecord(site);
        QVERIFY2(top, qPrintable(records.errorString()));
        QCOMPARE(render(top), QStringList({
                                  "site.dwg dwg false true",
                                  "  logo.png N1 Image CADSubcomponent true false",
                                  "  logo.png N1 Image CADSubcomponent true false",
                              }));
        QCOMPARE(records.names().first(), QString("N1"));
        // Only what was sent is asked for by name afterwards: the platform's record of a known
        // file left as it was (a colleague's newer version, maybe) is not taken for its copy's.
        SaveTreeItem *again = row(m_root.get(), "site.dwg", SaveAction::SaveAsNew);
        SaveTreeItem *kept = row(again, "parts/beam.DWG", SaveAction::SaveChanges);
        kept->hasLocalChanges = false;
        kept->baseStamp = "2024/03/05@14:07:09:GMT";
        CheckInRecords sent(database, {"N7"}, m_home.tempFolder());
        QVERIFY2(sent.buildCheckInRecord(again), qPrintable(sent.errorString()));
        QStringList looked;
        for (const FzFileInfo *lookup : sent.buildNameLookupRecords())
            looked << prop(lookup, "name");
        QCOMPARE(looked, QStringList{"N7"});
    }

    void stoppedCheckInStoresNothing_data()
    {
        QTest::addColumn<double>("failAt"); // share of the bytes sent when the link drops
        QTest::addColumn<double>("hangAt"); // share sent when the platform goes silent
        QTest::addColumn<bool>("cancels");  // the user cancels then; else the job gives up
        QTest::addColumn<int>("error");
        const int dropped = AurexJob::WorkError;
        QTest::newRow("dropped at the first byte") << 0.0 << -1.0 << false << dropped;
        QTest::newRow("dropped at the last chunk") << 0.99 << -1.0 << false << dropped;
        QTest::newRow("cancelled half-way") << -1.0 << 0.5 << true << int(AurexJob::KilledError);
        QTest::newRow("silent half-way") << -1.0 << 0.5 << false << int(AurexJob::TimedOutError);
    }

    void stoppedCheckInStoresNothing()
    {
        QFETCH(double, failAt);
        QFETCH(double, hangAt);
        QFETCH(bool, cancels);
        QFETCH(int, error);
        // At least what a check-in of site.dwg with logo.png sends: both files (and a preview).
        const qint64 total =
            QFileInfo(path("site.dwg")).size() + QFileInfo(path("logo.png")).size();
        PlatformDouble platform;
        platform.failAtByte(failAt < 0 ? -1 : qint64(failAt * total));
        platform.hangAtByte(hangAt < 0 ? -1 : qint64(hangAt * total));
        const QByteArray databaseBefore = DxfTest::readBytes(FileDatabase::locationFor(QString()));

        send(platform, *siteWithLogo(), cancels);
        QCOMPARE(m_job->error(), error);
        // While it went, the transfer box named the drawing being saved and counted its files.
        if (cancels)
            QCOMPARE(m_progressWhileSending.currentName + ' '
                         + QString::number(m_progressWhileSending.totalFiles),
                     QString("site.dwg 2"));
        if (error == AurexJob::TimedOutError)
            QCOMPARE(m_job->errorString(),
                     QString("The AUREX Platform did not answer for 1 second."));
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
        SaveTreeItem *site = siteWithLogo();
        send(platform, *site);
        QVERIFY2(m_job->error() == AurexJob::NoError, qPrintable(m_job->errorString()));
        QCOMPARE(platform.checkInCount(), 1);
        QCOMPARE(platform.content("logo.png"), DxfTest::readBytes(path("logo.png")));
        // The lists show the very preview the platform got.
        QVERIFY(!platform.content("site.jpg").isEmpty());
        QCOMPARE(DxfTest::readBytes(drawingPreviewPath(path("site.dwg"))),
                 platform.content("site.jpg"));
        // The dialog's rows were copied, not changed: they learn names only from the dialog.
        QVERIFY(site->name.isEmpty());
        const FileDatabase database{QString()};
        for (const char *file : {"site.dwg", "logo.png"}) {
            const QString key = FileDatabase::keyForPath(path(file));
            const std::unique_ptr<FzFileInfo> stored = platform.recordOf(file);
            QVERIFY2(database.entryValue(key, "name").startsWith("AX"), file);
            QCOMPARE(database.entryValue(key, "name").toStdString(), stored->GetProperty("name"));
            QCOMPARE(database.entryValue(key, "updatestamp").toStdString(),
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
        const QString stamp = QString::fromStdString(
            platform.recordOf("site.dwg")->GetProperty("_filemodified"));
        {
            FileDatabase database{QString()};
            database.recordExchange(FileDatabase::keyForPath(path("site.dwg")), site, site, stamp,
                                    "drawing");
            QVERIFY(database.save());
        }
        const QByteArray unrecorded = DxfTest::readBytes(FileDatabase::locationFor(QString()));
        SaveTreeItem *siteRow = row(m_root.get(), "site.dwg", SaveAction::SaveChanges);
        siteRow->name = site;
        siteRow->baseStamp = stamp;
        SaveTreeItem *logo = row(siteRow, "logo.png", SaveAction::SaveAsNew);
        logo->reservedName = "AX-LOGO";
        send(platform, *siteRow);
        QVERIFY2(m_job->error() == AurexJob::NoError, qPrintable(m_job->errorString()));
        QVERIFY(DxfTest::writeBytes(FileDatabase::locationFor(QString()), unrecorded));
        const QByteArray sent = DxfTest::readBytes(path("site.dwg"));
        if (changedSince)
            QVERIFY(DxfTest::writeBytes(path("site.dwg"), sent + "999\nagain\n"));

        // The same rows sent again.
        send(platform, *siteRow);
        QCOMPARE(m_job->error(), int(AurexJob::WorkError));
        // What the platform has as sent is recorded and not sent again; a file changed since
        // stays a change on an older version, for the user to decide.
        QCOMPARE(m_job->markDeliveredAlready(siteRow), changedSince ? 1 : 2);
        QCOMPARE(logo->action, SaveAction::SaveChanges);
        QCOMPARE(siteRow->hasLocalChanges, changedSince);
        QCOMPARE(FileDatabase(QString()).hasLocalChanges(path("logo.png")), false);
        QCOMPARE(platform.checkInCount(), 1);
        QCOMPARE(platform.content("logo.png"), DxfTest::readBytes(path("logo.png")));
        if (changedSince) {
            const QStringList reasons = m_job->explainRefusal(siteRow);
            QCOMPARE(reasons.size(), 1);
            QVERIFY2(reasons.first().contains("was changed on the platform"),
                     qPrintable(reasons.first()));
            // The row now offers to overwrite the platform's version, or to leave it out.
            QCOMPARE(QList<bool>({siteRow->existsOnServer, siteRow->hasError}),
                     QList<bool>({true, true}));
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
        send(platform, *siteWithLogo());
        QVERIFY(QDir(location).removeRecursively());

        // The platform has the files, and the user hears that this computer does not know it.
        QCOMPARE(platform.checkInCount(), 1);
        QCOMPARE(m_job->error(), int(AurexJob::WorkError));
        QVERIFY2(m_job->errorString().contains("site.dwg"), qPrintable(m_job->errorString()));
        QVERIFY2(m_job->errorString().contains("logo.png"), qPrintable(m_job->errorString()));
    }

    // What a title block gives the platform: the mapping's preferred tag first, the first value
    // in the drawing's order that says something, as plain text, at most 1,024 characters.
    void titleBlockFieldsFollowTheMapping_data()
    {
        QTest::addColumn<QStringList>("attributes"); // "TAG=value", in the drawing's order
        QTest::addColumn<QStringList>("mapping");    // empty: the usual one
        QTest::addColumn<QStringList>("expected");
        const QStringList usual;
        QTest::newRow("usual tags")
            << QStringList{"SHEET=2 of 5", "REV=C", "TITLE=Deck, general arrangement",
                           "DWG_NO=BR-204-S", "SCALE=1:50"}
            << usual
            << QStringList{"_DrawingNumber=BR-204-S", "_DrawingTitle=Deck, general arrangement",
                           "_DrawingRevision=C", "_DrawingSheet=2 of 5"};
        QTest::newRow("preferred tag wins over an earlier one")
            << QStringList{"NUMBER=N-7", "REVISION=4", "DWG_NO=D-1", "REV=B"} << usual
            << QStringList{"_DrawingNumber=D-1", "_DrawingRevision=B"};
        QTest::newRow("tags in any case, empty values passed over")
            << QStringList{"dwg_no=", "Dwg_No=   ", "dwg_no=Q-3", "dwg_title=Quay"} << usual
            << QStringList{"_DrawingNumber=Q-3", "_DrawingTitle=Quay"};
        QTest::newRow("special codes and control characters")
            << QStringList{"TITLE=%%UPlan%%u at 90%%d,\t%%p5 %%c20\r\n100%%% north\u202Eup",
                           "DWG_NO=\u0007A-1\u001F"}
            << usual
            << QStringList{"_DrawingNumber=A-1",
                           QString::fromUtf8("_DrawingTitle=Plan at 90\u00B0, \u00B15 "
                                             "\u230020 100% northup")};
        QTest::newRow("administrator's own tags")
            << QStringList{"DWG_NO=D-1", "PROJ_NO=P-9", "NAME=Tower"}
            << QStringList{"number:PROJ_NO", "title:NAME,TITLE"}
            << QStringList{"_DrawingNumber=P-9", "_DrawingTitle=Tower"};
        QTest::newRow("a property mapped to no tag")
            << QStringList{"DWG_NO=D-1", "TITLE=Tower"} << QStringList{"number:", "title:TITLE"}
            << QStringList{"_DrawingTitle=Tower"};
        QTest::newRow("no attributes") << QStringList() << usual << QStringList();
        QTest::newRow("long values cut, never inside a character")
            << QStringList{"TITLE=" + QString(1030, 'x'),
                           "DWG_NO=" + QString(1023, 'n') + QString::fromUtf8("\U0001F600")}
            << usual
            << QStringList{"_DrawingNumber=" + QString(1023, 'n'),
                           "_DrawingTitle=" + QString(1024, 'x')};
    }

    void titleBlockFieldsFollowTheMapping()
    {
        QFETCH(QStringList, attributes);
        QFETCH(QStringList, mapping);
        QFETCH(QStringList, expected);
        QVector<DxfAttributes::Attribute> list;
        for (const QString &attribute : attributes) {
            DxfAttributes::Attribute read;
            read.block = "TITLE-A3";
            read.tag = attribute.section('=', 0, 0);
            read.value = attribute.section('=', 1);
            list.append(read);
        }
        const TitleBlockMapping used =
            mapping.isEmpty() ? TitleBlockMapping::usual() : mappingOf(mapping);
        QCOMPARE(rendered(TitleBlockFields::fromAttributes(list, used)), expected);
    }

    // Drawings another program wrote, code pages and layouts among them; a drawing without a
    // title block and a file that is no readable drawing say nothing.
    void titleBlocksOfDrawingsFromElsewhere()
    {
        const QString folder = generatedTitleBlocks();
        QVERIFY(!folder.isEmpty());
        QVERIFY(DxfTest::writeBytes(folder + "/binary.dwg", QByteArray("AC1032\0\x01\x02", 9)));
        const TitleBlockMapping mapping =
            mappingOf({"number:NUMBER", "title:TITLE", "sheet:DRAWN"});
        QString notes; // the long value the script writes: 110 notes, 1,210 characters
        for (int i = 0; i < 110; ++i)
            notes += QString::asprintf("note %04d; ", i);
        QMap<QString, QStringList> read;
        for (const char *file : {"layouts-r2018.dxf", "texts-r2000-cp1251.dxf", "none-r2013.dxf",
                                 "binary.dwg"})
            read.insert(file, rendered(TitleBlockFields::ofDrawing(folder + '/' + file, mapping)));
        const QMap<QString, QStringList> expected{
            {"layouts-r2018.dxf",
             {"_DrawingNumber=A-101", "_DrawingTitle=Ground floor",
              QString::fromUtf8("_DrawingSheet=K. Weiß")}},
            {"texts-r2000-cp1251.dxf",
             {QString::fromUtf8("_DrawingNumber=№ 17 – €"),
              QString::fromUtf8("_DrawingTitle=Чертёж общего вида"),
              "_DrawingSheet=" + notes.left(1024)}},
            {"none-r2013.dxf", {}},
            {"binary.dwg", {}},
        };
        QCOMPARE(read, expected);
    }

    // Every drawing sent carries its title block (DXF references, which get no preview, too);
    // a drawing left out carries nothing of its own.
    void sentDrawingsCarryTheirTitleBlocks()
    {
        const QString folder = generatedTitleBlocks();
        QVERIFY(!folder.isEmpty());
        for (const auto &[file, sample] : {std::pair{"site.dwg", "layouts-r2000.dxf"},
                                           {"sub.dxf", "texts-r2018.dxf"},
                                           {"kept.dxf", "layouts-r2018.dxf"}})
            QVERIFY(DxfTest::writeBytes(path(QString("tb/") + file),
                                        DxfTest::readBytes(folder + '/' + sample)));
        SaveTreeItem *site = row(m_root.get(), "tb/site.dwg", SaveAction::SaveAsNew);
        row(site, "tb/sub.dxf", SaveAction::SaveAsNew);
        row(site, "logo.png", SaveAction::SaveAsNew);
        SaveTreeItem *kept = row(site, "tb/kept.dxf", SaveAction::DoNotSave);
        kept->leftOutByItself = true;
        const FileDatabase database{QString()};
        CheckInRecords records(database, {"N1", "N2", "N3"}, m_home.tempFolder());
        records.setTitleBlockMapping(TitleBlockMapping::usual());
        const FzFileInfo *top = records.buildCheckInRecord(site);
        QVERIFY2(top, qPrintable(records.errorString()));
        QCOMPARE(render(top),
                 QStringList({"site.dwg N1 dwg true true | _DrawingNumber=A-101; "
                              "_DrawingTitle=Ground floor",
                              "  site.jpg N1.jpg Image DerivedOutputOf true",
                              QString::fromUtf8("  sub.dxf N2 Image CADSubcomponent true false | "
                                                "_DrawingNumber=№ 17 – €; "
                                                "_DrawingTitle=Чертёж общего вида"),
                              "  logo.png N3 Image CADSubcomponent true false",
                              "  kept.dxf Image CADSubcomponent false false"}));
    }

    // The check-in reads title blocks by the mapping the platform keeps for the tenant.
    void theCheckInSendsTitleBlocksByThePlatformsMapping()
    {
        const QString folder = generatedTitleBlocks();
        QVERIFY(!folder.isEmpty());
        QVERIFY(DxfTest::writeBytes(path("mapped/site.dwg"), DxfTest::readBytes(folder + "/layouts-r2018.dxf")));
        PlatformDouble platform;
        platform.setTitleBlockMapping(mappingOf({"number:DRAWN", "revision:TITLE"}));
        SaveTreeItem *site = row(m_root.get(), "mapped/site.dwg", SaveAction::SaveAsNew);
        row(site, "logo.png", SaveAction::SaveAsNew);
        send(platform, *site);
        QVERIFY2(m_job->error() == AurexJob::NoError, qPrintable(m_job->errorString()));
        const QMap<QString, QString> expected{
            {"_DrawingNumber", QString::fromUtf8("K. Weiß")},
            {"_DrawingRevision", "Ground floor"}};
        QCOMPARE(platform.titleBlockOf("site.dwg"), expected);
        QCOMPARE(platform.titleBlockOf("logo.png"), (QMap<QString, QString>()));
    }

private:
    // The drawings make_attribute_samples.py writes, made once per run; "" when it failed.
    QString generatedTitleBlocks()
    {
        const QString folder = m_home.filePath("title-blocks");
        if (QFileInfo::exists(folder + "/none-r2013.dxf"))
            return folder;
        QDir().mkpath(folder);
        const QJsonObject report =
            DxfTest::pythonReport({AUREX_ATTRIBUTE_SAMPLES, folder});
        if (report.contains("processError")) {
            qWarning() << report.value("processError").toString();
            return QString();
        }
        return folder;
    }

    QString path(const QString &relative) const { return m_home.filePath("work/" + relative); }

    // site.dwg with logo.png below it, both new.
    SaveTreeItem *siteWithLogo()
    {
        SaveTreeItem *site = row(m_root.get(), "site.dwg", SaveAction::SaveAsNew);
        row(site, "logo.png", SaveAction::SaveAsNew);
        return site;
    }

    // Checks in rows (two of them to save) as alice in m_job and runs it until its work has
    // ended; with cancel, cancels it when the platform stops at its hanging byte.
    void send(PlatformDouble &platform, SaveTreeItem &rows, bool cancel = false)
    {
        m_job = std::make_unique<SaveCheckIn>(&platform, QString(), "alice", m_home.tempFolder());
        m_job->setRows(rows, 2);
        QSignalSpy ended(m_job.get(), &AurexJob::result);
        m_job->start();
        if (cancel) {
            QTRY_VERIFY_WITH_TIMEOUT(platform.isHanging(), 10000);
            m_progressWhileSending = m_job->progress();
            QVERIFY(m_job->kill());
        }
        QVERIFY(ended.count() == 1 || ended.wait(10000));
        QVERIFY(m_job->waitForWork(10000));
    }

    SaveTreeItem *row(SaveTreeItem *parent, const QString &relative, SaveAction action)
    {
        SaveTreeItem *item = parent->appendChild(path(relative), QFileInfo(relative).fileName());
        item->action = action;
        item->collabSpace = "Space A";
        return item;
    }

    TestHome m_home;
    std::unique_ptr<SaveTreeItem> m_root; // a fresh root above each test's rows
    std::unique_ptr<SaveCheckIn> m_job;   // the check-in sent last
    JobProgress m_progressWhileSending;   // of the cancelled check-in, as the platform hung
};

QTEST_MAIN(TestCheckInRecords)
#include "tst_checkinrecords.moc"
