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

#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QSet>
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

// Writes a drawing at path that references each of refs (stored path, block name).
bool writeAssembly(const QString &path, const QVector<QPair<QString, QString>> &refs)
{
    DxfDocument doc;
    if (!doc.read(DxfTest::dataPath("ezdxf/geometry-r2018.dxf"), nullptr))
        return false;
    for (const auto &ref : refs) {
        if (!DxfXrefs(doc).attach(ref.first, ref.second, QPointF(), nullptr))
            return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return doc.write(path, nullptr);
}

// A binary DWG file, which this layer cannot read.
QByteArray binaryDwg()
{
    return QByteArray("AC1032\0\0\0\0\0\0\x1d\0\x03", 16) + QByteArray(300, '\x02');
}

OdDbBlockTablePtr blockTable(OdDbDatabase *db)
{
    return OdDbBlockTable::cast(db->getBlockTableId().safeOpenObject());
}

OdDbDictionaryPtr namedDictionary(OdDbDatabase *db, const char *name)
{
    OdDbDictionaryPtr root = OdDbDictionary::cast(
        db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForRead));
    return root ? OdDbDictionary::cast(root->getAt(name, OdDb::kForRead)) : OdDbDictionaryPtr();
}

QStringList outNames(const OdDbXrefGraphNode *node)
{
    QStringList names;
    for (int i = 0; i < node->numOut(); ++i)
        names.append(toQString(node->out(i)->name()));
    return names;
}

QString fileOf(const OdDbXrefGraphNode *node)
{
    return node->database() ? toQString(node->database()->getFilename()) : QString();
}

// The database reached from database through the references named in order, or null.
OdDbDatabase *follow(OdDbDatabase *database, const QStringList &names)
{
    for (const QString &name : names) {
        if (!database)
            return nullptr;
        OdDbBlockTableRecordPtr record =
            blockTable(database)->getAt(toOdString(name), OdDb::kForRead);
        database = record ? record->xrefDatabase() : nullptr;
    }
    return database;
}

// True when some node's database stands again among the databases above it: loaded
// references that lead round in a circle.
bool databasesFormACircle(const OdDbXrefGraph &graph)
{
    for (int i = 0; i < graph.numNodes(); ++i) {
        const OdDbXrefGraphNode *node = graph.xrefNode(i);
        for (const OdDbXrefGraphNode *up = node; node->database() && up->numIn() > 0;) {
            up = up->in(0);
            if (up->database() == node->database())
                return true;
        }
    }
    return false;
}

// Host services that count the references they are asked to find.
class CountingServices : public OdDbHostAppServices
{
public:
    OdString findFile(const OdString &fileName, OdDbDatabase *database,
                      FindFileHint hint) override
    {
        ++lookups;
        return OdDbHostAppServices::findFile(fileName, database, hint);
    }

    int lookups = 0;
};

} // namespace

// The database layer the host's commands work on: drawings, their block records, images and
// PDF underlays, and the graph of external references between drawings.
class TestOdDatabase : public QObject
{
    Q_OBJECT

private slots:
    void readsDrawingsAndRefusesTheRest();
    void blockRecordsChangeOnlyWhenOpenForWrite();
    void imagesComeBackOnlyWhenFoundAndDecoded();
    void attachedImagesOfEveryFormatLoad_data();
    void attachedImagesOfEveryFormatLoad();
    void underlaysStayListedWhenMissing();
    void repointedReferenceIsWrittenAndReadBack();
    void databaseWorksOnTheThreadThatReadIt();
    void nestedReferencesResolveRelativeToTheirDrawing();
    void cyclesEndAtTheRepeatedDrawing_data();
    void cyclesEndAtTheRepeatedDrawing();
    void sharedDrawingsAreReadOnceAtEveryDepth();
    void cyclesAmongSharedDrawingsEndToo();
    void sharedDrawingStandsTwiceAndOutlivesTheDrawingThatLoadedIt();
    void ghostsAreLeftOutUnlessAsked();
    void everyUnresolvedReferenceSaysWhy();
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

    QVERIFY(DxfTest::writeBytes(dir.filePath("binary.dwg"), binaryDwg()));
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
    OdDbBlockTablePtr table = blockTable(host.get());
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
    OdDbBlockTableRecordPtr record = blockTable(db.get())->getAt("oldpart", OdDb::kForWrite);
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

void TestOdDatabase::nestedReferencesResolveRelativeToTheirDrawing()
{
    QTemporaryDir dir;
    copyReferenceSet(dir, false);
    OdDbHostAppServices services;
    OdDbDatabasePtr host = services.readFile(toOdString(dir.filePath("refs/host.dxf")));
    QVERIFY(host);
    OdDbXrefGraph graph;
    QCOMPARE(OdDbXrefGraph::getFrom(host.get(), graph), eOk);
    OdDbXrefGraphNode *root = graph.hostDwg();
    QCOMPARE(root->database(), host.get());
    QVERIFY(root->btrId().isNull());
    QCOMPARE(outNames(root), QStringList({"bolt", "gone"}));

    OdDbXrefGraphNode *bolt = root->out(0);
    QCOMPARE(bolt->xrefStatus(), OdDb::kXrfResolved);
    QCOMPARE(fileOf(bolt), dir.filePath("refs/parts/bolt.dwg"));
    QCOMPARE(bolt->in(0), root);
    OdDbBlockTableRecordPtr record =
        OdDbBlockTableRecord::cast(bolt->btrId().safeOpenObject(OdDb::kForRead));
    QVERIFY(record && record->isFromExternalReference());
    QCOMPARE(record->xrefDatabase(), bolt->database());
    QCOMPARE(toQString(services.findFile(record->pathName(), record->database(),
                                         OdDbHostAppServices::kXRefDrawing)),
             dir.filePath("refs/parts/bolt.dwg"));

    // bolt stores ".\nut.dxf": relative to bolt's own folder, not the host's.
    QCOMPARE(outNames(bolt), QStringList({"nut"}));
    QCOMPARE(fileOf(bolt->out(0)), dir.filePath("refs/parts/nut.dxf"));
    QVERIFY(bolt->out(0)->isNested());
    OdDbXrefGraphNode *gone = root->out(1);
    QCOMPARE(gone->xrefStatus(), OdDb::kXrfFileNotFound);
    QVERIFY(!gone->database());
    QVERIFY(!gone->btrId().isNull());
    QCOMPARE(gone->numOut(), 0);
    QCOMPARE(graph.numNodes(), 4);
}

void TestOdDatabase::cyclesEndAtTheRepeatedDrawing_data()
{
    QTest::addColumn<QString>("case_");
    QTest::newRow("two drawings referencing each other") << "pair";
    QTest::newRow("a drawing referencing itself") << "self";
    QTest::newRow("a ring of three through subfolders") << "ring";
}

void TestOdDatabase::cyclesEndAtTheRepeatedDrawing()
{
    QFETCH(QString, case_);
    QTemporaryDir dir;
    QString start;
    int expectedNodes = 0;
    if (case_ == "pair") {
        QVERIFY(DxfTest::copySample("ezdxf/cycle/ring-a.dxf", dir.filePath("ring-a.dxf")));
        QVERIFY(DxfTest::copySample("ezdxf/cycle/ring-b.dxf", dir.filePath("ring-b.dxf")));
        start = dir.filePath("ring-a.dxf");
        expectedNodes = 3; // a -> b -> a, not loaded again
    } else if (case_ == "self") {
        start = dir.filePath("self.dxf");
        QVERIFY(writeAssembly(start, {{"self.dxf", "me"}}));
        expectedNodes = 2;
    } else {
        start = dir.filePath("one.dxf");
        QVERIFY(writeAssembly(start, {{"sub\\two.dxf", "two"}}));
        QVERIFY(writeAssembly(dir.filePath("sub/two.dxf"), {{"deeper\\three.dxf", "three"}}));
        QVERIFY(writeAssembly(dir.filePath("sub/deeper/three.dxf"), {{"..\\..\\one.dxf", "one"}}));
        expectedNodes = 4;
    }
    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(start));
    QVERIFY(db);
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(db.get(), graph);
    QCOMPARE(graph.numNodes(), expectedNodes);
    OdDbXrefGraphNode *last = graph.xrefNode(graph.numNodes() - 1);
    QVERIFY(!last->database());
    QCOMPARE(last->numOut(), 0);
    QCOMPARE(last->xrefStatus(), OdDb::kXrfUnloaded);
    QVERIFY(last->isCycleNode());
    OdDbBlockTableRecordPtr back =
        OdDbBlockTableRecord::cast(last->btrId().safeOpenObject(OdDb::kForRead));
    QCOMPARE(OdDbXRefMan::load(back.get()), eSelfReference);
}

void TestOdDatabase::sharedDrawingsAreReadOnceAtEveryDepth()
{
    // Twenty levels of two drawings each, each drawing referencing both of the next level:
    // two million paths lead down to the last level.
    const int levels = 20;
    QTemporaryDir dir;
    auto file = [](const char *side, int level) {
        return QStringLiteral("%1%2.dxf").arg(QLatin1String(side)).arg(level);
    };
    for (int level = levels; level >= 1; --level) {
        QVector<QPair<QString, QString>> refs;
        if (level < levels)
            refs = {{file("a", level + 1), "a"}, {file("b", level + 1), "b"}};
        for (const char *side : {"a", "b"})
            QVERIFY(writeAssembly(dir.filePath(file(side, level)), refs));
    }
    QVERIFY(writeAssembly(dir.filePath("top.dxf"), {{file("a", 1), "a"}, {file("b", 1), "b"}}));

    QElapsedTimer timer;
    timer.start();
    CountingServices services;
    OdDbDatabasePtr top = services.readFile(toOdString(dir.filePath("top.dxf")));
    QVERIFY(top);
    // One look-up for each reference of each drawing, not one for each path.
    QVERIFY2(services.lookups <= 4 * levels, qPrintable(QString::number(services.lookups)));
    QStringList allA;
    QStringList allB;
    for (int level = 1; level <= levels; ++level) {
        allA.append("a");
        allB.append("b");
    }
    OdDbDatabase *lastA = follow(top.get(), allA);
    QVERIFY(lastA);
    QCOMPARE(toQString(lastA->getFilename()), dir.filePath(file("a", levels)));
    QCOMPARE(follow(top.get(), allB.mid(1) + QStringList("a")), lastA);

    OdDbXrefGraph graph;
    QCOMPARE(OdDbXrefGraph::getFrom(top.get(), graph), eOk);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    // One node per occurrence would be millions: the graph stops at its limit, with the
    // shallow levels complete and every occurrence of a drawing naming its one database.
    QVERIFY(graph.numNodes() <= OdDbXrefGraph::kMaxNodes);
    QVERIFY(graph.numNodes() > OdDbXrefGraph::kMaxNodes / 2);
    OdDbXrefGraphNode *root = graph.hostDwg();
    QCOMPARE(outNames(root), QStringList({"a", "b"}));
    QCOMPARE(outNames(root->out(1)), QStringList({"a", "b"}));
    QCOMPARE(root->out(0)->out(1)->database(), root->out(1)->out(1)->database());
    QSet<OdDbDatabase *> databases;
    for (int i = 0; i < graph.numNodes(); ++i)
        databases.insert(graph.xrefNode(i)->database());
    QVERIFY(databases.size() <= 2 * levels + 1);
}

void TestOdDatabase::cyclesAmongSharedDrawingsEndToo()
{
    // top references left and right; left and right reference each other and both
    // reference top.
    QTemporaryDir dir;
    QVERIFY(writeAssembly(dir.filePath("top.dxf"), {{"left.dxf", "left"}, {"right.dxf", "right"}}));
    QVERIFY(writeAssembly(dir.filePath("left.dxf"), {{"right.dxf", "right"}, {"top.dxf", "top"}}));
    QVERIFY(writeAssembly(dir.filePath("right.dxf"), {{"left.dxf", "left"}, {"top.dxf", "top"}}));
    CountingServices services;
    OdDbDatabasePtr top = services.readFile(toOdString(dir.filePath("top.dxf")));
    QVERIFY(top);
    QVERIFY(services.lookups <= 6);
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(top.get(), graph);
    QVERIFY(!databasesFormACircle(graph));
    OdDbXrefGraphNode *left = graph.hostDwg()->out(0);
    QCOMPARE(fileOf(left), dir.filePath("left.dxf"));
    QCOMPARE(fileOf(left->out(0)), dir.filePath("right.dxf"));
    QVERIFY(left->out(1)->isCycleNode());
    // right was read while left was loading; both occurrences are that one database.
    QCOMPARE(graph.hostDwg()->out(1)->database(), left->out(0)->database());

    // Loading one reference again on its own still refuses the way back up.
    OdDbBlockTableRecordPtr back =
        OdDbBlockTableRecord::cast(left->out(1)->btrId().safeOpenObject(OdDb::kForRead));
    QCOMPARE(OdDbXRefMan::load(back.get()), eSelfReference);
}

void TestOdDatabase::sharedDrawingStandsTwiceAndOutlivesTheDrawingThatLoadedIt()
{
    // top references left and right; both reference base, which references leaf.
    QTemporaryDir dir;
    QVERIFY(writeAssembly(dir.filePath("leaf.dxf"), {}));
    QVERIFY(writeAssembly(dir.filePath("base.dxf"), {{"leaf.dxf", "leaf"}}));
    QVERIFY(writeAssembly(dir.filePath("left.dxf"), {{"base.dxf", "base"}}));
    QVERIFY(writeAssembly(dir.filePath("right.dxf"), {{"base.dxf", "base"}}));
    QVERIFY(writeAssembly(dir.filePath("top.dxf"), {{"left.dxf", "left"}, {"right.dxf", "right"}}));
    OdDbHostAppServices services;
    OdDbDatabasePtr top = services.readFile(toOdString(dir.filePath("top.dxf")));
    OdDbDatabase *base = follow(top.get(), {"left", "base"});
    QVERIFY(base);
    QCOMPARE(follow(top.get(), {"right", "base"}), base);
    QCOMPARE(base->referencingDatabase(), follow(top.get(), {"left"}));
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(top.get(), graph);
    QCOMPARE(graph.numNodes(), 7);
    for (OdDbXrefGraphNode *side : {graph.hostDwg()->out(0), graph.hostDwg()->out(1)}) {
        QCOMPARE(outNames(side), QStringList({"base"}));
        QCOMPARE(side->out(0)->in(0), side);
        QCOMPARE(side->out(0)->database(), base);
    }

    // Unloading left lets it go; base stays, held by right, and no longer names left.
    QCOMPARE(OdDbXRefMan::unload(blockTable(top.get())->getAt("left", OdDb::kForRead).get()),
             eOk);
    QCOMPARE(follow(top.get(), {"right", "base"}), base);
    QVERIFY(!base->referencingDatabase());
    OdDbBlockTableRecordPtr leaf = blockTable(base)->getAt("leaf", OdDb::kForRead);
    QCOMPARE(OdDbXRefMan::load(leaf.get()), eOk);
    QCOMPARE(toQString(leaf->xrefDatabase()->getFilename()), dir.filePath("leaf.dxf"));
}

void TestOdDatabase::ghostsAreLeftOutUnlessAsked()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ghost.dxf");
    QVERIFY(writeAssembly(dir.filePath("part.dxf"), {}));
    DxfDocument doc;
    QVERIFY(doc.read(DxfTest::dataPath("ezdxf/geometry-r2018.dxf"), nullptr));
    QVERIFY(DxfXrefs(doc).attach("part.dxf", "part", QPointF(), nullptr));
    QVERIFY(DxfXrefs(doc).attach("part.dxf", "shown", QPointF(), nullptr));
    // Take away the INSERT of "part": its block stays, inserted nowhere.
    for (int r = 0; r < doc.recordCount(); ++r) {
        if (doc.isType(r, "INSERT") && doc.string(r, 2) == QLatin1String("part")) {
            doc.removeRecords(r, 1);
            break;
        }
    }
    QVERIFY(doc.write(path, nullptr));
    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(path));
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(db.get(), graph);
    QCOMPARE(outNames(graph.hostDwg()), QStringList({"shown"}));
    OdDbXrefGraph::getFrom(db.get(), graph, true);
    QCOMPARE(outNames(graph.hostDwg()), QStringList({"part", "shown"}));
    QCOMPARE(graph.hostDwg()->out(0)->xrefStatus(), OdDb::kXrfUnreferenced);
}

void TestOdDatabase::everyUnresolvedReferenceSaysWhy()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("host.dxf");
    QVERIFY(writeAssembly(path, {{"part.dxf", "part"},
                                 {"missing.dxf", "missing"},
                                 {"broken.dwg", "broken"},
                                 {"host.dxf", "itself"},
                                 {"spare.dxf", "spare"}}));
    QVERIFY(writeAssembly(dir.filePath("part.dxf"), {}));
    QVERIFY(writeAssembly(dir.filePath("spare.dxf"), {}));
    QVERIFY(DxfTest::writeBytes(dir.filePath("broken.dwg"), binaryDwg()));
    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(path));
    QVERIFY(db);
    OdDbBlockTablePtr table = blockTable(db.get());
    QCOMPARE(OdDbXRefMan::unload(table->getAt("spare", OdDb::kForRead).get()), eOk);

    struct Expected
    {
        const char *name;
        OdDb::XrefStatus status;
        bool cycle;
    };
    const Expected expected[] = {{"part", OdDb::kXrfResolved, false},
                                 {"missing", OdDb::kXrfFileNotFound, false},
                                 {"broken", OdDb::kXrfUnresolved, false},
                                 {"itself", OdDb::kXrfUnloaded, true},
                                 {"spare", OdDb::kXrfUnloaded, false}};
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(db.get(), graph);
    QCOMPARE(graph.hostDwg()->numOut(), int(std::size(expected)));
    for (int i = 0; i < graph.hostDwg()->numOut(); ++i) {
        const OdDbXrefGraphNode *node = graph.hostDwg()->out(i);
        const Expected &want = expected[i];
        QCOMPARE(toQString(node->name()), QString(want.name));
        QCOMPARE(node->xrefStatus(), want.status);
        QCOMPARE(node->isCycleNode(), want.cycle);
        OdDbBlockTableRecordPtr record = table->getAt(node->name(), OdDb::kForRead);
        QCOMPARE(record->xrefStatus(), want.status);
    }
    // Loading again says the same, and a file that turns up resolves the reference.
    OdDbBlockTableRecordPtr missing = table->getAt("missing", OdDb::kForRead);
    QCOMPARE(OdDbXRefMan::load(table->getAt("broken", OdDb::kForRead).get()), eCantOpenFile);
    QCOMPARE(OdDbXRefMan::load(missing.get()), eFileNotFound);
    QCOMPARE(missing->xrefStatus(), OdDb::kXrfFileNotFound);
    QVERIFY(QFile::copy(dir.filePath("part.dxf"), dir.filePath("missing.dxf")));
    QCOMPARE(OdDbXRefMan::load(missing.get()), eOk);
    QCOMPARE(missing->xrefStatus(), OdDb::kXrfResolved);

    // A loaded drawing moved away is let go on the next load; a support folder holding it
    // resolves the reference again. Model space is no reference to load.
    OdDbBlockTableRecordPtr part = table->getAt("part", OdDb::kForRead);
    QVERIFY(QDir().mkpath(dir.filePath("lib")));
    QVERIFY(QFile::rename(dir.filePath("part.dxf"), dir.filePath("lib/part.dxf")));
    QCOMPARE(OdDbXRefMan::load(part.get()), eFileNotFound);
    QVERIFY(!part->xrefDatabase());
    QCOMPARE(part->xrefStatus(), OdDb::kXrfFileNotFound);
    services.setSupportFolders({dir.filePath("lib")});
    QCOMPARE(OdDbXRefMan::load(part.get()), eOk);
    QCOMPARE(toQString(part->xrefDatabase()->getFilename()), dir.filePath("lib/part.dxf"));
    QCOMPARE(OdDbXRefMan::load(table->getAt("*Model_Space", OdDb::kForRead).get()),
             eInvalidInput);
}

QTEST_GUILESS_MAIN(TestOdDatabase)
#include "tst_oddatabase.moc"
