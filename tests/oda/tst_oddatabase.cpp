#include "dxfdefinitions.h"
#include "dxfdocument.h"
#include "dxftesthelpers.h"
#include "dxfxrefs.h"
#include "oddbblocktable.h"
#include "oddbblocktablerecord.h"
#include "oddbdatabase.h"
#include "oddbdictionary.h"
#include "oddbdictionaryiterator.h"
#include "oddbhostappservices.h"
#include "oddbpdfdefinition.h"
#include "oddbqt.h"
#include "oddbrasterimagedef.h"
#include "oddbxrefgraph.h"
#include "oddbxrefman.h"
#include "oderror.h"

#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include <future>

namespace {

// The sample reference set under dir/refs: host.dxf with parts/bolt.dwg and parts/nut.dxf;
// logo.png and plan.pdf beside the host unless left out.
void copyReferenceSet(const QTemporaryDir &dir, bool withFiles = true)
{
    for (const char *file : {"refs/host.dxf", "refs/parts/bolt.dwg", "refs/parts/nut.dxf"})
        QVERIFY(DxfTest::copySample(QStringLiteral("ezdxf/") + file, dir.filePath(file)));
    if (withFiles) {
        QImage logo(8, 4, QImage::Format_RGB32);
        logo.fill(Qt::green);
        QVERIFY(logo.save(dir.filePath("refs/logo.png")));
        QVERIFY(DxfTest::writeBytes(dir.filePath("refs/plan.pdf"),
                                    "%PDF-1.4\n1 0 obj <<>> endobj\ntrailer <<>>\n%%EOF\n"));
    }
}

QStringList outNames(OdDbXrefGraphNode *node)
{
    QStringList names;
    for (int i = 0; i < node->numOut(); ++i)
        names.append(toQString(node->out(i)->name()));
    return names;
}

OdDbDictionaryPtr namedDictionary(OdDbDatabase *db, const char *name)
{
    OdDbDictionaryPtr root = OdDbDictionary::cast(
        db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForRead));
    return root ? OdDbDictionary::cast(root->getAt(name, OdDb::kForRead)) : OdDbDictionaryPtr();
}

} // namespace

class TestOdDatabase : public QObject
{
    Q_OBJECT

private slots:
    void readsDrawingsAndRefusesTheRest();
    void blockRecordsChangeOnlyWhenOpenForWrite();
    void xrefsUnloadAndLoadAgain();
    void imagesComeBackOnlyWhenFoundAndDecoded();
    void attachedImagesOfEveryFormatLoad_data();
    void attachedImagesOfEveryFormatLoad();
    void underlaysStayListedWhenMissing();
    void repointedReferenceIsWrittenAndReadBack();
    void previewIsThumbnailOrRendering();
    void databaseWorksOnTheThreadThatReadIt();
};

void TestOdDatabase::readsDrawingsAndRefusesTheRest()
{
    QTemporaryDir dir;
    copyReferenceSet(dir, false);
    OdDbHostAppServices services;
    // A stored-style path with backslashes and a .dwg holding DXF text both read.
    const QString backslashed = dir.filePath("refs/parts") + "\\bolt.dwg";
    OdDbDatabasePtr bolt = services.readFile(toOdString(backslashed));
    QVERIFY(bolt);
    QCOMPARE(toQString(bolt->getFilename()), dir.filePath("refs/parts/bolt.dwg"));
    QVERIFY(!bolt->getBlockTableId().isNull());
    QVERIFY(!bolt->getNamedObjectsDictionaryId().isNull());

    QVERIFY(DxfTest::writeBytes(dir.filePath("binary.dwg"),
                                QByteArray("AC1032\0\0\0\0\0\0\x1d\0\x03", 16)
                                    + QByteArray(300, '\x02')));
    QVERIFY(services.readFile(toOdString(dir.filePath("binary.dwg"))).isNull());
    QString why;
    QVERIFY(services.readDrawing(dir.filePath("binary.dwg"), &why).isNull());
    QVERIFY2(why.contains("DWG"), qPrintable(why));
    QVERIFY(services.readDrawing(dir.filePath("absent.dxf"), &why).isNull());
    QVERIFY(!why.isEmpty());

    try {
        OdDbObjectId().safeOpenObject();
        QFAIL("opening the null id must throw");
    } catch (const OdError &error) {
        QCOMPARE(error.code(), eNullObjectId);
    }
}

void TestOdDatabase::blockRecordsChangeOnlyWhenOpenForWrite()
{
    QTemporaryDir dir;
    copyReferenceSet(dir, false);
    OdDbHostAppServices services;
    OdDbDatabasePtr host = services.readFile(toOdString(dir.filePath("refs/host.dxf")));
    QVERIFY(host);
    OdDbBlockTablePtr table =
        OdDbBlockTable::cast(host->getBlockTableId().safeOpenObject(OdDb::kForRead));
    QVERIFY(table);
    QVERIFY(table->has("BOLT"));
    OdDbBlockTableRecordPtr reading = table->getAt("bolt", OdDb::kForRead);
    QVERIFY(reading);
    QCOMPARE(toQString(reading->pathName()), QStringLiteral("parts\\bolt.dwg"));
    QVERIFY_EXCEPTION_THROWN(reading->setPathName("x.dwg"), OdError);
    QVERIFY_EXCEPTION_THROWN(reading->setName("x"), OdError);

    OdDbBlockTableRecordPtr writing = table->getAt("bolt", OdDb::kForWrite);
    writing->setPathName("D:\\dl\\screw.dwg");
    writing->setName("screw");
    QCOMPARE(toQString(reading->getName()), QStringLiteral("screw"));
    QCOMPARE(toQString(reading->pathName()), QStringLiteral("D:\\dl\\screw.dwg"));
    QVERIFY(!table->has("bolt"));
    QVERIFY_EXCEPTION_THROWN(writing->setName("gone"), OdError);
    OdDbBlockTableRecordPtr modelSpace = table->getAt("*Model_Space", OdDb::kForRead);
    QVERIFY(modelSpace && !modelSpace->isFromExternalReference());
    QVERIFY(modelSpace->pathName().isEmpty());
}

void TestOdDatabase::xrefsUnloadAndLoadAgain()
{
    QTemporaryDir dir;
    copyReferenceSet(dir, false);
    OdDbHostAppServices services;
    OdDbDatabasePtr host = services.readFile(toOdString(dir.filePath("refs/host.dxf")));
    OdDbBlockTablePtr table = OdDbBlockTable::cast(host->getBlockTableId().safeOpenObject());
    OdDbBlockTableRecordPtr bolt = table->getAt("bolt", OdDb::kForWrite);
    QVERIFY(bolt->xrefDatabase());
    QCOMPARE(OdDbXRefMan::unload(bolt.get()), eOk);
    QVERIFY(!bolt->xrefDatabase());
    QCOMPARE(bolt->xrefStatus(), OdDb::kXrfUnloaded);
    QCOMPARE(OdDbXRefMan::load(bolt.get()), eOk);
    QVERIFY(bolt->xrefDatabase());

    // Moving the file away leaves the reference unresolved on its next load.
    QVERIFY(QFile::rename(dir.filePath("refs/parts/bolt.dwg"), dir.filePath("elsewhere.dwg")));
    QCOMPARE(OdDbXRefMan::load(bolt.get()), eFileNotFound);
    QVERIFY(!bolt->xrefDatabase());
    QCOMPARE(bolt->xrefStatus(), OdDb::kXrfFileNotFound);
    // A support folder holding a file of that name resolves it again.
    services.setSupportFolders({dir.path()});
    bolt->setPathName("C:\\old\\elsewhere.dwg");
    QCOMPARE(OdDbXRefMan::load(bolt.get()), eOk);
    QCOMPARE(toQString(bolt->xrefDatabase()->getFilename()), dir.filePath("elsewhere.dwg"));
    QCOMPARE(OdDbXRefMan::load(table->getAt("*Model_Space", OdDb::kForRead).get()),
             eInvalidInput);
}

void TestOdDatabase::imagesComeBackOnlyWhenFoundAndDecoded()
{
    QTemporaryDir dir;
    copyReferenceSet(dir, true);
    OdDbHostAppServices services;
    OdDbDatabasePtr host = services.readFile(toOdString(dir.filePath("refs/host.dxf")));
    OdDbDictionaryPtr images = namedDictionary(host.get(), "ACAD_IMAGE_DICT");
    QVERIFY(images);
    QStringList found;
    QStringList stored;
    for (OdDbDictionaryIteratorPtr it = images->newIterator(); !it->done(); it->next()) {
        OdDbRasterImageDefPtr def = OdDbRasterImageDef::cast(it->getObject(OdDb::kForWrite));
        QVERIFY(def);
        QVERIFY(!OdDbUnderlayDefinition::cast(def));
        stored.append(toQString(def->sourceFileName()));
        if (OdGiRasterImagePtr image = def->image(true)) {
            QCOMPARE(image->pixelWidth(), 8);
            found.append(toQString(def->activeFileName()));
        }
    }
    QCOMPARE(stored, QStringList({"logo.png", "C:\\old\\missing.png"}));
    QCOMPARE(found, QStringList({dir.filePath("refs/logo.png")}));

    // A file that is no image does not come back either; unloading drops the image.
    OdDbRasterImageDefPtr logo = OdDbRasterImageDef::cast(images->getAt("logo.png", OdDb::kForWrite));
    QVERIFY(logo && logo->isLoaded());
    logo->unload();
    QVERIFY(!logo->image(false));
    QVERIFY(DxfTest::writeBytes(dir.filePath("refs/fake.png"), "not a picture"));
    logo->setSourceFileName("fake.png");
    QVERIFY(!logo->image(true));
    QCOMPARE(logo->load(), eInvalidInput);
}

void TestOdDatabase::attachedImagesOfEveryFormatLoad_data()
{
    QTest::addColumn<QString>("file");   // on disk, beside the drawing
    QTest::addColumn<QString>("stored"); // as a drawing made on Windows names it
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("TIFF") << "scans/scan.tif" << ".\\Scans\\SCAN.TIF" << QSize(40, 30);
    QTest::newRow("BMP") << "pics/plan.bmp" << "pics\\plan.bmp" << QSize(16, 8);
    QTest::newRow("GIF") << "pics/mark.gif" << "PICS\\Mark.GIF" << QSize(1, 1);
    QTest::newRow("JPEG") << "photo.jpg" << "photo.jpg" << QSize(24, 12);
    QTest::newRow("PNG") << "pics/logo.png" << "pics\\logo.png" << QSize(8, 4);
}

void TestOdDatabase::attachedImagesOfEveryFormatLoad()
{
    // Attached as the host's command does it, to a drawing whose dictionaries carry extended
    // data; the independent reader sees the definition and this layer loads the image again.
    QFETCH(QString, file);
    QFETCH(QString, stored);
    QFETCH(QSize, pixels);
    QTemporaryDir dir;
    const QString drawing = dir.filePath("site.dxf");
    QVERIFY(DxfTest::copySample("ezdxf/dictionary-xdata-r2013.dxf", drawing));
    QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(file)).absolutePath()));
    if (file.endsWith(".gif")) {
        // Qt reads GIF but cannot write it: one white pixel.
        QVERIFY(DxfTest::writeBytes(dir.filePath(file),
                                    QByteArray::fromHex("47494638396101000100800000ffffff0000"
                                                        "0021f90401000000002c0000000001000100"
                                                        "0002024401003b")));
    } else {
        QImage picture(pixels, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY2(picture.save(dir.filePath(file)),
                 "no writer for this format; scripts/setup installs qt5-image-formats-plugins");
    }
    QCOMPARE(QImageReader(dir.filePath(file)).size(), pixels);

    DxfDocument doc;
    QString error;
    QVERIFY2(doc.read(drawing, &error), qPrintable(error));
    quint64 handle = 0;
    QVERIFY2(DxfDefinitions(doc).attachImage(stored, pixels, QPointF(), 10.0, &handle, &error),
             qPrintable(error));
    QVERIFY2(doc.write(drawing, &error), qPrintable(error));
    const QJsonObject report = DxfTest::ezdxfReport(drawing);
    QVERIFY2(report.value("errors").toArray().isEmpty() && !report.contains("readError"),
             QJsonDocument(report).toJson().constData());
    QVERIFY(report.value("images").toArray().contains(stored));

    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(drawing));
    QVERIFY(db);
    OdDbRasterImageDefPtr def =
        OdDbRasterImageDef::cast(OdDbObjectId(db.get(), handle).openObject(OdDb::kForWrite));
    QVERIFY(def);
    QCOMPARE(toQString(def->sourceFileName()), stored);
    OdGiRasterImagePtr image = def->image(true);
    QVERIFY2(image, qPrintable(toQString(def->activeFileName())));
    QCOMPARE(QSize(image->pixelWidth(), image->pixelHeight()), pixels);
    QCOMPARE(toQString(def->activeFileName()), dir.filePath(file));
}

void TestOdDatabase::underlaysStayListedWhenMissing()
{
    QTemporaryDir dir;
    copyReferenceSet(dir, true);
    OdDbHostAppServices services;
    OdDbDatabasePtr host = services.readFile(toOdString(dir.filePath("refs/host.dxf")));
    OdDbDictionaryPtr pdfs = namedDictionary(host.get(), "ACAD_PDFDEFINITIONS");
    QVERIFY(pdfs);
    QCOMPARE(pdfs->numEntries(), 2);
    QStringList stored;
    QList<OdResult> loaded;
    for (OdDbDictionaryIteratorPtr it = pdfs->newIterator(); !it->done(); it->next()) {
        OdDbObjectPtr object = it->getObject(OdDb::kForWrite);
        QVERIFY(!OdDbRasterImageDef::cast(object));
        OdDbUnderlayDefinitionPtr def = OdDbUnderlayDefinition::cast(object);
        QVERIFY(def && OdDbPdfDefinition::cast(object));
        stored.append(toQString(def->getSourceFileName()));
        loaded.append(def->load(OdString()));
    }
    QCOMPARE(stored, QStringList({"plan.pdf", "..\\elsewhere\\lost.pdf"}));
    QCOMPARE(loaded, QList<OdResult>({eOk, eFileNotFound}));

    OdDbUnderlayDefinitionPtr plan =
        OdDbUnderlayDefinition::cast(pdfs->getAt(pdfs->newIterator()->name(), OdDb::kForWrite));
    QVERIFY(DxfTest::writeBytes(dir.filePath("refs/secret.pdf"),
                                "%PDF-1.6\ntrailer << /Encrypt 5 0 R >>\n%%EOF\n"));
    plan->setSourceFileName("secret.pdf");
    QVERIFY(!plan->isLoaded());
    QCOMPARE(plan->load(OdString()), eInvalidPassword);
    QCOMPARE(plan->load("secret"), eOk);
    QVERIFY(DxfTest::writeBytes(dir.filePath("refs/text.pdf"), "just text"));
    plan->setSourceFileName("text.pdf");
    QCOMPARE(plan->load(OdString()), eInvalidInput);
}

void TestOdDatabase::repointedReferenceIsWrittenAndReadBack()
{
    // A downloaded drawing still names its reference where it lay on another machine.
    QTemporaryDir dir;
    const QString download = dir.filePath("dl");
    QVERIFY(DxfTest::copySample("ezdxf/refs/parts/nut.dxf", download + "/part.dwg"));
    DxfDocument source;
    QVERIFY(source.read(DxfTest::dataPath("ezdxf/geometry-r2018.dxf"), nullptr));
    QVERIFY(DxfXrefs(source).attach("C:\\old\\part.dwg", "oldpart", QPointF(), nullptr));
    QVERIFY(source.write(download + "/main.dxf", nullptr));
    const QByteArray before = DxfTest::readBytes(download + "/main.dxf");

    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(download + "\\main.dxf"));
    QVERIFY(db);
    OdDbBlockTablePtr table = OdDbBlockTable::cast(db->getBlockTableId().safeOpenObject());
    OdDbBlockTableRecordPtr record = table->getAt("oldpart", OdDb::kForWrite);
    QCOMPARE(OdDbXRefMan::unload(record.get()), eOk);
    const QString candidate = download + "\\part.dwg";
    record->setPathName(toOdString(candidate));
    record->setName("part");
    QCOMPARE(OdDbXRefMan::load(record.get()), eOk);
    QCOMPARE(toQString(record->xrefDatabase()->getFilename()), download + "/part.dwg");
    db->writeFile(db->getFilename(), OdDb::kDwg, OdDb::DwgVersion(21), false, 16);

    const QList<QByteArray> oldLines = before.split('\n');
    const QList<QByteArray> newLines = DxfTest::readBytes(download + "/main.dxf").split('\n');
    QCOMPARE(newLines.size(), oldLines.size());
    int changed = 0;
    for (int i = 0; i < oldLines.size(); ++i)
        changed += oldLines.at(i) != newLines.at(i);
    QCOMPARE(changed, 5); // the path, and the name in block record, BLOCK (twice) and INSERT

    OdDbDatabasePtr reread = services.readFile(toOdString(download + "/main.dxf"));
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(reread.get(), graph);
    QCOMPARE(outNames(graph.hostDwg()), QStringList({"part"}));
    QVERIFY(graph.hostDwg()->out(0)->database());

    QVERIFY_EXCEPTION_THROWN(db->writeFile(toOdString(dir.filePath("no/such/folder/x.dxf")),
                                           OdDb::kDwg, OdDb::vAC15),
                             OdError);
}

void TestOdDatabase::previewIsThumbnailOrRendering()
{
    OdDbHostAppServices services;
    OdDbDatabasePtr withThumbnail =
        services.readFile(toOdString(DxfTest::dataPath("ezdxf/thumbnail-r2013.dxf")));
    QCOMPARE(withThumbnail->previewImage(QSize(64, 64)).size(), QSize(8, 4));
    OdDbDatabasePtr without =
        services.readFile(toOdString(DxfTest::dataPath("ezdxf/geometry-r2013.dxf")));
    const QImage rendered = without->previewImage(QSize(64, 48));
    QCOMPARE(rendered.size(), QSize(64, 48));
    int ink = 0;
    for (int y = 0; y < rendered.height(); ++y) {
        for (int x = 0; x < rendered.width(); ++x)
            ink += rendered.pixel(x, y) != qRgb(255, 255, 255);
    }
    QVERIFY(ink > 20);
}

void TestOdDatabase::databaseWorksOnTheThreadThatReadIt()
{
    QTemporaryDir dir;
    copyReferenceSet(dir, true);
    OdDbHostAppServices services;
    const QString path = dir.filePath("refs/host.dxf");
    auto collect = [&]() {
        QStringList result;
        OdDbDatabasePtr host = services.readFile(toOdString(path));
        OdDbXrefGraph graph;
        OdDbXrefGraph::getFrom(host.get(), graph);
        for (int i = 0; i < graph.numNodes(); ++i) {
            if (OdDbDatabase *db = graph.xrefNode(i)->database())
                result.append(toQString(db->getFilename()));
        }
        OdDbDictionaryPtr images = namedDictionary(host.get(), "ACAD_IMAGE_DICT");
        for (OdDbDictionaryIteratorPtr it = images->newIterator(); !it->done(); it->next()) {
            OdDbRasterImageDefPtr def = OdDbRasterImageDef::cast(it->getObject());
            if (def && def->image(true))
                result.append(toQString(def->activeFileName()));
        }
        return result;
    };
    const QStringList onWorker = std::async(std::launch::async, collect).get();
    QCOMPARE(onWorker, collect());
    QCOMPARE(onWorker.size(), 4);
}

QTEST_GUILESS_MAIN(TestOdDatabase)
#include "tst_oddatabase.moc"
