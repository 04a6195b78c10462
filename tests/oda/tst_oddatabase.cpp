#include "dxfdefinitions.h"
#include "dxfdocument.h"
#include "dxftesthelpers.h"
#include "dxfxrefs.h"
#include "oddbblocktable.h"
#include "oddbblocktablerecord.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"
#include "oddbrasterimagedef.h"
#include "oddbxrefgraph.h"
#include "oddbxrefman.h"
#include "oderror.h"
#include "odwrfilebuf.h"

#include <QImage>
#include <QtTest>

namespace {

// Writes the drawing given as "file>stored path,stored path" into folder, referencing each
// stored path under the name of its file.
bool writeAssembly(const QString &folder, const QString &drawing)
{
    DxfDocument doc;
    if (!doc.read(DxfTest::dataPath("ezdxf/geometry-r2018.dxf"), nullptr))
        return false;
    for (const QString &stored : drawing.section('>', 1).split(',')) {
        const QString name = QFileInfo(QString(stored).replace('\\', '/')).baseName();
        if (!stored.isEmpty() && !DxfXrefs(doc).attach(stored, name, QPointF(), nullptr))
            return false;
    }
    const QString path = QDir(folder).filePath(drawing.section('>', 0, 0));
    QDir().mkpath(QFileInfo(path).absolutePath());
    return doc.write(path, nullptr);
}

OdDbBlockTablePtr blockTable(OdDbDatabase *db)
{
    return OdDbBlockTable::cast(db->getBlockTableId().safeOpenObject());
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

// The database reached from database by taking, at each level, the reference to the drawing
// of that level on the side the letter of sides names ("ab": a1, then b2), or null.
OdDbDatabase *follow(OdDbDatabase *database, const QString &sides)
{
    for (int level = 1; database && level <= sides.size(); ++level) {
        const QString name = sides.at(level - 1) + QString::number(level);
        OdDbBlockTableRecordPtr record =
            blockTable(database)->getAt(toOdString(name), OdDb::kForRead);
        database = record ? record->xrefDatabase() : nullptr;
    }
    return database;
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
    void blockRecordsChangeOnlyWhenOpenForWrite();
    void attachedImagesOfEveryFormatLoad_data();
    void attachedImagesOfEveryFormatLoad();
    void cyclesEndAtTheRepeatedDrawing_data();
    void cyclesEndAtTheRepeatedDrawing();
    void sharedDrawingsAreReadOnceAtEveryDepth();
    void readsDrawingsAndSaysWhyAReferenceIsUnresolved();
};

void TestOdDatabase::blockRecordsChangeOnlyWhenOpenForWrite()
{
    // A downloaded drawing still names its reference where it lay on another machine.
    QTemporaryDir dir;
    const QString download = dir.filePath("dl");
    QVERIFY(DxfTest::copySample("ezdxf/refs/parts/nut.dxf", download + "/part.dwg"));
    QVERIFY(writeAssembly(download, "main.dxf>C:\\old\\part.dwg"));
    const QList<QByteArray> before = DxfTest::readBytes(download + "/main.dxf").split('\n');
    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(download + "\\main.dxf"));
    QVERIFY(db);
    OdDbBlockTablePtr table = blockTable(db.get());
    QVERIFY(table->has("PART"));
    OdDbBlockTableRecordPtr reading = table->getAt("part", OdDb::kForRead);
    QCOMPARE(toQString(reading->pathName()), QStringLiteral("C:\\old\\part.dwg"));
    QVERIFY_EXCEPTION_THROWN(reading->setPathName("x.dwg"), OdError);
    QVERIFY_EXCEPTION_THROWN(reading->setName("x"), OdError);

    OdDbBlockTableRecordPtr writing = table->getAt("part", OdDb::kForWrite);
    QCOMPARE(OdDbXRefMan::unload(writing.get()), eOk);
    writing->setPathName(toOdString(download + "\\part.dwg"));
    writing->setName("nut");
    QCOMPARE(toQString(reading->getName()), QStringLiteral("nut"));
    QVERIFY(!table->has("part"));
    QVERIFY_EXCEPTION_THROWN(writing->setName("*Model_Space"), OdError);
    QCOMPARE(OdDbXRefMan::load(writing.get()), eOk);
    QCOMPARE(toQString(writing->xrefDatabase()->getFilename()), download + "/part.dwg");

    // Written back, only those values change, and the reference resolves when read again.
    db->writeFile(db->getFilename(), OdDb::kDwg, OdDb::DwgVersion(21), false, 16);
    const QList<QByteArray> after = DxfTest::readBytes(download + "/main.dxf").split('\n');
    QCOMPARE(after.size(), before.size());
    int changed = 0;
    for (int i = 0; i < before.size(); ++i)
        changed += before.at(i) != after.at(i);
    QCOMPARE(changed, 5); // the path, and the name in block record, BLOCK (twice) and INSERT
    OdDbDatabasePtr reread = services.readFile(toOdString(download + "/main.dxf"));
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(reread.get(), graph);
    QCOMPARE(outNames(graph.hostDwg()), QStringList({"nut"}));
    QCOMPARE(fileOf(graph.hostDwg()->out(0)), download + "/part.dwg");
    QVERIFY_EXCEPTION_THROWN(db->writeFile(toOdString(dir.filePath("no/such/folder/x.dxf")),
                                           OdDb::kDwg, OdDb::vAC15),
                             OdError);

    // Written to a stream, the drawing is the same bytes; a stream that cannot be opened, and
    // one that cannot take the bytes (a full disk), say so.
    const auto streamedTo = [&db](const QString &path) {
        try {
            db->writeFile(OdWrFileBuf::createObject(toOdString(path)).get(), OdDb::kDwg,
                          OdDb::vAC15);
        } catch (const OdError &error) {
            return error.code();
        }
        return eOk;
    };
    QCOMPARE((QList<OdResult>{streamedTo(dir.filePath("streamed.dxf")),
                              streamedTo(dir.filePath("no/such/folder/x.dxf")),
                              streamedTo("/dev/full")}),
             (QList<OdResult>{eOk, eCantOpenFile, eFileWriteError}));
    QCOMPARE(DxfTest::readBytes(dir.filePath("streamed.dxf")),
             DxfTest::readBytes(download + "/main.dxf"));
}

void TestOdDatabase::attachedImagesOfEveryFormatLoad_data()
{
    QTest::addColumn<QString>("file");   // on disk, beside the drawing
    QTest::addColumn<QString>("stored"); // as a drawing made on Windows names it
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("TIFF") << "scans/scan.tif" << ".\\Scans\\SCAN.TIF" << QSize(40, 30);
    QTest::newRow("JPEG") << "photo.jpg" << "photo.jpg" << QSize(24, 12);
    QTest::newRow("PNG") << "pics/logo.png" << "pics\\logo.png" << QSize(8, 4);
    // Found, but no picture: not loaded, so not sent with the drawing either.
    QTest::newRow("text named .png") << "pics/fake.png" << "pics\\fake.png" << QSize();
}

void TestOdDatabase::attachedImagesOfEveryFormatLoad()
{
    // Attached as the host's command does it (other readers' view of such a drawing is
    // checked in tst_dxfreferences); this layer finds and loads the image again.
    QFETCH(QString, file);
    QFETCH(QString, stored);
    QFETCH(QSize, pixels);
    QTemporaryDir dir;
    const QString drawing = dir.filePath("site.dxf");
    QVERIFY(DxfTest::copySample("ezdxf/dictionary-xdata-r2013.dxf", drawing));
    QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(file)).absolutePath()));
    if (pixels.isEmpty()) {
        QVERIFY(DxfTest::writeBytes(dir.filePath(file), "not a picture"));
    } else {
        QImage picture(pixels, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY2(picture.save(dir.filePath(file)),
                 "no writer for this format; scripts/setup installs qt5-image-formats-plugins");
    }
    DxfDocument doc;
    QString error;
    QCOMPARE(DxfTest::readError(doc, drawing), QString());
    quint64 handle = 0;
    QVERIFY2(DxfDefinitions(doc).attachImage(stored, pixels.isEmpty() ? QSize(8, 4) : pixels,
                                             QPointF(), 10.0, &handle, &error),
             qPrintable(error));
    QVERIFY2(doc.write(drawing, &error), qPrintable(error));

    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(drawing));
    QVERIFY(db);
    OdDbRasterImageDefPtr def =
        OdDbRasterImageDef::cast(OdDbObjectId(db.get(), handle).openObject(OdDb::kForWrite));
    QVERIFY(def);
    QCOMPARE(toQString(def->sourceFileName()), stored);
    QCOMPARE(toQString(def->activeFileName()), dir.filePath(file));
    OdGiRasterImagePtr image = def->image(true);
    QCOMPARE(!image, pixels.isEmpty());
    if (image)
        QCOMPARE(QSize(image->pixelWidth(), image->pixelHeight()), pixels);
}

void TestOdDatabase::cyclesEndAtTheRepeatedDrawing_data()
{
    // Each drawing as "path>stored paths of those it references"; the first is opened.
    QTest::addColumn<QStringList>("drawings");
    QTest::addColumn<int>("nodes");
    QTest::newRow("a drawing referencing itself") << QStringList{"self.dxf>self.dxf"} << 2;
    // top; left with right (whose ways back to left and top end there) and the way back to
    // top; right again, read once while left was loading, so its way to left ends too.
    QTest::newRow("a pair shared by the drawing they reference")
        << QStringList{"top.dxf>left.dxf,right.dxf", "left.dxf>right.dxf,top.dxf",
                       "right.dxf>left.dxf,top.dxf"}
        << 9;
}

void TestOdDatabase::cyclesEndAtTheRepeatedDrawing()
{
    QFETCH(QStringList, drawings);
    QFETCH(int, nodes);
    QTemporaryDir dir;
    int references = 0;
    for (const QString &drawing : drawings) {
        QVERIFY(writeAssembly(dir.path(), drawing));
        references += drawing.section('>', 1).split(',').size();
    }
    CountingServices services;
    OdDbDatabasePtr db =
        services.readFile(toOdString(dir.filePath(drawings.first().section('>', 0, 0))));
    QVERIFY(db);
    // Each reference looked for once: a drawing being loaded is not read again.
    QVERIFY(services.lookups <= references);
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(db.get(), graph);
    QCOMPARE(graph.numNodes(), nodes);
    // Wherever a drawing stands, it is the one database read for its file.
    QHash<QString, OdDbDatabase *> byFile;
    for (int i = 0; i < graph.numNodes(); ++i) {
        OdDbDatabase *database = graph.xrefNode(i)->database();
        if (database)
            QCOMPARE(byFile.value(fileOf(graph.xrefNode(i)), database), database);
        byFile.insert(fileOf(graph.xrefNode(i)), database);
    }
    OdDbXrefGraphNode *last = graph.xrefNode(graph.numNodes() - 1);
    QVERIFY(!last->database());
    QCOMPARE(last->numOut(), 0);
    QCOMPARE(last->xrefStatus(), OdDb::kXrfUnloaded);
    QVERIFY(last->isCycleNode());
    // Loading that reference again on its own still refuses the way back.
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
        const QString next = level < levels ? file("a", level + 1) + ',' + file("b", level + 1)
                                            : QString();
        for (const char *side : {"a", "b"})
            QVERIFY(writeAssembly(dir.path(), file(side, level) + '>' + next));
    }
    QVERIFY(writeAssembly(dir.path(), "top.dxf>" + file("a", 1) + ',' + file("b", 1)));

    QElapsedTimer timer;
    timer.start();
    CountingServices services;
    OdDbDatabasePtr top = services.readFile(toOdString(dir.filePath("top.dxf")));
    QVERIFY(top);
    // One look-up for each reference of each drawing, not one for each path.
    QVERIFY2(services.lookups <= 4 * levels, qPrintable(QString::number(services.lookups)));
    // Down through a at every level, or through b and then a at the last: the same drawing.
    OdDbDatabase *lastA = follow(top.get(), QString(levels, 'a'));
    QVERIFY(lastA);
    QCOMPARE(toQString(lastA->getFilename()), dir.filePath(file("a", levels)));
    QCOMPARE(follow(top.get(), QString(levels - 1, 'b') + 'a'), lastA);

    OdDbXrefGraph graph;
    QCOMPARE(OdDbXrefGraph::getFrom(top.get(), graph), eOk);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    // One node per occurrence would be millions: the graph stops at its limit, with the
    // shallow levels complete and every occurrence of a drawing naming its one database.
    QVERIFY(graph.numNodes() <= 100000);
    QVERIFY(graph.numNodes() > 50000);
    OdDbXrefGraphNode *root = graph.hostDwg();
    QCOMPARE(outNames(root), QStringList({"a1", "b1"}));
    QCOMPARE(outNames(root->out(1)), QStringList({"a2", "b2"}));
    QCOMPARE(root->out(0)->out(1)->database(), root->out(1)->out(1)->database());
    QSet<OdDbDatabase *> databases;
    for (int i = 0; i < graph.numNodes(); ++i)
        databases.insert(graph.xrefNode(i)->database());
    QVERIFY(databases.size() <= 2 * levels + 1);
}

void TestOdDatabase::readsDrawingsAndSaysWhyAReferenceIsUnresolved()
{
    // A .dwg holding DXF text reads, a binary DWG does not; the drawing is read from a
    // stored-style path with a backslash.
    QTemporaryDir dir;
    for (const char *drawing :
         {"host.dxf>part.dwg,missing.dxf,broken.dwg,host.dxf,spare.dxf", "part.dwg>", "spare.dxf>"})
        QVERIFY(writeAssembly(dir.path(), drawing));
    const QByteArray binaryDwg = QByteArray("AC1032\0\0\0\0\0\0\x1d\0\x03", 16);
    QVERIFY(DxfTest::writeBytes(dir.filePath("broken.dwg"), binaryDwg + QByteArray(300, '\x02')));
    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(dir.path() + "\\host.dxf"));
    QVERIFY(db);
    QCOMPARE(toQString(db->getFilename()), dir.filePath("host.dxf"));
    OdDbBlockTablePtr table = blockTable(db.get());
    QCOMPARE(OdDbXRefMan::unload(table->getAt("spare", OdDb::kForRead).get()), eOk);

    // Each reference and its state, the same in the graph as on its block record.
    const QMap<OdDb::XrefStatus, QString> states{
        {OdDb::kXrfResolved, "resolved"}, {OdDb::kXrfFileNotFound, "not found"},
        {OdDb::kXrfUnresolved, "unreadable"}, {OdDb::kXrfUnloaded, "unloaded"}};
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(db.get(), graph);
    QStringList references;
    for (int i = 0; i < graph.hostDwg()->numOut(); ++i) {
        const OdDbXrefGraphNode *node = graph.hostDwg()->out(i);
        OdDbBlockTableRecordPtr record = table->getAt(node->name(), OdDb::kForRead);
        QCOMPARE(record->xrefStatus(), node->xrefStatus());
        references << toQString(node->name()) + " " + states.value(node->xrefStatus());
    }
    QCOMPARE(references, QStringList({"part resolved", "missing not found", "broken unreadable",
                                      "host unloaded", "spare unloaded"}));
    // Loading again says the same, and a file that turns up resolves the reference.
    OdDbBlockTableRecordPtr missing = table->getAt("missing", OdDb::kForRead);
    QCOMPARE(OdDbXRefMan::load(table->getAt("broken", OdDb::kForRead).get()), eCantOpenFile);
    QCOMPARE(OdDbXRefMan::load(missing.get()), eFileNotFound);
    QCOMPARE(missing->xrefStatus(), OdDb::kXrfFileNotFound);
    QVERIFY(QFile::copy(dir.filePath("part.dwg"), dir.filePath("missing.dxf")));
    QCOMPARE(OdDbXRefMan::load(missing.get()), eOk);
    QCOMPARE(missing->xrefStatus(), OdDb::kXrfResolved);
}

QTEST_GUILESS_MAIN(TestOdDatabase)
#include "tst_oddatabase.moc"
