#include "dxfdocument.h"
#include "dxftesthelpers.h"
#include "dxfxrefs.h"
#include "oddbblocktable.h"
#include "oddbblocktablerecord.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"
#include "oddbxrefgraph.h"
#include "oddbxrefman.h"

#include <QElapsedTimer>
#include <QSet>
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

// The database reached from database through the references named in order, or null.
OdDbDatabase *follow(OdDbDatabase *database, const QStringList &names)
{
    for (const QString &name : names) {
        if (!database)
            return nullptr;
        OdDbBlockTablePtr table =
            OdDbBlockTable::cast(database->getBlockTableId().safeOpenObject());
        OdDbBlockTableRecordPtr record = table->getAt(toOdString(name), OdDb::kForRead);
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

class TestOdDbXrefGraph : public QObject
{
    Q_OBJECT

private slots:
    void nestedReferencesResolveRelativeToTheirDrawing();
    void cyclesEndAtTheRepeatedDrawing_data();
    void cyclesEndAtTheRepeatedDrawing();
    void sharedDrawingsAreReadOnceAtEveryDepth();
    void cyclesAmongSharedDrawingsEndToo();
    void sharedDrawingStandsTwiceAndOutlivesTheDrawingThatLoadedIt();
    void ghostsAreLeftOutUnlessAsked();
    void everyUnresolvedReferenceSaysWhy();
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
    QCOMPARE(gone->xrefStatus(), OdDb::kXrfFileNotFound);
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
    QCOMPARE(last->xrefStatus(), OdDb::kXrfUnloaded);
    QVERIFY(last->isCycleNode());
    OdDbBlockTableRecordPtr back =
        OdDbBlockTableRecord::cast(last->btrId().safeOpenObject(OdDb::kForRead));
    QCOMPARE(OdDbXRefMan::load(back.get()), eSelfReference);
}

void TestOdDbXrefGraph::sharedDrawingsAreReadOnceAtEveryDepth()
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

void TestOdDbXrefGraph::cyclesAmongSharedDrawingsEndToo()
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

void TestOdDbXrefGraph::sharedDrawingStandsTwiceAndOutlivesTheDrawingThatLoadedIt()
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
    OdDbBlockTablePtr table = OdDbBlockTable::cast(top->getBlockTableId().safeOpenObject());
    QCOMPARE(OdDbXRefMan::unload(table->getAt("left", OdDb::kForRead).get()), eOk);
    QCOMPARE(follow(top.get(), {"right", "base"}), base);
    QVERIFY(!base->referencingDatabase());
    OdDbBlockTablePtr baseTable = OdDbBlockTable::cast(base->getBlockTableId().safeOpenObject());
    OdDbBlockTableRecordPtr leaf = baseTable->getAt("leaf", OdDb::kForRead);
    QCOMPARE(OdDbXRefMan::load(leaf.get()), eOk);
    QCOMPARE(toQString(leaf->xrefDatabase()->getFilename()), dir.filePath("leaf.dxf"));
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

void TestOdDbXrefGraph::everyUnresolvedReferenceSaysWhy()
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
    QVERIFY(DxfTest::writeBytes(dir.filePath("broken.dwg"),
                                QByteArray("AC1032\0\0\0\0\0\0\x1d\0\x03", 16)
                                    + QByteArray(300, '\x02')));
    OdDbHostAppServices services;
    OdDbDatabasePtr db = services.readFile(toOdString(path));
    QVERIFY(db);
    OdDbBlockTablePtr table = OdDbBlockTable::cast(db->getBlockTableId().safeOpenObject());
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
}

QTEST_GUILESS_MAIN(TestOdDbXrefGraph)
#include "tst_oddbxrefgraph.moc"
