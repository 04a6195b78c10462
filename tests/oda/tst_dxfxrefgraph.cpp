#include "dxfdocument.h"
#include "dxftesthelpers.h"
#include "dxfxrefgraph.h"
#include "dxfxrefs.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Writes a drawing at path that references each of refs (stored path, block name).
bool writeAssembly(const QString &path, const QVector<QPair<QString, QString>> &refs)
{
    DxfDocument doc;
    if (!doc.parse(DxfTest::readBytes(DxfTest::dataPath("ezdxf/geometry-r2018.dxf")), nullptr))
        return false;
    for (const auto &ref : refs) {
        if (!DxfXrefs(doc).attach(ref.first, ref.second, QPointF(), nullptr))
            return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return doc.write(path, nullptr);
}

std::shared_ptr<DxfDocument> readShared(const QString &path)
{
    auto doc = std::make_shared<DxfDocument>();
    return doc->read(path, nullptr) ? doc : nullptr;
}

QStringList childNames(const DxfXrefGraph &graph, int index)
{
    QStringList names;
    for (int child : graph.node(index).children)
        names.append(graph.node(child).name);
    return names;
}

} // namespace

class TestDxfXrefGraph : public QObject
{
    Q_OBJECT

private slots:
    void nestedReferencesResolveRelativeToTheirDrawing();
    void cyclesEndAtTheRepeatedDrawing_data();
    void cyclesEndAtTheRepeatedDrawing();
    void sharedDrawingIsReadOnce();
    void ghostsAreLeftOutUnlessAsked();
    void unreadableReferenceSaysWhy();
};

void TestDxfXrefGraph::nestedReferencesResolveRelativeToTheirDrawing()
{
    QTemporaryDir dir;
    for (const char *file : {"refs/host.dxf", "refs/parts/bolt.dwg", "refs/parts/nut.dxf"})
        QVERIFY(DxfTest::copySample(QStringLiteral("ezdxf/") + file, dir.filePath(file)));
    const QString hostPath = dir.filePath("refs/host.dxf");
    DxfXrefGraph graph;
    graph.build(readShared(hostPath), hostPath, XrefFileSearch());

    QCOMPARE(graph.node(0).status, DxfXrefGraph::Host);
    QCOMPARE(graph.node(0).name, QStringLiteral("host.dxf"));
    QCOMPARE(childNames(graph, 0), QStringList({"bolt", "gone"}));
    const DxfXrefGraph::Node &bolt = graph.node(graph.node(0).children.at(0));
    QCOMPARE(bolt.status, DxfXrefGraph::Resolved);
    QCOMPARE(bolt.storedPath, QStringLiteral("parts\\bolt.dwg"));
    QCOMPARE(bolt.filePath, dir.filePath("refs/parts/bolt.dwg"));
    QVERIFY(bolt.blockRecord != 0);
    QCOMPARE(graph.node(0).document->recordOfHandle(bolt.blockRecord) >= 0, true);
    const DxfXrefGraph::Node &gone = graph.node(graph.node(0).children.at(1));
    QCOMPARE(gone.status, DxfXrefGraph::FileNotFound);
    QVERIFY(gone.filePath.isEmpty());
    QVERIFY(gone.children.isEmpty());

    // bolt stores ".\nut.dxf": relative to bolt's own folder, not the host's.
    QCOMPARE(childNames(graph, graph.node(0).children.at(0)), QStringList({"nut"}));
    const DxfXrefGraph::Node &nut = graph.node(bolt.children.at(0));
    QCOMPARE(nut.status, DxfXrefGraph::Resolved);
    QCOMPARE(nut.filePath, dir.filePath("refs/parts/nut.dxf"));
    QVERIFY(!graph.hasCycle());
}

void TestDxfXrefGraph::cyclesEndAtTheRepeatedDrawing_data()
{
    QTest::addColumn<QString>("case_");
    QTest::newRow("two drawings referencing each other") << "pair";
    QTest::newRow("a drawing referencing itself") << "self";
    QTest::newRow("a ring of three through subfolders") << "ring";
}

void TestDxfXrefGraph::cyclesEndAtTheRepeatedDrawing()
{
    QFETCH(QString, case_);
    QTemporaryDir dir;
    QString start;
    int expectedNodes = 0;
    if (case_ == "pair") {
        QVERIFY(DxfTest::copySample("ezdxf/cycle/ring-a.dxf", dir.filePath("ring-a.dxf")));
        QVERIFY(DxfTest::copySample("ezdxf/cycle/ring-b.dxf", dir.filePath("ring-b.dxf")));
        start = dir.filePath("ring-a.dxf");
        expectedNodes = 3; // a -> b -> a (circular)
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
    DxfXrefGraph graph;
    graph.build(readShared(start), start, XrefFileSearch());
    QCOMPARE(graph.nodes().size(), expectedNodes);
    QVERIFY(graph.hasCycle());
    const DxfXrefGraph::Node &last = graph.nodes().last();
    QCOMPARE(last.status, DxfXrefGraph::Circular);
    QCOMPARE(last.filePath, start);
    QVERIFY(last.children.isEmpty());
    QVERIFY(!last.document);
}

void TestDxfXrefGraph::sharedDrawingIsReadOnce()
{
    // top references left and right; both reference base. base stands twice in the tree.
    QTemporaryDir dir;
    QVERIFY(writeAssembly(dir.filePath("base.dxf"), {}));
    QVERIFY(writeAssembly(dir.filePath("left.dxf"), {{"base.dxf", "base"}}));
    QVERIFY(writeAssembly(dir.filePath("right.dxf"), {{"base.dxf", "base"}}));
    QVERIFY(writeAssembly(dir.filePath("top.dxf"), {{"left.dxf", "left"}, {"right.dxf", "right"}}));
    DxfXrefGraph graph;
    graph.build(readShared(dir.filePath("top.dxf")), dir.filePath("top.dxf"), XrefFileSearch());
    QCOMPARE(graph.nodes().size(), 5);
    QVERIFY(!graph.hasCycle());
    const int left = graph.node(0).children.at(0);
    const int right = graph.node(0).children.at(1);
    const DxfXrefGraph::Node &baseViaLeft = graph.node(graph.node(left).children.at(0));
    const DxfXrefGraph::Node &baseViaRight = graph.node(graph.node(right).children.at(0));
    QCOMPARE(baseViaLeft.status, DxfXrefGraph::Resolved);
    QCOMPARE(baseViaLeft.parent, left);
    QCOMPARE(baseViaRight.parent, right);
    QCOMPARE(baseViaLeft.document.get(), baseViaRight.document.get());
}

void TestDxfXrefGraph::ghostsAreLeftOutUnlessAsked()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ghost.dxf");
    QVERIFY(writeAssembly(dir.filePath("part.dxf"), {}));
    QVERIFY(writeAssembly(path, {{"part.dxf", "part"}, {"part.dxf", "shown"}}));
    auto doc = readShared(path);
    // Take away the INSERT of "part": its block stays, referenced by nothing.
    for (int r = 0; r < doc->recordCount(); ++r) {
        if (doc->isType(r, "INSERT") && doc->string(r, 2) == QLatin1String("part")) {
            doc->removeRecords(r, 1);
            break;
        }
    }
    DxfXrefGraph graph;
    graph.build(doc, path, XrefFileSearch());
    QCOMPARE(childNames(graph, 0), QStringList({"shown"}));
    graph.build(doc, path, XrefFileSearch(), true);
    QCOMPARE(childNames(graph, 0), QStringList({"part", "shown"}));
}

void TestDxfXrefGraph::unreadableReferenceSaysWhy()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("host.dxf");
    QVERIFY(writeAssembly(path, {{"broken.dwg", "broken"}}));
    QVERIFY(DxfTest::writeBytes(dir.filePath("broken.dwg"),
                                QByteArray("AC1032\0\0\0\0\0\0\x1d\0\x03", 16)
                                    + QByteArray(300, '\x02')));
    DxfXrefGraph graph;
    graph.build(readShared(path), path, XrefFileSearch());
    QCOMPARE(graph.nodes().size(), 2);
    QCOMPARE(graph.node(1).status, DxfXrefGraph::Unreadable);
    QVERIFY2(graph.node(1).reason.contains("DWG"), qPrintable(graph.node(1).reason));
    QCOMPARE(graph.node(1).filePath, dir.filePath("broken.dwg"));
}

QTEST_GUILESS_MAIN(TestDxfXrefGraph)
#include "tst_dxfxrefgraph.moc"
