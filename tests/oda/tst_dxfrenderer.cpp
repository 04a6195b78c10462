#include "dxfdocument.h"
#include "dxfrenderer.h"
#include "dxftesthelpers.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QtTest>

#include <future>

namespace {

// A drawing of release 12 form with the given ENTITIES content and, optionally, blocks and
// layers (each a run of "code\nvalue\n" lines).
QByteArray drawing(const QByteArray &entities, const QByteArray &blocks = QByteArray(),
                   const QByteArray &layers = QByteArray())
{
    return "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n" + layers + "0\nENDTAB\n0\nENDSEC\n"
           "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n"
           "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

QByteArray line(double x1, double y1, double x2, double y2, const QByteArray &layer = "0")
{
    return QStringLiteral("0\nLINE\n8\n%1\n10\n%2\n20\n%3\n11\n%4\n21\n%5\n")
        .arg(QString::fromLatin1(layer)).arg(x1).arg(y1).arg(x2).arg(y2).toLatin1();
}

DxfRenderer rendererOf(const QByteArray &bytes)
{
    DxfDocument doc;
    QString error;
    if (!doc.parse(bytes, &error))
        qWarning("%s", qPrintable(error));
    return DxfRenderer(doc);
}

// How many pixels in rect differ from white.
int inkIn(const QImage &image, const QRect &rect)
{
    int ink = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ++ink;
        }
    }
    return ink;
}

void compareRects(const QRectF &actual, const QRectF &expected)
{
    const double tolerance = 1e-6 * std::max(1.0, expected.width() + expected.height());
    QVERIFY2(std::abs(actual.left() - expected.left()) < tolerance
                 && std::abs(actual.top() - expected.top()) < tolerance
                 && std::abs(actual.right() - expected.right()) < tolerance
                 && std::abs(actual.bottom() - expected.bottom()) < tolerance,
             qPrintable(QStringLiteral("(%1,%2 %3x%4)")
                            .arg(actual.x()).arg(actual.y())
                            .arg(actual.width()).arg(actual.height())));
}

} // namespace

class TestDxfRenderer : public QObject
{
    Q_OBJECT

private slots:
    void geometryLandsWhereTheEntitiesSay_data();
    void geometryLandsWhereTheEntitiesSay();
    void drawingIsFittedUpright();
    void hiddenLayersAndPaperSpaceStayOut();
    void everySampleRenders_data();
    void everySampleRenders();
    void previewsRenderOffTheGuiThread();
    void hostileDrawingsRenderInBoundedTime_data();
    void hostileDrawingsRenderInBoundedTime();
};

void TestDxfRenderer::geometryLandsWhereTheEntitiesSay_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QRectF>("extents");
    QTest::newRow("line") << drawing(line(1, 2, 11, 7)) << QRectF(1, 2, 10, 5);
    QTest::newRow("circle") << drawing("0\nCIRCLE\n8\n0\n10\n5\n20\n5\n40\n2\n")
                            << QRectF(3, 3, 4, 4);
    QTest::newRow("arc, first quadrant")
        << drawing("0\nARC\n8\n0\n10\n0\n20\n0\n40\n10\n50\n0\n51\n90\n") << QRectF(0, 0, 10, 10);
    QTest::newRow("arc across zero degrees")
        << drawing("0\nARC\n8\n0\n10\n0\n20\n0\n40\n10\n50\n270\n51\n90\n")
        << QRectF(0, -10, 10, 20);
    QTest::newRow("lwpolyline with a half-circle bulge")
        << drawing("0\nLWPOLYLINE\n8\n0\n90\n2\n70\n0\n10\n0\n20\n0\n42\n1\n10\n10\n20\n0\n")
        << QRectF(0, -5, 10, 5);
    QTest::newRow("polyline with vertices")
        << drawing("0\nPOLYLINE\n8\n0\n66\n1\n70\n1\n0\nVERTEX\n8\n0\n10\n0\n20\n0\n"
                   "0\nVERTEX\n8\n0\n10\n4\n20\n0\n0\nVERTEX\n8\n0\n10\n4\n20\n3\n"
                   "0\nSEQEND\n8\n0\n")
        << QRectF(0, 0, 4, 3);
    QTest::newRow("insert rotated and scaled")
        << drawing("0\nINSERT\n8\n0\n2\nB\n10\n10\n20\n0\n41\n5\n42\n5\n50\n90\n",
                   "0\nBLOCK\n8\n0\n2\nB\n70\n0\n10\n1\n20\n0\n" + line(1, 0, 2, 0)
                       + "0\nENDBLK\n8\n0\n")
        << QRectF(10, 0, 0, 5);
    QTest::newRow("insert of an insert")
        << drawing("0\nINSERT\n8\n0\n2\nOUTER\n10\n100\n20\n100\n",
                   "0\nBLOCK\n8\n0\n2\nINNER\n70\n0\n10\n0\n20\n0\n" + line(0, 0, 1, 1)
                       + "0\nENDBLK\n8\n0\n0\nBLOCK\n8\n0\n2\nOUTER\n70\n0\n10\n0\n20\n0\n"
                       + "0\nINSERT\n8\n0\n2\nINNER\n10\n5\n20\n5\n41\n2\n42\n2\n"
                       + "0\nENDBLK\n8\n0\n")
        << QRectF(105, 105, 2, 2);
    QTest::newRow("block inserting itself is drawn once")
        << drawing("0\nINSERT\n8\n0\n2\nLOOP\n10\n0\n20\n0\n",
                   "0\nBLOCK\n8\n0\n2\nLOOP\n70\n0\n10\n0\n20\n0\n" + line(0, 0, 3, 0)
                       + "0\nINSERT\n8\n0\n2\nLOOP\n10\n0\n20\n1\n0\nENDBLK\n8\n0\n")
        << QRectF(0, 0, 3, 0);
    QTest::newRow("external reference block is not drawn")
        << drawing(line(0, 0, 1, 1) + "0\nINSERT\n8\n0\n2\nX\n10\n50\n20\n50\n",
                   "0\nBLOCK\n8\n0\n2\nX\n70\n4\n10\n0\n20\n0\n1\nx.dwg\n" + line(0, 0, 9, 9)
                       + "0\nENDBLK\n8\n0\n")
        << QRectF(0, 0, 1, 1);
}

void TestDxfRenderer::geometryLandsWhereTheEntitiesSay()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QRectF, extents);
    compareRects(rendererOf(bytes).extents(), extents);
}

void TestDxfRenderer::drawingIsFittedUpright()
{
    // A long line at the top (y = 10) and a short one at the bottom (y = 0), in a wide frame.
    const DxfRenderer renderer = rendererOf(drawing(line(0, 10, 10, 10) + line(0, 0, 1, 0)));
    const QImage image = renderer.preview(QSize(200, 100));
    const QRect top(0, 0, 200, 50);
    const QRect bottom(0, 50, 200, 50);
    QVERIFY(inkIn(image, top) > 2 * inkIn(image, bottom));
    QVERIFY(inkIn(image, bottom) > 0);
    // Fitted: the drawing is square, so it is centred with empty bands left and right.
    QCOMPARE(inkIn(image, QRect(0, 0, 45, 100)), 0);
    QCOMPARE(inkIn(image, QRect(155, 0, 45, 100)), 0);

    // The same renderer paints into a part of a larger device, as a view does.
    QImage view(400, 300, QImage::Format_ARGB32_Premultiplied);
    view.fill(Qt::white);
    QPainter painter(&view);
    renderer.render(&painter, QRectF(100, 100, 200, 100), Qt::black);
    painter.end();
    QCOMPARE(inkIn(view, QRect(0, 0, 400, 99)), 0);
    QVERIFY(inkIn(view, QRect(100, 100, 200, 100)) > 0);
}

void TestDxfRenderer::hiddenLayersAndPaperSpaceStayOut()
{
    const QByteArray layers = "0\nLAYER\n2\nOFF\n70\n0\n62\n-1\n"
                              "0\nLAYER\n2\nFROZEN\n70\n1\n62\n3\n";
    const QByteArray paperSpace = "0\nLINE\n67\n1\n8\n0\n10\n0\n20\n0\n11\n99\n21\n99\n";
    const DxfRenderer renderer = rendererOf(
        drawing(line(0, 0, 1, 1) + line(0, 0, 50, 50, "OFF") + line(0, 0, 60, 60, "FROZEN")
                    + paperSpace,
                QByteArray(), layers));
    compareRects(renderer.extents(), QRectF(0, 0, 1, 1));
    QCOMPARE(renderer.scene().shapes.size(), 1);
}

void TestDxfRenderer::everySampleRenders_data()
{
    DxfTest::addSampleRows();
}

void TestDxfRenderer::everySampleRenders()
{
    QFETCH(QString, path);
    DxfDocument doc;
    QCOMPARE(DxfTest::readError(doc, path), QString());
    const DxfRenderer renderer(doc);
    const QImage image = renderer.preview(QSize(160, 120));
    QCOMPARE(image.size(), QSize(160, 120));
    if (!renderer.isEmpty())
        QVERIFY(inkIn(image, image.rect()) > 0);
}

void TestDxfRenderer::previewsRenderOffTheGuiThread()
{
    const QString path = DxfTest::dataPath("ezdxf/geometry-r2018.dxf");
    auto render = [path]() {
        DxfDocument doc;
        doc.read(path, nullptr);
        return DxfRenderer(doc).preview(QSize(120, 120));
    };
    const QImage onWorker = std::async(std::launch::async, render).get();
    QCOMPARE(onWorker, render());
    QVERIFY(inkIn(onWorker, onWorker.rect()) > 100);
}

void TestDxfRenderer::hostileDrawingsRenderInBoundedTime_data()
{
    // Drawings made to hang or exhaust a reader: what fits is drawn, the rest left out, and
    // nothing non-finite reaches the painter. points: outline points in the scene, -1 for
    // "very many".
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QRectF>("extents");
    auto arc = [](const QByteArray &start, const QByteArray &end) {
        return drawing("0\nARC\n8\n0\n10\n0\n20\n0\n40\n10\n50\n" + start + "\n51\n" + end
                       + "\n");
    };
    auto block = [](const QByteArray &name, const QByteArray &content) {
        return "0\nBLOCK\n8\n0\n2\n" + name + "\n70\n0\n10\n0\n20\n0\n" + content
               + "0\nENDBLK\n8\n0\n";
    };
    auto array = [](const QByteArray &name, int columns, int rows) {
        return "0\nINSERT\n8\n0\n2\n" + name + "\n10\n0\n20\n0\n70\n"
               + QByteArray::number(columns) + "\n71\n" + QByteArray::number(rows)
               + "\n44\n1\n45\n1\n";
    };
    // A quarter arc takes 19 points, a full circle 73.
    const QRectF quarter(0, 0, 10, 10);
    const QRectF circle(-10, -10, 20, 20);
    QTest::newRow("arc starting at 3.6e17 degrees") << arc("3.6e17", "90") << 19 << true
                                                    << quarter;
    QTest::newRow("arc of many negative turns")
        << arc("-3600000000000000", "-3599999999999910") << 19 << true << quarter;
    QTest::newRow("arc from 1e300 to 1e300 degrees") << arc("1e300", "1e300") << 73 << true
                                                     << circle;
    QTest::newRow("arc with infinite and NaN angles") << arc("inf", "nan") << 73 << true
                                                      << circle;
    QTest::newRow("line with infinite coordinates reads them as absent")
        << drawing("0\nLINE\n8\n0\n10\n-inf\n20\n1\n11\n4\n21\nNaN\n") << 2 << true
        << QRectF(0, 0, 4, 1);
    QTest::newRow("lwpolyline with bulges too large to compute")
        << drawing("0\nLWPOLYLINE\n8\n0\n90\n3\n70\n1\n10\n0\n20\n0\n42\n1e300\n"
                   "10\n5\n20\n0\n42\n-1e308\n10\n5\n20\n5\n42\ninf\n")
        << 4 << true << QRectF(0, 0, 5, 5);
    auto scaled = [](const QByteArray &scale) {
        return "0\nINSERT\n8\n0\n2\nB\n10\n0\n20\n0\n41\n" + scale + "\n42\n" + scale + "\n";
    };
    QTest::newRow("block scaled until its coordinates overflow")
        << drawing(line(0, 0, 1, 1) + scaled("1e300"), block("B", line(1e100, 1e100, 1e100, 0)))
        << 2 << true << QRectF(0, 0, 1, 1);
    QTest::newRow("block scaled beyond the coordinates a painter takes")
        << drawing(line(0, 0, 1, 1) + scaled("1e50"), block("B", line(1e100, 1e100, 1e100, 0)))
        << 2 << true << QRectF(0, 0, 1, 1);
    QTest::newRow("circle too large to draw, beside one that is not")
        << drawing("0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n1e200\n"
                   "0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n1e100\n")
        << 13 << true << QRectF(-1e100, -1e100, 2e100, 2e100);
    QTest::newRow("text 1e300 high turned 1e300 degrees")
        << drawing("0\nTEXT\n8\n0\n10\n0\n20\n0\n40\n1e300\n50\n1e300\n1\nTall\n") << 0 << true
        << QRectF();
    QTest::newRow("array of 30000 by 30000 copies of a one-line block")
        << drawing(array("ONE", 30000, 30000), block("ONE", line(0, 0, 0.5, 0))) << -1 << false
        << QRectF();
    QTest::newRow("array of 32767 by 32767 copies of an empty block")
        << drawing(line(0, 0, 1, 1) + array("EMPTY", 32767, 32767), block("EMPTY", "")) << 2
        << false << QRectF(0, 0, 1, 1);
    QByteArray nested = block("L0", "0\nPOINT\n8\n0\n10\n0\n20\n0\n");
    for (int level = 1; level <= 16; ++level) {
        nested += block("L" + QByteArray::number(level),
                        array("L" + QByteArray::number(level - 1), 1000, 1000));
    }
    QTest::newRow("sixteen levels of arrays of a block that draws nothing")
        << drawing(array("L16", 1000, 1000), nested) << 0 << false << QRectF();
    QTest::newRow("array rows and columns beyond the format's range")
        << drawing(array("ONE", 2147483647, -5), block("ONE", line(0, 0, 0.5, 0)))
        << 2 * 32767 << true << QRectF(0, 0, 32766.5, 0);
}

void TestDxfRenderer::hostileDrawingsRenderInBoundedTime()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, points);
    QFETCH(bool, complete);
    QFETCH(QRectF, extents);
    QElapsedTimer timer;
    timer.start();
    DxfDocument doc;
    QString error;
    QVERIFY2(doc.parse(bytes, &error), qPrintable(error));
    const DxfRenderer renderer(doc);
    const QImage image = renderer.preview(QSize(200, 200));
    // Generous for a slow machine; a hang or a runaway takes minutes or never ends.
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));

    QCOMPARE(renderer.scene().complete, complete);
    int inScene = 0;
    for (const DxfScene::Shape &shape : renderer.scene().shapes) {
        for (int i = 0; i < shape.path.elementCount(); ++i) {
            const QPainterPath::Element e = shape.path.elementAt(i);
            QVERIFY(std::isfinite(e.x) && std::isfinite(e.y));
        }
        inScene += shape.path.elementCount();
    }
    if (points >= 0)
        QCOMPARE(inScene, points);
    else
        QVERIFY(inScene > 100000);
    if (!extents.isNull())
        compareRects(renderer.extents(), extents);
    if (!renderer.isEmpty())
        QVERIFY(inkIn(image, image.rect()) > 0);
}

QTEST_MAIN(TestDxfRenderer)
#include "tst_dxfrenderer.moc"
