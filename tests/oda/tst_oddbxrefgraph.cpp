#include "dxfdocument.h"
#include "dxftesthelpers.h"
#include "dxfxrefs.h"
#include "oddbblocktablerecord.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"
#include "oddbxrefgraph.h"
#include "oddbxrefman.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

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

} // namespace

class TestOdDbXrefGraph : public QObject
{
    Q_OBJECT

private slots:
    void nestedReferencesResolveRelativeToTheirDrawing();
    void cyclesEndAtTheRepeatedDrawing_data();
    void cyclesEndAtTheRepeatedDrawing();
    void drawingReferencedTwiceStandsTwice();
    void ghostsAreLeftOutUnlessAsked();
    void unreadableReferenceStaysUnresolved();
};

void TestOdDbXrefGraph::nestedReferencesResolveRelativeToTheirDrawing()
{
    QTemporaryDir dir;
    for (const char *file : {"refs/host.dxf", "refs/parts/bolt.dwg", "refs/parts/nut.dxf"})
        QVERIFY(DxfTest::copySample(QStringLiteral("ezdxf/") + file, dir.filePath(file)));
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
    QCOMPARE(gone->xrefStatus(), OdDb::kXrfUnresolved);
    QVERIFY(!gone->database());
    QVERIFY(!gone->btrId().isNull());
    QCOMPARE(gone->numOut(), 0);
    QCOMPARE(graph.numNodes(), 4);
}

void TestOdDbXrefGraph::cyclesEndAtTheRepeatedDrawing_data()
{
    QTest::addColumn<QString>("case_");
    QTest::newRow("two drawings referencing each other") << "pair";
    QTest::newRow("a drawing referencing itself") << "self";
    QTest::newRow("a ring of three through subfolders") << "ring";
}

void TestOdDbXrefGraph::cyclesEndAtTheRepeatedDrawing()
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
    QCOMPARE(last->xrefStatus(), OdDb::kXrfUnresolved);
    OdDbBlockTableRecordPtr back =
        OdDbBlockTableRecord::cast(last->btrId().safeOpenObject(OdDb::kForRead));
    QCOMPARE(OdDbXRefMan::load(back.get()), eSelfReference);
}

void TestOdDbXrefGraph::drawingReferencedTwiceStandsTwice()
{
    // top references left and right; both reference base.
    QTemporaryDir dir;
    QVERIFY(writeAssembly(dir.filePath("base.dxf"), {}));
    QVERIFY(writeAssembly(dir.filePath("left.dxf"), {{"base.dxf", "base"}}));
    QVERIFY(writeAssembly(dir.filePath("right.dxf"), {{"base.dxf", "base"}}));
    QVERIFY(writeAssembly(dir.filePath("top.dxf"), {{"left.dxf", "left"}, {"right.dxf", "right"}}));
    OdDbHostAppServices services;
    OdDbDatabasePtr top = services.readFile(toOdString(dir.filePath("top.dxf")));
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(top.get(), graph);
    QCOMPARE(graph.numNodes(), 5);
    OdDbXrefGraphNode *left = graph.hostDwg()->out(0);
    OdDbXrefGraphNode *right = graph.hostDwg()->out(1);
    QCOMPARE(outNames(left), QStringList({"base"}));
    QCOMPARE(outNames(right), QStringList({"base"}));
    QCOMPARE(fileOf(left->out(0)), dir.filePath("base.dxf"));
    QCOMPARE(fileOf(right->out(0)), dir.filePath("base.dxf"));
    QCOMPARE(left->out(0)->in(0), left);
}

void TestOdDbXrefGraph::ghostsAreLeftOutUnlessAsked()
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

void TestOdDbXrefGraph::unreadableReferenceStaysUnresolved()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("host.dxf");
    QVERIFY(writeAssembly(path, {{"broken.dwg", "broken"}}));
    QVERIFY(DxfTest::writeBytes(dir.filePath("broken.dwg"),
                                QByteArray("AC1032\0\0\0\0\0\0\x1d\0\x03", 16)
                                    + QByteArray(300, '\x02')));
    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(path));
    QVERIFY(db);
    OdDbXrefGraph graph;
    OdDbXrefGraph::getFrom(db.get(), graph);
    QCOMPARE(graph.numNodes(), 2);
    QVERIFY(!graph.xrefNode(1)->database());
    OdDbBlockTableRecordPtr broken =
        OdDbBlockTableRecord::cast(graph.xrefNode(1)->btrId().safeOpenObject(OdDb::kForRead));
    QCOMPARE(OdDbXRefMan::load(broken.get()), eCantOpenFile);
}

QTEST_GUILESS_MAIN(TestOdDbXrefGraph)
#include "tst_oddbxrefgraph.moc"
