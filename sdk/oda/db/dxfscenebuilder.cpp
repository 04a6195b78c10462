#include "dxfscenebuilder.h"

#include "dxfdocument.h"

#include <QtMath>

namespace {

const int kMaxInsertDepth = 16;
const double kDegreesPerSegment = 5.0;
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

// Points along a circular arc around center, from angle start sweeping sweep (radians,
// counter-clockwise when positive), start point included.
void appendArc(QPainterPath *path, const QPointF &center, double radius, double start,
               double sweep, bool moveFirst)
{
    const int segments = std::max(4, int(std::ceil(std::abs(qRadiansToDegrees(sweep))
                                                   / kDegreesPerSegment)));
    for (int i = 0; i <= segments; ++i) {
        const double angle = start + sweep * i / segments;
        const QPointF p(center.x() + radius * std::cos(angle),
                        center.y() + radius * std::sin(angle));
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
    appendArc(path, center, std::hypot(radial.x(), radial.y()),
              std::atan2(radial.y(), radial.x()), included, false);
}

} // namespace

DxfScene DxfScene::build(const DxfDocument &doc)
{
    return DxfSceneBuilder(doc).build();
}

DxfSceneBuilder::DxfSceneBuilder(const DxfDocument &doc)
    : m_doc(doc)
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

void DxfSceneBuilder::indexBlocksAndLayers()
{
    if (const DxfDocument::Section *blocks = m_doc.section("BLOCKS")) {
        for (int r = blocks->sectionRecord + 1; r < blocks->endRecord; ++r) {
            if (m_doc.isType(r, "BLOCK"))
                m_blocks.insert(m_doc.string(r, 2).toUpper(), r);
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

void DxfSceneBuilder::addRange(int first, int end, const Context &context)
{
    for (int r = first; r < end;)
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
    // Entities drawn in a mirrored plane (extrusion pointing down) flip x.
    const bool mirrored = m_doc.real(record, 230, 1.0) < 0.0;
    if (m_doc.isType(record, "LINE")) {
        path.moveTo(m_doc.real(record, 10), m_doc.real(record, 20));
        path.lineTo(m_doc.real(record, 11), m_doc.real(record, 21));
    } else if (m_doc.isType(record, "CIRCLE")) {
        const double radius = m_doc.real(record, 40);
        path.addEllipse(QPointF(m_doc.real(record, 10), m_doc.real(record, 20)), radius, radius);
    } else if (m_doc.isType(record, "ARC")) {
        const double start = qDegreesToRadians(m_doc.real(record, 50));
        double sweep = qDegreesToRadians(m_doc.real(record, 51)) - start;
        while (sweep <= 0.0)
            sweep += 2.0 * M_PI;
        appendArc(&path, QPointF(m_doc.real(record, 10), m_doc.real(record, 20)),
                  m_doc.real(record, 40), start, sweep, true);
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
        QTransform placement = context.transform;
        if (mirrored)
            placement = QTransform::fromScale(-1.0, 1.0) * placement;
        m_scene.shapes.append({placement.map(path), color});
    }
    return next;
}

QPainterPath DxfSceneBuilder::lwPolyline(int record) const
{
    QPainterPath path;
    QVector<QPointF> points;
    QVector<double> bulges;
    const DxfFile &file = m_doc.file();
    for (int t = m_doc.firstTag(record); t < m_doc.endTag(record); ++t) {
        const int code = file.code(t);
        if (code == 10) {
            points.append(QPointF(file.trimmedValue(t).toDouble(), 0.0));
            bulges.append(0.0);
        } else if (code == 20 && !points.isEmpty()) {
            points.last().setY(file.trimmedValue(t).toDouble());
        } else if (code == 42 && !bulges.isEmpty()) {
            bulges.last() = file.trimmedValue(t).toDouble();
        }
    }
    if (points.isEmpty())
        return path;
    const bool closed = m_doc.integer(record, 70) & 1;
    path.moveTo(points.first());
    for (int i = 1; i < points.size(); ++i)
        appendSegment(&path, points.at(i - 1), points.at(i), bulges.at(i - 1));
    if (closed && points.size() > 1)
        appendSegment(&path, points.last(), points.first(), bulges.last());
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
        if (m_doc.integer(r, 70) & 16)
            continue;
        points.append(QPointF(m_doc.real(r, 10), m_doc.real(r, 20)));
        bulges.append(m_doc.real(r, 42));
    }
    if (r < m_doc.recordCount() && m_doc.isType(r, "SEQEND"))
        ++r;
    if (drawable && !points.isEmpty()) {
        path->moveTo(points.first());
        for (int i = 1; i < points.size(); ++i)
            appendSegment(path, points.at(i - 1), points.at(i), bulges.at(i - 1));
        if ((flags & 1) && points.size() > 1)
            appendSegment(path, points.last(), points.first(), bulges.last());
    }
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
    QPointF position(m_doc.real(record, 10), m_doc.real(record, 20));
    const double angle = m_doc.real(record, 50);
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
        position = QPointF(m_doc.real(record, 11), m_doc.real(record, 21))
                   + QTransform().rotate(angle).map(shift);
    }
    const QTransform &t = context.transform;
    const QPointF placed = t.map(position);
    const double radians = qDegreesToRadians(angle);
    const QPointF direction = t.map(position + QPointF(std::cos(radians), std::sin(radians)))
                              - placed;
    const double scale = std::sqrt(std::abs(t.determinant()));
    m_scene.texts.append({text, placed, height * scale,
                          qRadiansToDegrees(std::atan2(direction.y(), direction.x())), color});
}

void DxfSceneBuilder::addInsert(int record, const Context &context, const QColor &color)
{
    const QString name = m_doc.string(record, 2).toUpper();
    const int block = m_blocks.value(name, -1);
    if (block < 0 || context.depth >= kMaxInsertDepth || m_insertStack.contains(name))
        return;
    // External references and their dependants have their content in another drawing.
    if (m_doc.integer(block, 70) & (4 | 8 | 16))
        return;
    int end = block + 1;
    while (end < m_doc.recordCount() && !m_doc.isType(end, "ENDBLK")
           && !m_doc.isType(end, "ENDSEC"))
        ++end;
    const QPointF base(m_doc.real(block, 10), m_doc.real(block, 20));
    const QPointF insertion(m_doc.real(record, 10), m_doc.real(record, 20));
    const double xScale = m_doc.real(record, 41, 1.0);
    const double yScale = m_doc.real(record, 42, 1.0);
    const double rotation = m_doc.real(record, 50);
    const int columns = std::max(1, m_doc.integer(record, 70, 1));
    const int rows = std::max(1, m_doc.integer(record, 71, 1));
    const double columnSpacing = m_doc.real(record, 44);
    const double rowSpacing = m_doc.real(record, 45);
    m_insertStack.append(name);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            // Block coordinates: move the base point to the origin, scale, rotate, then place;
            // array copies step along the rotated axes.
            QTransform local;
            local.translate(insertion.x(), insertion.y());
            local.rotate(rotation);
            local.translate(column * columnSpacing, row * rowSpacing);
            local.scale(xScale, yScale);
            local.translate(-base.x(), -base.y());
            Context inner;
            inner.transform = local * context.transform;
            inner.blockColor = color;
            inner.depth = context.depth + 1;
            addRange(block + 1, end, inner);
        }
    }
    m_insertStack.removeLast();
}
