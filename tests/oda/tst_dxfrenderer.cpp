// Scenes and pictures of drawings: every sample drawn, hand-written entities where they say,
// fitted upright, hidden layers left out, drawings made to hang a reader drawn in bounded time;
// and drawings written by ezdxf (make_scene_samples.py) against ezdxf's own idea of where each
// entity lies: external references in place (nested ones too), images and PDF frames, missing
// references and images flagged with their paths, and the entity types CAD users expect.

#include "dxfdocument.h"
#include "dxfrenderer.h"
#include "dxfscene.h"
#include "dxfscenetext.h"
#include "dxftesthelpers.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"

#include <QPainter>
#include <QtTest>

namespace {

// A drawing of release 12 form with the given ENTITIES content and, optionally, blocks and
// layers, each a run of codes and values with a space after each (no value holds one).
QByteArray drawing(const QByteArray &entities, const QByteArray &blocks = QByteArray(),
                   const QByteArray &layers = QByteArray())
{
    return QByteArray("0 SECTION 2 TABLES 0 TABLE 2 LAYER " + layers + "0 ENDTAB 0 ENDSEC "
                      "0 SECTION 2 BLOCKS " + blocks + "0 ENDSEC "
                      "0 SECTION 2 ENTITIES " + entities + "0 ENDSEC 0 EOF ")
        .replace(' ', '\n');
}

QByteArray line(double x1, double y1, double x2, double y2, const QByteArray &layer = "0")
{
    return QStringLiteral("0 LINE 8 %1 10 %2 20 %3 11 %4 21 %5 ")
        .arg(QString::fromLatin1(layer)).arg(x1).arg(y1).arg(x2).arg(y2).toLatin1();
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

// Empty when both corners of actual are within absolute of expected's, or relative of its size
// when more; else both rectangles.
QString offBy(const QRectF &actual, const QRectF &expected, double absolute, double relative)
{
    const double tolerance =
        std::max(absolute, relative * std::max(expected.width(), expected.height()));
    if (QLineF(actual.topLeft(), expected.topLeft()).length() < tolerance
        && QLineF(actual.bottomRight(), expected.bottomRight()).length() < tolerance)
        return QString();
    QString text;
    QDebug(&text) << actual << "instead of" << expected;
    return text;
}

QPointF pointOf(const QJsonValue &point)
{
    return QPointF(point.toArray().at(0).toDouble(), point.toArray().at(1).toDouble());
}

QRectF boxOf(const QJsonArray &box)
{
    return QRectF(QPointF(box.at(0).toDouble(), box.at(1).toDouble()),
                  QPointF(box.at(2).toDouble(), box.at(3).toDouble()));
}

// Everything the scene drew in a colour.
QRectF boundsOf(const DxfScene &scene, const QColor &color)
{
    QRectF bounds;
    for (const DxfScene::Shape &shape : scene.shapes) {
        if (shape.color == color)
            bounds = bounds.united(shape.path.boundingRect());
    }
    return bounds;
}

const DxfScene::Text *textOf(const DxfScene &scene, const QString &content)
{
    for (const DxfScene::Text &text : scene.texts) {
        if (text.text == content)
            return &text;
    }
    return nullptr;
}

} // namespace

class TestDxfRenderer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void drawingsRenderWhatTheirEntitiesSay_data();
    void drawingsRenderWhatTheirEntitiesSay();
    void drawingIsFittedUpright();
    void probesLieWhereTheirDrawingSays_data();
    void probesLieWhereTheirDrawingSays();
    void textCodesReadAsTheirCharacters();
    void everyFamilyReachesThePicture();

private:
    // The ezdxf drawings and what ezdxf says of them.
    QTemporaryDir m_dir;
    QJsonObject m_probes;
    OdDbHostAppServices m_services;
    OdDbDatabasePtr m_database;
    DxfScene m_scene;
};

void TestDxfRenderer::drawingIsFittedUpright()
{
    // A long line at the top (y = 10) and a short one at the bottom (y = 0), in a wide frame.
    DxfDocument doc;
    QVERIFY(doc.parse(drawing(line(0, 10, 10, 10) + line(0, 0, 1, 0)), nullptr));
    const DxfRenderer renderer(doc);
    const QImage image = renderer.preview(QSize(200, 100));
    QVERIFY(inkIn(image, QRect(0, 0, 200, 50)) > 2 * inkIn(image, QRect(0, 50, 200, 50)));
    QVERIFY(inkIn(image, QRect(0, 50, 200, 50)) > 0);
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

void TestDxfRenderer::drawingsRenderWhatTheirEntitiesSay_data()
{
    // Every sample drawing, and hand-written ones, among them ones made to hang or exhaust a
    // reader: what fits is drawn, the rest left out, and nothing non-finite reaches the painter.
    // points: outline points in the scene, exactly, more than (">N") or any; extents: null when
    // not compared.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("points");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QRectF>("extents");
    auto row = [](const QString &name, const QByteArray &bytes, const QString &points,
                  const QRectF &extents, bool complete = true) {
        QTest::newRow(qPrintable(name)) << bytes << points << complete << extents;
    };
    QDirIterator samples(QStringLiteral(AUREX_TEST_DATA), {"*.dxf", "*.dwg"}, QDir::Files,
                         QDirIterator::Subdirectories);
    while (samples.hasNext()) {
        const QString path = samples.next();
        row(QDir(AUREX_TEST_DATA).relativeFilePath(path), DxfTest::readBytes(path), "any", {});
    }
    auto arc = [](const QByteArray &start, const QByteArray &end) {
        return drawing("0 ARC 8 0 10 0 20 0 40 10 50 " + start + " 51 " + end + " ");
    };
    auto block = [](const QByteArray &name, const QByteArray &content, int flags = 0) {
        return "0 BLOCK 8 0 2 " + name + " 70 " + QByteArray::number(flags) + " 10 0 20 0 "
               + content + "0 ENDBLK 8 0 ";
    };
    auto insert = [](const QByteArray &name, double x = 0, double y = 0,
                     const QByteArray &more = QByteArray()) {
        return "0 INSERT 8 0 2 " + name + " 10 " + QByteArray::number(x) + " 20 "
               + QByteArray::number(y) + " " + more;
    };
    auto array = [&insert](const QByteArray &name, int columns, int rows) {
        return insert(name, 0, 0, "70 " + QByteArray::number(columns) + " 71 "
                                      + QByteArray::number(rows) + " 44 1 45 1 ");
    };
    // A quarter arc takes 19 points, a half 37, a full circle 73.
    const QRectF quarter(0, 0, 10, 10);
    const QRectF circle(-10, -10, 20, 20);
    const QRectF unit(0, 0, 1, 1);
    row("arc across zero degrees", arc("270", "90"), "37", QRectF(0, -10, 10, 20));
    row("insert rotated and scaled",
        drawing(insert("B", 10, 0, "41 5 42 5 50 90 "),
                "0 BLOCK 8 0 2 B 70 0 10 1 20 0 " + line(1, 0, 2, 0) + "0 ENDBLK 8 0 "),
        "2", QRectF(10, 0, 0, 5));
    row("block inserting itself is drawn once",
        drawing(insert("LOOP"), block("LOOP", line(0, 0, 3, 0) + insert("LOOP", 0, 1))), "2",
        QRectF(0, 0, 3, 0));
    row("external reference block is not drawn",
        drawing(line(0, 0, 1, 1) + insert("X", 50, 50),
                block("X", "1 x.dwg " + line(0, 0, 9, 9), 4)),
        "2", unit);
    row("hidden layers and paper space stay out",
        drawing(line(0, 0, 1, 1) + line(0, 0, 50, 50, "OFF") + line(0, 0, 60, 60, "FROZEN")
                    + "0 LINE 67 1 8 0 10 0 20 0 11 99 21 99 ",
                QByteArray(), "0 LAYER 2 OFF 70 0 62 -1 0 LAYER 2 FROZEN 70 1 62 3 "),
        "2", unit);
    row("arc starting at 3.6e17 degrees", arc("3.6e17", "90"), "19", quarter);
    row("arc of many negative turns", arc("-3600000000000000", "-3599999999999910"), "19",
        quarter);
    row("arc from 1e300 to 1e300 degrees", arc("1e300", "1e300"), "73", circle);
    row("arc with infinite and NaN angles", arc("inf", "nan"), "73", circle);
    row("line with infinite coordinates reads them as absent",
        drawing("0 LINE 8 0 10 -inf 20 1 11 4 21 NaN "), "2", QRectF(0, 0, 4, 1));
    row("lwpolyline with bulges too large to compute",
        drawing("0 LWPOLYLINE 8 0 90 3 70 1 10 0 20 0 42 1e300 10 5 20 0 42 -1e308 10 5 20 5 "
                "42 inf "),
        "4", QRectF(0, 0, 5, 5));
    const QByteArray far = block("B", line(1e100, 1e100, 1e100, 0));
    row("block scaled until its coordinates overflow",
        drawing(line(0, 0, 1, 1) + insert("B", 0, 0, "41 1e300 42 1e300 "), far), "2", unit);
    row("block scaled beyond the coordinates a painter takes",
        drawing(line(0, 0, 1, 1) + insert("B", 0, 0, "41 1e50 42 1e50 "), far), "2", unit);
    row("circle too large to draw, beside one that is not",
        drawing("0 CIRCLE 8 0 10 0 20 0 40 1e200 0 CIRCLE 8 0 10 0 20 0 40 1e100 "), "13",
        QRectF(-1e100, -1e100, 2e100, 2e100));
    row("text 1e300 high turned 1e300 degrees",
        drawing("0 TEXT 8 0 10 0 20 0 40 1e300 50 1e300 1 Tall "), "0", QRectF());
    const QByteArray one = block("ONE", line(0, 0, 0.5, 0));
    row("array of 30000 by 30000 copies of a one-line block",
        drawing(array("ONE", 30000, 30000), one), ">100000", QRectF(), false);
    row("array of 32767 by 32767 copies of an empty block",
        drawing(line(0, 0, 1, 1) + array("EMPTY", 32767, 32767), block("EMPTY", "")), "2", unit,
        false);
    QByteArray nested = block("L0", "0 POINT 8 0 10 0 20 0 ");
    for (int level = 1; level <= 16; ++level) {
        nested += block("L" + QByteArray::number(level),
                        array("L" + QByteArray::number(level - 1), 1000, 1000));
    }
    row("sixteen levels of arrays of a block that draws nothing",
        drawing(array("L16", 1000, 1000), nested), "0", QRectF(), false);
    row("array rows and columns beyond the format's range",
        drawing(array("ONE", 2147483647, -5), one), QString::number(2 * 32767),
        QRectF(0, 0, 32766.5, 0));
}

void TestDxfRenderer::drawingsRenderWhatTheirEntitiesSay()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, points);
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
    if (points.startsWith('>'))
        QVERIFY(inScene > points.mid(1).toInt());
    else if (points != "any")
        QCOMPARE(QString::number(inScene), points);
    if (!extents.isNull())
        QCOMPARE(offBy(renderer.extents(), extents, 1e-6, 1e-6), QString());
    if (!renderer.isEmpty())
        QVERIFY(inkIn(image, image.rect()) > 0);
}

void TestDxfRenderer::initTestCase()
{
    m_probes = DxfTest::pythonReport({AUREX_SCENE_SAMPLES, m_dir.path()});
    QVERIFY2(!m_probes.isEmpty() && !m_probes.contains("processError"),
             QJsonDocument(m_probes).toJson().constData());
    m_database = m_services.readFile(toOdString(m_dir.filePath("main.dxf")));
    QVERIFY(m_database);
    m_scene = DxfScene::build(*m_database);
}

void TestDxfRenderer::probesLieWhereTheirDrawingSays_data()
{
    QTest::addColumn<QString>("probe");
    for (const QString &name : m_probes.keys())
        QTest::newRow(qPrintable(name)) << name;
}

void TestDxfRenderer::probesLieWhereTheirDrawingSays()
{
    QFETCH(QString, probe);
    const QJsonObject expected = m_probes.value(probe).toObject();
    // An entity's outline, found by its colour, or the photo's pixels; outlines are drawn as
    // polygons, ezdxf's boxes are exact.
    if (expected.contains("box")) {
        QCOMPARE(m_scene.images.size(), 1);
        const DxfScene::Image &photo = m_scene.images.first();
        const QRectF actual = expected.contains("color")
                                  ? boundsOf(m_scene, QColor(expected.value("color").toString()))
                                  : photo.placement.mapRect(QRectF(photo.image.rect()));
        QCOMPARE(offBy(actual, boxOf(expected.value("box").toArray()), 0.05, 0.01), QString());
        return;
    }
    // A text, attribute or PDF page label at its anchor; a paragraph's lines, the first at the
    // paragraph's top left.
    const QJsonArray lines = expected.value("lines").toArray();
    const DxfScene::Text *text =
        textOf(m_scene, lines.isEmpty() ? expected.value("text").toString() : lines[0].toString());
    QVERIFY(text);
    if (expected.contains("at"))
        QCOMPARE(text->position, pointOf(expected.value("at")));
    if (!lines.isEmpty()) {
        QVERIFY(textOf(m_scene, lines[1].toString()));
        QCOMPARE(text->alignment, Qt::AlignLeft | Qt::AlignTop);
    }
    // A missing reference or image: its path inside the frame drawn where it would be.
    if (expected.contains("inside")) {
        const QPointF inside = pointOf(expected.value("inside"));
        bool framed = false;
        for (const DxfScene::Shape &shape : m_scene.shapes) {
            for (const QPolygonF &outline : shape.path.toSubpathPolygons())
                framed = framed || (outline.boundingRect().contains(inside)
                                    && outline.boundingRect().contains(text->position));
        }
        QVERIFY(framed);
    }
}

void TestDxfRenderer::textCodesReadAsTheirCharacters()
{
    // Degree, plus-minus, diameter and percent in a line of text; paragraph breaks, groups, a
    // hard space and a fraction in a paragraph.
    QCOMPARE(DxfSceneText::plainLine("45%%d %%P0.5 %%c20 100%%%"),
             QStringLiteral("45\u00B0 \u00B10.5 \u230020 100%"));
    QCOMPARE(DxfSceneText::plainParagraph("{\\fArial|b1;Deck}\\P1\\~1\\S1^2; in\\NColumn \\\\ two"),
             QStringList({"Deck", "1\u00A01 1/2 in", "Column \\ two"}));
}

void TestDxfRenderer::everyFamilyReachesThePicture()
{
    const DxfRenderer renderer(*m_database);
    const QImage picture = renderer.preview(QSize(800, 800), Qt::white, Qt::black);
    const QTransform fit = renderer.fitTransform(QRectF(0, 0, 800, 800));
    // The photo's pixels and the solid hatch's fill show where they were placed.
    const QRectF image = boxOf(m_probes.value("image").toObject().value("box").toArray());
    QVERIFY(picture.pixelColor(fit.map(image.center()).toPoint()) != QColor(Qt::white));
    const QRectF solid = boxOf(m_probes.value("solid hatch").toObject().value("box").toArray());
    const QPoint fill = fit.map(solid.center()).toPoint();
    QCOMPARE(picture.pixelColor(fill), QColor("#fa0006"));
}

QTEST_MAIN(TestDxfRenderer)
#include "tst_dxfrenderer.moc"
