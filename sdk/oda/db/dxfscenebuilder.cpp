#include "dxfscenebuilder.h"

#include "dxfdocument.h"

#include <QtMath>

#include <cmath>

namespace {

const int kMaxInsertDepth = 16;
// Rows and columns of an array insert are 16-bit numbers in the format.
const int kMaxArrayCount = 32767;
const double kDegreesPerSegment = 5.0;
const int kMinArcSegments = 4;
const int kMaxArcSegments = 3600;
const double kLargestCoordinate = 1e128;
// Colour numbers with a meaning of their own.
const int kByBlock = 0;
const int kForeground = 7;
const int kByLayer = 256;

// The standard colour of a colour number: 1 to 9 named, 10 to 249 a hue wheel in shades,
// 250 to 255 greys. 7 is the foreground (an invalid colour here).
QColor indexedColor(int index)
{
    static const QColor named[] = {QColor(), Qt::red,   Qt::yellow, Qt::green,
                                   Qt::cyan, Qt::blue, Qt::magenta, QColor(),
                                   QColor(128, 128, 128), QColor(192, 192, 192)};
    if (index >= 1 && index <= 9)
        return named[index];
    if (index >= 250 && index <= 255)
        return QColor::fromRgb(51 + (index - 250) * 40, 51 + (index - 250) * 40,
                               51 + (index - 250) * 40);
    if (index < 10 || index > 249)
        return QColor();
    const int hue = ((index / 10) - 1) * 15;
    const int shade = index % 10;
    const int value = 255 - (shade / 2) * 51;
    const int saturation = (shade % 2) ? 127 : 255;
    return QColor::fromHsv(hue % 360, saturation, value);
}

// Whether a coordinate can be drawn: QPainterPath ignores points beyond this (and NaN fails
// the comparison too).
bool inRange(double coordinate)
{
    return std::abs(coordinate) < kLargestCoordinate;
}

bool inRange(const QPointF &p)
{
    return inRange(p.x()) && inRange(p.y());
}

bool inRange(const QPainterPath &path)
{
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (!inRange(e.x) || !inRange(e.y))
            return false;
    }
    return true;
}

bool isFinite(const QTransform &t)
{
    for (double v : {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(),
                     t.m33()}) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

// An angle in degrees brought into [0, 360): a drawing may store any multiple of a turn.
double normalizedDegrees(double degrees)
{
    const double angle = std::fmod(degrees, 360.0);
    return angle < 0.0 ? angle + 360.0 : angle;
}

// Points along a circular arc around center, from angle start sweeping sweep (radians,
// counter-clockwise when positive), start point included. Arcs that would leave the range of
// numbers add nothing.
void appendArc(QPainterPath *path, const QPointF &center, double radius, double start,
               double sweep, bool moveFirst)
{
    const double degrees = std::abs(qRadiansToDegrees(sweep));
    if (!std::isfinite(degrees) || !inRange(radius) || !std::isfinite(start) || !inRange(center))
        return;
    const int segments = int(qBound(double(kMinArcSegments),
                                    std::ceil(degrees / kDegreesPerSegment),
                                    double(kMaxArcSegments)));
    for (int i = 0; i <= segments; ++i) {
        const double angle = start + sweep * i / segments;
        const QPointF p(center.x() + radius * std::cos(angle),
                        center.y() + radius * std::sin(angle));
        if (!inRange(p))
            return;
        if (i == 0 && moveFirst)
            path->moveTo(p);
        else
            path->lineTo(p);
    }
}

// A straight or, with a bulge (tangent of a quarter of the included angle), curved segment.
void appendSegment(QPainterPath *path, const QPointF &from, const QPointF &to, double bulge)
{
    if (std::abs(bulge) < 1e-9 || from == to) {
        path->lineTo(to);
        return;
    }
    const double included = 4.0 * std::atan(bulge);
    const QPointF mid = (from + to) / 2.0;
    const QPointF chord = to - from;
    const double length = std::hypot(chord.x(), chord.y());
    const double offset = (length / 2.0) * (1.0 - bulge * bulge) / (2.0 * bulge);
    const QPointF center = mid + QPointF(-chord.y(), chord.x()) / length * offset;
    const QPointF radial = from - center;
    const double radius = std::hypot(radial.x(), radial.y());
    // A bulge so large that the arc leaves the range of coordinates is drawn as its chord.
    if (!inRange(center) || !inRange(radius)) {
        path->lineTo(to);
        return;
    }
    appendArc(path, center, radius, std::atan2(radial.y(), radial.x()), included, false);
}

// The outline through points with the bulge of each segment, closed back to the first point
// when asked; it stops growing once it has more than limit elements.
void appendOutline(QPainterPath *path, const QVector<QPointF> &points,
                   const QVector<double> &bulges, bool closed, qint64 limit)
{
    if (points.isEmpty())
        return;
    path->moveTo(points.first());
    for (int i = 1; i < points.size() && path->elementCount() <= limit; ++i)
        appendSegment(path, points.at(i - 1), points.at(i), bulges.at(i - 1));
    if (closed && points.size() > 1 && path->elementCount() <= limit)
        appendSegment(path, points.last(), points.first(), bulges.last());
}

} // namespace

DxfScene DxfScene::build(const DxfDocument &doc)
{
    return DxfSceneBuilder(doc).build();
}

DxfSceneBuilder::DxfSceneBuilder(const DxfDocument &doc, qint64 budget)
    : m_doc(doc)
    , m_budget(budget)
{
}

DxfScene DxfSceneBuilder::build()
{
    m_scene = DxfScene();
    indexBlocksAndLayers();
    if (const DxfDocument::Section *entities = m_doc.section("ENTITIES"))
        addRange(entities->sectionRecord + 1, entities->endRecord, Context());
    return m_scene;
}

bool DxfSceneBuilder::spend(qint64 units)
{
    if (units > m_budget) {
        m_budget = 0;
        m_scene.complete = false;
        return false;
    }
    m_budget -= units;
    return true;
}

void DxfSceneBuilder::indexBlocksAndLayers()
{
    if (const DxfDocument::Section *blocks = m_doc.section("BLOCKS")) {
        // A definition runs from its BLOCK to its ENDBLK; one left open ends where the next
        // begins.
        Block *open = nullptr;
        for (int r = blocks->sectionRecord + 1; r < blocks->endRecord; ++r) {
            const bool begins = m_doc.isType(r, "BLOCK");
            if (open && (begins || m_doc.isType(r, "ENDBLK"))) {
                open->end = r;
                open = nullptr;
            }
            if (begins) {
                open = &m_blocks[m_doc.string(r, 2).toUpper()];
                *open = Block{r, blocks->endRecord};
            }
        }
    }
    if (const DxfDocument::Section *tables = m_doc.section("TABLES")) {
        for (int r = tables->sectionRecord + 1; r < tables->endRecord; ++r) {
            if (!m_doc.isType(r, "LAYER"))
                continue;
            const bool frozen = m_doc.integer(r, 70) & 1;
            const int color = m_doc.integer(r, 62, kForeground);
            m_layerColors.insert(m_doc.string(r, 2).toUpper(), frozen ? -1 : color);
        }
    }
}

QColor DxfSceneBuilder::entityColor(int record, const Context &context, bool *visible) const
{
    const int layerColor = m_layerColors.value(m_doc.string(record, 8).toUpper(), kForeground);
    // A layer switched off keeps its colour as a negative number.
    *visible = layerColor >= 0;
    const int trueColor = m_doc.findTag(record, 420);
    if (trueColor >= 0)
        return QColor::fromRgb(QRgb(m_doc.integer(record, 420)));
    const int color = m_doc.integer(record, 62, kByLayer);
    if (color == kByBlock)
        return context.blockColor;
    if (color == kByLayer)
        return indexedColor(std::abs(layerColor));
    return indexedColor(std::abs(color));
}

QPointF DxfSceneBuilder::point(int record, int xCode) const
{
    return QPointF(m_doc.real(record, xCode), m_doc.real(record, xCode + 10));
}

void DxfSceneBuilder::addRange(int first, int end, const Context &context)
{
    for (int r = first; r < end && m_budget > 0;)
        r = addEntity(r, context);
}

int DxfSceneBuilder::addEntity(int record, const Context &context)
{
    if (m_doc.integer(record, 67) == 1)
        return record + 1; // paper space
    bool visible = true;
    const QColor color = entityColor(record, context, &visible);
    QPainterPath path;
    int next = record + 1;
    if (m_doc.isType(record, "LINE")) {
        path.moveTo(point(record, 10));
        path.lineTo(point(record, 11));
    } else if (m_doc.isType(record, "CIRCLE")) {
        const double radius = m_doc.real(record, 40);
        path.addEllipse(point(record, 10), radius, radius);
    } else if (m_doc.isType(record, "ARC")) {
        const double start = normalizedDegrees(m_doc.real(record, 50));
        double sweep = normalizedDegrees(m_doc.real(record, 51)) - start;
        if (sweep <= 0.0)
            sweep += 360.0;
        appendArc(&path, point(record, 10), m_doc.real(record, 40), qDegreesToRadians(start),
                  qDegreesToRadians(sweep), true);
    } else if (m_doc.isType(record, "LWPOLYLINE")) {
        path = lwPolyline(record);
    } else if (m_doc.isType(record, "POLYLINE")) {
        next = polyline(record, &path);
    } else if (m_doc.isType(record, "TEXT")) {
        if (visible)
            addText(record, context, color);
        return next;
    } else if (m_doc.isType(record, "INSERT")) {
        if (visible)
            addInsert(record, context, color);
        return next;
    }
    if (visible && !path.isEmpty()) {
        // Entities drawn in a mirrored plane (extrusion pointing down) flip x.
        const bool mirrored = m_doc.real(record, 230, 1.0) < 0.0;
        addShape(path, mirrored ? QTransform::fromScale(-1.0, 1.0) * context.transform
                                : context.transform,
                 color);
    }
    return next;
}

void DxfSceneBuilder::addShape(const QPainterPath &path, const QTransform &placement,
                               const QColor &color)
{
    const QPainterPath placed = placement.map(path);
    // Placement can overflow where a drawing's numbers are finite but enormous.
    if (!inRange(placed) || !spend(placed.elementCount()))
        return;
    // One path per run of a colour: a path per entity costs far more than its points when
    // block arrays make hundreds of thousands of them.
    if (!m_scene.shapes.isEmpty() && m_scene.shapes.last().color == color)
        m_scene.shapes.last().path.addPath(placed);
    else
        m_scene.shapes.append({placed, color});
}

QPainterPath DxfSceneBuilder::lwPolyline(int record) const
{
    QVector<QPointF> points;
    QVector<double> bulges;
    const DxfFile &file = m_doc.file();
    for (int t = m_doc.firstTag(record); t < m_doc.endTag(record); ++t) {
        const int code = file.code(t);
        if (code == 10) {
            points.append(QPointF(m_doc.realValue(t), 0.0));
            bulges.append(0.0);
        } else if (code == 20 && !points.isEmpty()) {
            points.last().setY(m_doc.realValue(t));
        } else if (code == 42 && !bulges.isEmpty()) {
            bulges.last() = m_doc.realValue(t);
        }
    }
    QPainterPath path;
    appendOutline(&path, points, bulges, m_doc.integer(record, 70) & 1, m_budget);
    return path;
}

int DxfSceneBuilder::polyline(int record, QPainterPath *path) const
{
    const int flags = m_doc.integer(record, 70);
    // Meshes and polyface meshes are surfaces, not outlines.
    const bool drawable = !(flags & (16 | 64));
    QVector<QPointF> points;
    QVector<double> bulges;
    int r = record + 1;
    for (; r < m_doc.recordCount() && m_doc.isType(r, "VERTEX"); ++r) {
        // Spline frame points are construction, not shape.
        if (!drawable || (m_doc.integer(r, 70) & 16))
            continue;
        points.append(point(r, 10));
        bulges.append(m_doc.real(r, 42));
    }
    if (r < m_doc.recordCount() && m_doc.isType(r, "SEQEND"))
        ++r;
    appendOutline(path, points, bulges, flags & 1, m_budget);
    return r;
}

void DxfSceneBuilder::addText(int record, const Context &context, const QColor &color)
{
    QString text = m_doc.string(record, 1);
    text.replace(QLatin1String("%%d"), QString(QChar(0x00B0)), Qt::CaseInsensitive);
    text.replace(QLatin1String("%%p"), QString(QChar(0x00B1)), Qt::CaseInsensitive);
    text.replace(QLatin1String("%%c"), QString(QChar(0x2300)), Qt::CaseInsensitive);
    const double height = m_doc.real(record, 40);
    if (text.trimmed().isEmpty() || height <= 0.0)
        return;
    const int horizontal = m_doc.integer(record, 72);
    const int vertical = m_doc.integer(record, 73);
    QPointF position = point(record, 10);
    const double angle = normalizedDegrees(m_doc.real(record, 50));
    if ((horizontal || vertical) && m_doc.findTag(record, 11) >= 0) {
        // Aligned texts hang from their alignment point; estimate the width to place them.
        const double width = 0.6 * height * text.size();
        QPointF shift;
        if (horizontal == 1 || horizontal == 4)
            shift.setX(-width / 2.0);
        else if (horizontal == 2)
            shift.setX(-width);
        if (vertical == 2 || horizontal == 4)
            shift.setY(-height / 2.0);
        else if (vertical == 3)
            shift.setY(-height);
        position = point(record, 11) + QTransform().rotate(angle).map(shift);
    }
    const QTransform &t = context.transform;
    const QPointF placed = t.map(position);
    const double radians = qDegreesToRadians(angle);
    const QPointF direction = t.map(position + QPointF(std::cos(radians), std::sin(radians)))
                              - placed;
    // The mean stretch of the two axes; the determinant would underflow sooner.
    const double scale = std::sqrt(std::hypot(t.m11(), t.m12()) * std::hypot(t.m21(), t.m22()));
    const DxfScene::Text item{text, placed, height * scale,
                              qRadiansToDegrees(std::atan2(direction.y(), direction.x())),
                              color};
    if (!inRange(item.position) || !inRange(item.height) || !std::isfinite(item.angle)
        || !spend(1))
        return;
    m_scene.texts.append(item);
}

void DxfSceneBuilder::addInsert(int record, const Context &context, const QColor &color)
{
    const QString name = m_doc.string(record, 2).toUpper();
    const Block block = m_blocks.value(name);
    if (block.begin < 0 || context.depth >= kMaxInsertDepth || m_insertStack.contains(name))
        return;
    // External references and their dependants have their content in another drawing.
    if (m_doc.integer(block.begin, 70) & (4 | 8 | 16))
        return;
    const QPointF base = point(block.begin, 10);
    const QPointF insertion = point(record, 10);
    const double xScale = m_doc.real(record, 41, 1.0);
    const double yScale = m_doc.real(record, 42, 1.0);
    const double rotation = normalizedDegrees(m_doc.real(record, 50));
    const qint64 columns = qBound(1, m_doc.integer(record, 70, 1), kMaxArrayCount);
    const qint64 rows = qBound(1, m_doc.integer(record, 71, 1), kMaxArrayCount);
    const double columnSpacing = m_doc.real(record, 44);
    const double rowSpacing = m_doc.real(record, 45);
    // Each copy costs its records whether they draw or not, so that arrays of empty or
    // invisible blocks are bounded too.
    const qint64 copyCost = 1 + (block.end - block.begin - 1);
    m_insertStack.append(name);
    for (qint64 copy = 0; copy < rows * columns && spend(copyCost); ++copy) {
        // Block coordinates: move the base point to the origin, scale, rotate, then place;
        // array copies step along the rotated axes.
        QTransform local;
        local.translate(insertion.x(), insertion.y());
        local.rotate(rotation);
        local.translate(double(copy % columns) * columnSpacing,
                        double(copy / columns) * rowSpacing);
        local.scale(xScale, yScale);
        local.translate(-base.x(), -base.y());
        Context inner;
        inner.transform = local * context.transform;
        inner.blockColor = color;
        inner.depth = context.depth + 1;
        if (isFinite(inner.transform))
            addRange(block.begin + 1, block.end, inner);
    }
    m_insertStack.removeLast();
}
