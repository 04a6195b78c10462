// The record tree of a check-in built from dialog rows: names in row order, formats and
// relations by file kind, previews, rows left out, the version local changes are based on.

#include "dxftesthelpers.h"
#include "testhome.h"

#include "save/checkinrecords.h"
#include "save/savetreeitem.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QtTest>

namespace {

QString prop(const FzFileInfo *record, const char *key)
{
    return QString::fromStdString(record->GetProperty(key));
}

// "title name format relation selected ownsChildren", children indented below.
void render(const FzFileInfo *record, int depth, QStringList *lines)
{
    lines->append(QString(depth * 2, ' ')
                  + QStringList({QString::fromStdString(record->GetTitle()),
                                 QString::fromStdString(record->GetName()),
                                 prop(record, "_Format"), prop(record, "_RelationToParent"),
                                 prop(record, "selected"), prop(record, "_OwnsChildren")})
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

        const FileDatabase database{QString()};
        CheckInRecords records(database, {"N1", "N2", "N3", "N4", "N5"}, m_home.tempFolder());
        FzFileInfo *top = records.buildCheckInRecord(site);
        QVERIFY2(top, qPrintable(records.errorString()));
        QStringList lines;
        render(top, 0, &lines);
        QCOMPARE(lines, QStringList({
                            "site.dwg N1 dwg true true",
                            "  site.jpg N1.jpg Image DerivedOutputOf true",
                            "  beam.DWG AX-BEAM dwg CADSubcomponent true true",
                            "    beam.jpg AX-BEAM.jpg Image DerivedOutputOf true",
                            "    bolt.dxf N3 Image CADSubcomponent true false",
                            "  logo.png N4 Image CADSubcomponent true false",
                            "  plan.PDF N5 pdf CADSubcomponent true false",
                        }));
        // The changed file replaced the name at its place and carries the version it is based on.
        QCOMPARE(records.names(), QStringList({"N1", "AX-BEAM", "N3", "N4", "N5"}));
        QCOMPARE(prop(top->GetChildren().at(1), "_BaseModified"), QString("2024/03/05@14:07:09:GMT"));
        QVERIFY(!top->HasProperty("_BaseModified"));
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

    void missingFilesAndPreviewsStopTheBuild_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("deleted after the dialog opened") << "gone.png" << "no longer exists";
        QTest::newRow("drawing without a preview") << "logo.dwg" << "preview";
    }

    void missingFilesAndPreviewsStopTheBuild()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        // A picture named .dwg is no drawing: it has no preview.
        QVERIFY(QFile::copy(path("logo.png"), path("logo.dwg")) || QFile::exists(path("logo.dwg")));
        SaveTreeItem root(QString(), "saveitemrootdata", nullptr);
        SaveTreeItem *site = row(&root, "site.dwg", SaveAction::SaveAsNew);
        row(site, file, SaveAction::SaveAsNew);
        const FileDatabase database{QString()};
        CheckInRecords records(database, {"N1", "N2"}, m_home.tempFolder());
        QVERIFY(!records.buildCheckInRecord(site));
        QVERIFY2(records.errorString().contains(message), qPrintable(records.errorString()));
        QVERIFY(records.errorString().contains(file));
    }

private:
    QString path(const QString &relative) const { return m_home.filePath("work/" + relative); }

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
