// The scene of drawings written by ezdxf, checked against ezdxf's own idea of where each entity
// lies: external references in place (nested ones too, a cycle once), images and PDF frames,
// missing references and images flagged with their paths, and the entity types CAD users expect.

#include "dxfrenderer.h"
#include "dxfscene.h"
#include "dxfscenetext.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool near(const QRectF &actual, const QRectF &expected)
{
    // A hundredth of the entity's size, and no less than a twentieth of a unit: outlines are
    // drawn as polygons, ezdxf's boxes are exact.
    const double tolerance = std::max(0.05, 0.01 * std::max(expected.width(), expected.height()));
    return std::abs(actual.left() - expected.left()) < tolerance
        && std::abs(actual.right() - expected.right()) < tolerance
        && std::abs(actual.top() - expected.top()) < tolerance
        && std::abs(actual.bottom() - expected.bottom()) < tolerance;
}

QString describe(const QRectF &r)
{
    return QStringLiteral("(%1, %2) to (%3, %4)")
        .arg(r.left())
        .arg(r.top())
        .arg(r.right())
        .arg(r.bottom());
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

class TestDxfScene : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), { AUREX_SCENE_SAMPLES, m_dir.path() });
        QVERIFY(python.waitForFinished(120000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        m_probes = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        QVERIFY(!m_probes.isEmpty());
        m_database = m_services.readFile(toOdString(m_dir.filePath("main.dxf")));
        QVERIFY(m_database);
        m_scene = DxfScene::build(*m_database);
    }

    void entitiesLieWhereTheirDrawingSays_data()
    {
        QTest::addColumn<QString>("probe");
        for (const QString &name : m_probes.keys()) {
            const QJsonObject probe = m_probes.value(name).toObject();
            if (probe.contains("color") && probe.contains("box"))
                QTest::newRow(qPrintable(name)) << name;
        }
    }

    void entitiesLieWhereTheirDrawingSays()
    {
        QFETCH(QString, probe);
        const QJsonObject expected = m_probes.value(probe).toObject();
        const QRectF actual = boundsOf(m_scene, QColor(expected.value("color").toString()));
        const QRectF wanted = boxOf(expected.value("box").toArray());
        QVERIFY2(near(actual, wanted),
                 qPrintable(describe(actual) + " instead of " + describe(wanted)));
    }

    void splinesPassThroughTheirFitPoints()
    {
        const QJsonObject expected = m_probes.value("fit point spline").toObject();
        QPolygonF outline;
        for (const DxfScene::Shape &shape : m_scene.shapes) {
            if (shape.color == QColor(expected.value("color").toString()))
                outline = shape.path.toSubpathPolygons().value(0);
        }
        QVERIFY(outline.size() > 4);
        for (const QJsonValue &value : expected.value("through").toArray()) {
            const QPointF fit(value.toArray().at(0).toDouble(), value.toArray().at(1).toDouble());
            double closest = 1e9;
            for (int i = 1; i < outline.size(); ++i) {
                const QLineF segment(outline.at(i - 1), outline.at(i));
                const QPointF d = segment.p2() - segment.p1();
                const double length2 = QPointF::dotProduct(d, d);
                const double along = QPointF::dotProduct(fit - segment.p1(), d);
                const double t = length2 > 0 ? qBound(0.0, along / length2, 1.0) : 0.0;
                closest = std::min(closest, QLineF(fit, segment.p1() + d * t).length());
            }
            QVERIFY2(closest < 0.05, qPrintable(QString::number(closest)));
        }
    }

    void solidHatchesAreFilledAndPatternsOutlined()
    {
        QList<bool> solid;
        QList<bool> patterned;
        for (const DxfScene::Shape &shape : m_scene.shapes) {
            if (shape.color == QColor("#fa0006"))
                solid << shape.filled;
            if (shape.color == QColor("#fa0007"))
                patterned << shape.filled;
        }
        QVERIFY(!solid.isEmpty() && !solid.contains(false));
        QVERIFY(!patterned.isEmpty() && !patterned.contains(true));
    }

    void textsAndAttributesStandAtTheirAnchors()
    {
        const QJsonObject paragraph = m_probes.value("paragraph text").toObject();
        const QJsonArray lines = paragraph.value("lines").toArray();
        const DxfScene::Text *first = textOf(m_scene, lines.at(0).toString());
        const DxfScene::Text *second = textOf(m_scene, lines.at(1).toString());
        QVERIFY(first && second);
        const QPointF at = pointOf(paragraph.value("at"));
        QCOMPARE(first->position, at);
        QCOMPARE(first->alignment, Qt::AlignLeft | Qt::AlignTop);
        // Paragraph lines are 5/3 of the text height apart.
        const double height = paragraph.value("height").toDouble();
        QVERIFY(qFuzzyCompare(second->position.y(), at.y() - height * 5 / 3));
        QVERIFY(textOf(m_scene, m_probes.value("dimension text").toObject().value("text").toString()));
        const QJsonObject attribute = m_probes.value("attribute").toObject();
        const DxfScene::Text *value = textOf(m_scene, attribute.value("text").toString());
        QVERIFY(value);
        QCOMPARE(value->position, pointOf(attribute.value("at")));
    }

    void imagesAndUnderlaysFillTheirFrames()
    {
        QCOMPARE(m_scene.images.size(), 1);
        const DxfScene::Image &photo = m_scene.images.first();
        const QRectF placed = photo.placement.mapRect(QRectF(photo.image.rect()));
        const QRectF wanted = boxOf(m_probes.value("image").toObject().value("box").toArray());
        QVERIFY2(near(placed, wanted), qPrintable(describe(placed)));
        const QJsonObject underlay = m_probes.value("pdf underlay").toObject();
        const DxfScene::Text *page = textOf(m_scene, underlay.value("text").toString());
        QVERIFY(page);
        QVERIFY(QLineF(page->position, pointOf(underlay.value("at"))).length() < 0.05);
    }

    void missingFilesShowTheirFramesAndPaths_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::newRow("external reference") << "missing reference";
        QTest::newRow("image") << "missing image";
    }

    void missingFilesShowTheirFramesAndPaths()
    {
        QFETCH(QString, probe);
        const QJsonObject expected = m_probes.value(probe).toObject();
        const DxfScene::Text *label = textOf(m_scene, expected.value("text").toString());
        QVERIFY(label);
        const QPointF inside = pointOf(expected.value("inside"));
        bool framed = false;
        for (const DxfScene::Shape &shape : m_scene.shapes) {
            for (const QPolygonF &outline : shape.path.toSubpathPolygons())
                framed = framed || (outline.boundingRect().contains(inside)
                                    && outline.boundingRect().contains(label->position));
        }
        QVERIFY(framed);
    }

    void hiddenLayersStayOut()
    {
        QVERIFY(boundsOf(m_scene, QColor("#fa0009")).isNull());
        QVERIFY(boundsOf(m_scene, QColor("#fa000a")).isNull());
    }

    void referenceCycleIsDrawnOnce()
    {
        OdDbDatabasePtr ring = m_services.readFile(toOdString(m_dir.filePath("ring-a.dxf")));
        QVERIFY(ring);
        const DxfScene scene = DxfScene::build(*ring);
        int circles = 0;
        for (const DxfScene::Shape &shape : scene.shapes)
            circles += shape.path.toSubpathPolygons().size();
        QCOMPARE(circles, 2);
        QCOMPARE(boundsOf(scene, QColor(4, 5, 6)), QRectF(15, -5, 10, 10));
    }

    // What the drawing's text codes read as on screen.
    void textCodesReadAsTheirCharacters_data()
    {
        QTest::addColumn<bool>("paragraph");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("degree, plus-minus, diameter, percent")
            << false << "45%%d %%P0.5 %%c20 100%%%"
            << QStringList{"45\u00B0 \u00B10.5 \u230020 100%"};
        QTest::newRow("underline and overline switches")
            << false << "%%uNorth%%U %%OWall" << QStringList{"North Wall"};
        QTest::newRow("paragraph breaks, groups, a hard space and a fraction")
            << true << "{\\fArial|b1;Deck}\\P1\\~1\\S1^2; in\\NColumn \\\\ two"
            << QStringList{"Deck", "1\u00A01 1/2 in", "Column \\ two"};
    }

    void textCodesReadAsTheirCharacters()
    {
        QFETCH(bool, paragraph);
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        QCOMPARE(paragraph ? DxfSceneText::plainParagraph(text)
                           : QStringList{DxfSceneText::plainLine(text)},
                 shown);
    }

    void everyFamilyReachesThePicture()
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

private:
    QTemporaryDir m_dir;
    QJsonObject m_probes;
    OdDbHostAppServices m_services;
    OdDbDatabasePtr m_database;
    DxfScene m_scene;
};

QTEST_MAIN(TestDxfScene)
#include "tst_dxfscene.moc"
