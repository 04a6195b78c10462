#include "dxfscenebuilder.h"

#include "dxfdocument.h"
#include "dxfscenecurves.h"
#include "dxfscenehatch.h"
#include "dxfscenetext.h"
#include "oddbdatabase.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"
#include "xreffilesearch.h"

#include <QFileInfo>

#include <QtMath>

#include <cmath>

namespace {

const int kMaxInsertDepth = 16;
// Rows and columns of an array insert are 16-bit numbers in the format.
const int kMaxArrayCount = 32767;
// Colour numbers with a meaning of their own.
const int kByBlock = 0;
const int kForeground = 7;
const int kByLayer = 256;
const int kMissingColor = 1;
// Block flags: an external reference, or a block that depends on one.
const int kExternalBlock = 4 | 8 | 16;
const int kExternalReference = 4;
// Paragraph texts: line spacing as a share of the text height at a spacing factor of 1.
const double kLineSpacing = 5.0 / 3.0;

template <class T>
bool inRange(const T &value)
{
    return DxfSceneCurves::inRange(value);
}

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

// The alignment of a single-line text from its horizontal and vertical justification.
Qt::Alignment textAlignment(int horizontal, int vertical)
{
    Qt::Alignment alignment = Qt::AlignLeft;
    if (horizontal == 1 || horizontal == 4)
        alignment = Qt::AlignHCenter;
    else if (horizontal == 2)
        alignment = Qt::AlignRight;
    if (horizontal == 4 || vertical == 2)
        return alignment | Qt::AlignVCenter;
    if (vertical == 1)
        return alignment | Qt::AlignBottom;
    if (vertical == 3)
        return alignment | Qt::AlignTop;
    return alignment | Qt::AlignBaseline;
}

QString canonicalPath(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QFileInfo(path).absoluteFilePath() : resolved;
}

} // namespace

DxfSceneBuilder::DxfSceneBuilder(const DxfDocument &doc, const OdDbDatabase *database,
                                 qint64 budget)
    : m_doc(doc)
    , m_database(database)
    , m_state(&m_ownState)
    , m_attachments(database)
{
    m_ownState.budget = budget;
}

DxfSceneBuilder::DxfSceneBuilder(const DxfDocument &doc, const OdDbDatabase *database,
                                 State *state)
    : m_doc(doc)
    , m_database(database)
    , m_state(state)
    , m_attachments(database)
{
}

DxfScene DxfSceneBuilder::build()
{
    m_state->scene = DxfScene();
    indexTables();
    m_state->drawings = {&m_doc};
    m_state->files = QStringList(m_database ? canonicalPath(m_database->fileName()) : QString());
    if (const DxfDocument::Section *entities = m_doc.section("ENTITIES"))
        addRange(entities->sectionRecord + 1, entities->endRecord, Context());
    return m_state->scene;
}

bool DxfSceneBuilder::spend(qint64 units)
{
    if (units > m_state->budget) {
        m_state->budget = 0;
        m_state->scene.complete = false;
        return false;
    }
    m_state->budget -= units;
    return true;
}

void DxfSceneBuilder::indexTables()
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
                const QByteArray name = nameOf(r, 2);
                open = &m_blocks[name];
                *open = Block{name, r, blocks->endRecord, point(r, 10), m_doc.integer(r, 70)};
            }
        }
    }
    if (const DxfDocument::Section *tables = m_doc.section("TABLES")) {
        for (int r = tables->sectionRecord + 1; r < tables->endRecord; ++r) {
            if (m_doc.isType(r, "BLOCK_RECORD")) {
                m_blockRecords.insert(nameOf(r, 2), m_doc.handle(r));
            } else if (m_doc.isType(r, "LAYER")) {
                // A layer switched off keeps its colour as a negative number; a frozen one is
                // hidden too.
                const bool frozen = m_doc.integer(r, 70) & 1;
                const int color = m_doc.integer(r, 62, kForeground);
                m_layerColors.insert(nameOf(r, 2), frozen ? -1 : color);
            }
        }
    }
    const QString textSize = m_doc.headerString("$TEXTSIZE", 40);
    if (textSize.toDouble() > 0.0)
        m_textSize = textSize.toDouble();
}

QByteArray DxfSceneBuilder::nameOf(int record, int code) const
{
    const int tag = m_doc.findTag(record, code);
    return tag >= 0 ? m_doc.file().trimmedValue(tag).toUpper() : QByteArray();
}

QByteArray DxfSceneBuilder::layerOf(int record, const Context &context) const
{
    const QByteArray layer = nameOf(record, 8);
    // Entities of a block on layer "0" take the layer of the reference that places them.
    return (layer == "0" || layer.isEmpty()) && !context.blockLayer.isEmpty() ? context.blockLayer
                                                                              : layer;
}

QColor DxfSceneBuilder::entityColor(int record, const QByteArray &layer, const Context &context,
                                    bool *visible) const
{
    const int layerColor = m_layerColors.value(layer, kForeground);
    *visible = layerColor >= 0 && m_doc.integer(record, 60) != 1;
    if (m_doc.findTag(record, 420) >= 0)
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
    for (int r = first; r < end && m_state->budget > 0;)
        r = addEntity(r, context);
}

int DxfSceneBuilder::addEntity(int record, const Context &context)
{
    QPainterPath path;
    int next = record + 1;
    if (m_doc.isType(record, "POLYLINE"))
        next = polyline(record, &path);
    // Paper space and hidden entities draw nothing; the attributes of a reference that is not
    // drawn are passed over one by one.
    if (m_doc.integer(record, 67) == 1)
        return next;
    bool visible = true;
    const QByteArray layer = layerOf(record, context);
    const QColor color = entityColor(record, layer, context, &visible);
    if (!visible)
        return next;
    if (m_doc.isType(record, "INSERT"))
        return addInsert(record, context, color, layer);
    if (m_doc.isType(record, "TEXT")) {
        addText(record, context, color);
    } else if (m_doc.isType(record, "MTEXT")) {
        addParagraph(record, context, color);
    } else if (m_doc.isType(record, "DIMENSION")) {
        // The picture of a dimension is a block drawn where the dimension's clones would go.
        if (const Block *block = expandable(nameOf(record, 2), context)) {
            const QTransform placement = QTransform::fromTranslate(m_doc.real(record, 12),
                                                                   m_doc.real(record, 22));
            addBlock(*block, placement, context, color, layer);
        }
    } else if (m_doc.isType(record, "IMAGE")) {
        addImage(record, context, color);
    } else if (m_doc.isType(record, "PDFUNDERLAY")) {
        addUnderlay(record, context, color);
    } else if (m_doc.isType(record, "HATCH")) {
        const QPainterPath boundary = DxfSceneHatch::boundary(m_doc, record, m_state->budget);
        addShape(boundary, context.transform, color, DxfSceneHatch::isSolid(m_doc, record));
    } else if (m_doc.isType(record, "SOLID") || m_doc.isType(record, "TRACE")) {
        // The four corners go round as 1, 2, 4, 3; a triangle repeats its third.
        QPolygonF corners(
            {point(record, 10), point(record, 11), point(record, 13), point(record, 12)});
        if (m_doc.findTag(record, 13) < 0)
            corners[2] = corners[3];
        QPainterPath solid;
        solid.addPolygon(corners);
        solid.closeSubpath();
        addShape(solid, context.transform, color, true);
    } else if (!path.isEmpty() || addCurve(record, &path)) {
        // Entities drawn in a mirrored plane (extrusion pointing down) flip x.
        const bool mirrored = m_doc.real(record, 230, 1.0) < 0.0;
        addShape(path, mirrored ? QTransform::fromScale(-1.0, 1.0) * context.transform
                                : context.transform,
                 color);
    }
    return next;
}

bool DxfSceneBuilder::addCurve(int record, QPainterPath *path) const
{
    if (m_doc.isType(record, "LINE")) {
        path->moveTo(point(record, 10));
        path->lineTo(point(record, 11));
    } else if (m_doc.isType(record, "CIRCLE")) {
        const double radius = m_doc.real(record, 40);
        path->addEllipse(point(record, 10), radius, radius);
    } else if (m_doc.isType(record, "ARC")) {
        const double start = normalizedDegrees(m_doc.real(record, 50));
        double sweep = normalizedDegrees(m_doc.real(record, 51)) - start;
        if (sweep <= 0.0)
            sweep += 360.0;
        DxfSceneCurves::appendArc(path, point(record, 10), m_doc.real(record, 40),
                                  qDegreesToRadians(start), qDegreesToRadians(sweep), true);
    } else if (m_doc.isType(record, "ELLIPSE")) {
        DxfSceneCurves::appendEllipse(path, point(record, 10), point(record, 11),
                                      m_doc.real(record, 40, 1.0), m_doc.real(record, 41),
                                      m_doc.real(record, 42, 2.0 * M_PI), true);
    } else if (m_doc.isType(record, "LWPOLYLINE")) {
        *path = lwPolyline(record);
    } else if (m_doc.isType(record, "SPLINE")) {
        QVector<double> knots, weights;
        QVector<QPointF> control, fit;
        const DxfFile &file = m_doc.file();
        for (int t = m_doc.firstTag(record); t < m_doc.endTag(record); ++t) {
            const int code = file.code(t);
            if (code == 40)
                knots.append(m_doc.realValue(t));
            else if (code == 41)
                weights.append(m_doc.realValue(t));
            else if (code == 10)
                control.append(QPointF(m_doc.realValue(t), 0.0));
            else if (code == 20 && !control.isEmpty())
                control.last().setY(m_doc.realValue(t));
            else if (code == 11)
                fit.append(QPointF(m_doc.realValue(t), 0.0));
            else if (code == 21 && !fit.isEmpty())
                fit.last().setY(m_doc.realValue(t));
        }
        if (!(m_doc.integer(record, 70) & 4))
            weights.clear();
        if (!DxfSceneCurves::appendBSpline(path, m_doc.integer(record, 71, 3), knots, control,
                                           weights, true))
            DxfSceneCurves::appendInterpolated(path, fit, true);
    }
    return !path->isEmpty();
}

void DxfSceneBuilder::addShape(const QPainterPath &path, const QTransform &placement,
                               const QColor &color, bool filled)
{
    QPainterPath placed = placement.map(path);
    // Placement can overflow where a drawing's numbers are finite but enormous.
    if (placed.isEmpty() || !inRange(placed) || !spend(placed.elementCount()))
        return;
    placed.setFillRule(path.fillRule());
    // One path per run of a colour: a path per entity costs far more than its points when
    // block arrays make hundreds of thousands of them. Fills keep their own paths, so that
    // their holes stay holes.
    QVector<DxfScene::Shape> &shapes = m_state->scene.shapes;
    if (!filled && !shapes.isEmpty() && shapes.last().color == color && !shapes.last().filled)
        shapes.last().path.addPath(placed);
    else
        shapes.append({placed, color, filled});
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
    DxfSceneCurves::appendOutline(&path, points, bulges, m_doc.integer(record, 70) & 1,
                                  m_state->budget);
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
    DxfSceneCurves::appendOutline(path, points, bulges, flags & 1, m_state->budget);
    return r;
}

void DxfSceneBuilder::addPlacedText(DxfScene::Text text, const QPointF &direction,
                                    const QTransform &t)
{
    const QPointF placed = t.map(text.position);
    const QPointF along = t.map(text.position + direction) - placed;
    // The mean stretch of the two axes; the determinant would underflow sooner.
    const double scale = std::sqrt(std::hypot(t.m11(), t.m12()) * std::hypot(t.m21(), t.m22()));
    text.position = placed;
    text.height *= scale;
    text.angle = qRadiansToDegrees(std::atan2(along.y(), along.x()));
    if (text.text.trimmed().isEmpty() || !(text.height > 0.0) || !inRange(text.position)
        || !inRange(text.height) || !std::isfinite(text.angle) || !spend(1))
        return;
    m_state->scene.texts.append(text);
}

void DxfSceneBuilder::addText(int record, const Context &context, const QColor &color)
{
    // Attributes keep their vertical justification under another code than texts.
    const int vertical = m_doc.integer(record, m_doc.isType(record, "TEXT") ? 73 : 74);
    const int horizontal = m_doc.integer(record, 72);
    DxfScene::Text text;
    text.text = DxfSceneText::plainLine(m_doc.string(record, 1));
    text.height = m_doc.real(record, 40);
    text.color = color;
    text.position = point(record, 10);
    // Aligned and fitted texts run from their first point; the others hang from the second.
    if ((horizontal || vertical) && horizontal != 3 && horizontal != 5
        && m_doc.findTag(record, 11) >= 0) {
        text.position = point(record, 11);
        text.alignment = textAlignment(horizontal, vertical);
    }
    const double radians = qDegreesToRadians(normalizedDegrees(m_doc.real(record, 50)));
    addPlacedText(text, QPointF(std::cos(radians), std::sin(radians)), context.transform);
}

void DxfSceneBuilder::addParagraph(int record, const Context &context, const QColor &color)
{
    QString content;
    const DxfFile &file = m_doc.file();
    // Long texts come in chunks of code 3, ended by the code-1 rest.
    for (int t = m_doc.firstTag(record); t < m_doc.endTag(record); ++t) {
        if (file.code(t) == 3 || file.code(t) == 1)
            content += m_doc.text().decode(file.value(t));
    }
    const QStringList lines = DxfSceneText::plainParagraph(content);
    const double height = m_doc.real(record, 40, m_textSize);
    const int attachment = qBound(1, m_doc.integer(record, 71, 1), 9);
    QPointF direction(1.0, 0.0);
    if (m_doc.findTag(record, 11) >= 0 && !point(record, 11).isNull()) {
        direction = point(record, 11);
        direction /= std::hypot(direction.x(), direction.y());
    } else {
        const double radians = qDegreesToRadians(m_doc.real(record, 50));
        direction = QPointF(std::cos(radians), std::sin(radians));
    }
    const QPointF up(-direction.y(), direction.x());
    const double spacing = kLineSpacing * height * m_doc.real(record, 44, 1.0);
    const double total = height + spacing * (lines.size() - 1);
    // Rows 1 to 3 hang from the insertion point, 4 to 6 are centred on it, 7 to 9 stand on it.
    const int row = (attachment - 1) / 3;
    const double top = row == 0 ? 0.0 : row == 1 ? total / 2.0 : total;
    const Qt::Alignment horizontal = (attachment - 1) % 3 == 0 ? Qt::AlignLeft
        : (attachment - 1) % 3 == 1                          ? Qt::AlignHCenter
                                                             : Qt::AlignRight;
    for (int i = 0; i < lines.size(); ++i) {
        DxfScene::Text text;
        text.text = lines.at(i);
        text.height = height;
        text.color = color;
        text.alignment = horizontal | Qt::AlignTop;
        text.position = point(record, 10) + up * (top - i * spacing);
        addPlacedText(text, direction, context.transform);
    }
}

int DxfSceneBuilder::addInsert(int record, const Context &context, const QColor &color,
                               const QByteArray &layer)
{
    int next = record + 1;
    const bool hasAttributes = m_doc.integer(record, 66) == 1;
    const int attributesBegin = next;
    while (hasAttributes && next < m_doc.recordCount() && m_doc.isType(next, "ATTRIB"))
        ++next;
    const int attributesEnd = next;
    if (hasAttributes && next < m_doc.recordCount() && m_doc.isType(next, "SEQEND"))
        ++next;
    const QPointF insertion = point(record, 10);
    const double xScale = m_doc.real(record, 41, 1.0);
    const double yScale = m_doc.real(record, 42, 1.0);
    const double rotation = normalizedDegrees(m_doc.real(record, 50));
    const qint64 columns = qBound(1, m_doc.integer(record, 70, 1), kMaxArrayCount);
    const qint64 rows = qBound(1, m_doc.integer(record, 71, 1), kMaxArrayCount);
    const double columnSpacing = m_doc.real(record, 44);
    const double rowSpacing = m_doc.real(record, 45);
    const Block *block = expandable(nameOf(record, 2), context);
    for (qint64 copy = 0; block && copy < rows * columns; ++copy) {
        // Block coordinates: scale, rotate, then place; array copies step along the rotated
        // axes.
        QTransform local;
        local.translate(insertion.x(), insertion.y());
        local.rotate(rotation);
        local.translate(double(copy % columns) * columnSpacing,
                        double(copy / columns) * rowSpacing);
        local.scale(xScale, yScale);
        if (!addBlock(*block, local, context, color, layer))
            break;
    }
    for (int a = attributesBegin; a < attributesEnd; ++a) {
        bool visible = true;
        const QColor attributeColor = entityColor(a, layerOf(a, context), context, &visible);
        if (visible && !(m_doc.integer(a, 70) & 1))
            addText(a, context, attributeColor);
    }
    return next;
}

const DxfSceneBuilder::Block *DxfSceneBuilder::expandable(const QByteArray &name,
                                                          const Context &context) const
{
    const auto found = m_blocks.constFind(name);
    if (found == m_blocks.constEnd() || context.depth >= kMaxInsertDepth
        || m_insertStack.contains(name))
        return nullptr;
    return &found.value();
}

bool DxfSceneBuilder::addBlock(const Block &block, const QTransform &placement,
                               const Context &context, const QColor &color,
                               const QByteArray &layer)
{
    // Each copy costs its records whether they draw or not, so that arrays of empty or
    // invisible blocks are bounded too.
    if (!spend(1 + (block.end - block.begin - 1)))
        return false;
    const QTransform inBlock = QTransform::fromTranslate(-block.base.x(), -block.base.y()) * placement;
    if (block.flags & kExternalBlock) {
        // References and what depends on them have their content in another drawing.
        if (block.flags & kExternalReference)
            addReference(block.begin, inBlock * context.transform, context);
        return true;
    }
    Context inner;
    inner.transform = inBlock * context.transform;
    inner.blockColor = color;
    inner.blockLayer = layer;
    inner.depth = context.depth + 1;
    if (isFinite(inner.transform)) {
        m_insertStack.append(block.name);
        addRange(block.begin + 1, block.end, inner);
        m_insertStack.removeLast();
    }
    return true;
}

void DxfSceneBuilder::addReference(int block, const QTransform &placement, const Context &context)
{
    // Without a database nothing was looked for: the reference is neither shown nor flagged.
    if (!m_database || !isFinite(placement))
        return;
    const quint64 handle = m_blockRecords.value(nameOf(block, 2), m_doc.handle(block));
    const OdDbDatabase *xref = m_database->xrefDatabase(handle);
    if (!xref) {
        const QString path = m_doc.string(block, 1);
        if (isOnChain(path))
            return;
        const double h = m_textSize;
        const double width = DxfScene::estimatedWidth(path, h);
        Context placed = context;
        placed.transform = placement;
        addMissing(QPolygonF(QRectF(-h / 2.0, -h / 2.0, width + h, 2.0 * h)), path, placed,
                   indexedColor(kMissingColor));
        return;
    }
    const DxfDocument &drawing = xref->document();
    // A drawing already being drawn further up is a cycle: it is there once.
    if (m_state->drawings.contains(&drawing))
        return;
    const Context inner{placement, context.blockColor, QByteArray(), context.depth + 1};
    const DxfDocument::Section *entities = drawing.section("ENTITIES");
    if (!entities || inner.depth >= kMaxInsertDepth)
        return;
    DxfSceneBuilder nested(drawing, xref, m_state);
    nested.indexTables();
    m_state->drawings.append(&drawing);
    m_state->files.append(canonicalPath(xref->fileName()));
    nested.addRange(entities->sectionRecord + 1, entities->endRecord, inner);
    m_state->files.removeLast();
    m_state->drawings.removeLast();
}

bool DxfSceneBuilder::isOnChain(const QString &storedPath) const
{
    OdDbHostAppServices *services = m_database->appServices();
    if (!services)
        return false;
    // The search only reads the database's file name.
    const QString found = toQString(services->findFile(
        toOdString(storedPath), const_cast<OdDbDatabase *>(m_database),
        OdDbHostAppServices::kXRefDrawing));
    return !found.isEmpty() && m_state->files.contains(canonicalPath(found));
}

void DxfSceneBuilder::addMissing(const QPolygonF &frame, const QString &storedPath,
                                 const Context &context, const QColor &color)
{
    QPainterPath outline;
    outline.addPolygon(frame);
    outline.closeSubpath();
    addShape(outline, context.transform, color);
    const QRectF box = frame.boundingRect();
    DxfScene::Text text;
    text.text = storedPath;
    text.color = color;
    // The path fills the frame's width, at most a third of its height high.
    text.height = qMin(box.height() / 3.0,
                       0.9 * box.width() / DxfScene::estimatedWidth(storedPath, 1.0));
    text.position = box.center();
    text.alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    addPlacedText(text, QPointF(1.0, 0.0), context.transform);
}

void DxfSceneBuilder::addImage(int record, const Context &context, const QColor &color)
{
    const QPointF origin = point(record, 10);
    const QPointF u = point(record, 11);
    const QPointF v = point(record, 12);
    const QSizeF pixels(m_doc.real(record, 13), m_doc.real(record, 23));
    const int definition = m_doc.recordOfHandle(m_doc.handleRef(record, 340));
    const QString path = definition >= 0 ? m_doc.string(definition, 1) : QString();
    const QImage picture = m_attachments.image(m_doc.handleRef(record, 340), path);
    if (!(pixels.width() > 0.0) || !(pixels.height() > 0.0))
        return;
    const QPointF width = u * pixels.width();
    const QPointF height = v * pixels.height();
    if (picture.isNull()) {
        addMissing(QPolygonF({origin, origin + width, origin + width + height, origin + height}),
                   path, context, color);
        return;
    }
    // Pixel (x, y) of the picture, y down, lies at origin + u * x' + v * (rows - y'), in the
    // image's own pixel size.
    const double sx = pixels.width() / picture.width();
    const double sy = pixels.height() / picture.height();
    const QTransform placement(u.x() * sx, u.y() * sx, -v.x() * sy, -v.y() * sy,
                               origin.x() + height.x(), origin.y() + height.y());
    const QTransform world = placement * context.transform;
    if (!isFinite(world) || !spend(1))
        return;
    m_state->scene.images.append({picture, world});
}

void DxfSceneBuilder::addUnderlay(int record, const Context &context, const QColor &color)
{
    const int definition = m_doc.recordOfHandle(m_doc.handleRef(record, 340));
    const QString path = definition >= 0 ? m_doc.string(definition, 1) : QString();
    const QString page = definition >= 0 ? m_doc.string(definition, 2) : QString();
    // A page is drawn one drawing unit per point at scale 1.
    const QSizeF size = m_attachments.pdfPageSize(path);
    QTransform local;
    local.translate(m_doc.real(record, 10), m_doc.real(record, 20));
    local.rotate(normalizedDegrees(m_doc.real(record, 50)));
    local.scale(m_doc.real(record, 41, 1.0), m_doc.real(record, 42, 1.0));
    Context placed = context;
    placed.transform = local * context.transform;
    if (!isFinite(placed.transform))
        return;
    const QString label = page.isEmpty()
        ? XrefFileSearch::fileName(path)
        : QStringLiteral("%1, page %2").arg(XrefFileSearch::fileName(path), page);
    addMissing(QPolygonF(QRectF(QPointF(0.0, 0.0), size)), label, placed, color);
}
