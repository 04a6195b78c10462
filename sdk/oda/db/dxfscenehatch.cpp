#include "dxfscenehatch.h"

#include "dxfdocument.h"
#include "dxfscenecurves.h"

#include <QtMath>

#include <cmath>

namespace {

// Edge types of a boundary path made of edges.
enum EdgeType { LineEdge = 1, CircularArcEdge = 2, EllipticArcEdge = 3, SplineEdge = 4 };
// Boundary path flag: the path is a polyline rather than edges.
const int kPolylinePath = 2;

// Walks the tags of one record in order, as the boundary data is a sequence, not a set.
class TagReader
{
public:
    TagReader(const DxfDocument &doc, int record)
        : m_doc(doc)
        , m_tag(doc.firstTag(record))
        , m_end(doc.endTag(record))
    {
    }

    bool atEnd() const { return m_tag >= m_end; }
    int code() const { return atEnd() ? -1 : m_doc.file().code(m_tag); }
    double real() { return m_doc.realValue(m_tag++); }
    int integer() { return int(real()); }
    QPointF point()
    {
        const double x = real();
        return QPointF(x, code() == 20 || code() == 21 ? real() : 0.0);
    }
    void skip() { ++m_tag; }
    // Moves to the next tag of code; false when the record has none.
    bool seek(int wanted)
    {
        while (!atEnd() && code() != wanted)
            ++m_tag;
        return !atEnd();
    }
    // Reads the value of the next tag when it has code; otherwise fallback.
    double optional(int wanted, double fallback)
    {
        return code() == wanted ? real() : fallback;
    }

private:
    const DxfDocument &m_doc;
    int m_tag;
    int m_end;
};

void polylinePath(TagReader &in, QPainterPath *path, qint64 limit)
{
    const bool hasBulge = in.code() == 72 && in.integer() != 0;
    // A boundary is closed whatever its flag says.
    if (in.code() == 73)
        in.skip();
    const int count = in.code() == 93 ? in.integer() : 0;
    QVector<QPointF> points;
    QVector<double> bulges;
    for (int i = 0; i < count && !in.atEnd() && in.code() == 10; ++i) {
        points.append(in.point());
        bulges.append(hasBulge ? in.optional(42, 0.0) : 0.0);
    }
    QPainterPath outline;
    DxfSceneCurves::appendOutline(&outline, points, bulges, true, limit);
    path->addPath(outline);
}

void arcEdge(TagReader &in, QPainterPath *outline)
{
    const QPointF center = in.code() == 10 ? in.point() : QPointF();
    const double radius = in.optional(40, 0.0);
    double start = qDegreesToRadians(in.optional(50, 0.0));
    double end = qDegreesToRadians(in.optional(51, 360.0));
    const bool counterClockwise = in.optional(73, 1) != 0;
    // Clockwise edges store their angles mirrored.
    if (!counterClockwise) {
        start = -start;
        end = -end;
    }
    double sweep = end - start;
    if (counterClockwise ? sweep <= 0.0 : sweep >= 0.0)
        sweep += counterClockwise ? 2.0 * M_PI : -2.0 * M_PI;
    DxfSceneCurves::appendArc(outline, center, radius, start, sweep, outline->elementCount() == 0);
}

void ellipseEdge(TagReader &in, QPainterPath *outline)
{
    const QPointF center = in.code() == 10 ? in.point() : QPointF();
    const QPointF major = in.code() == 11 ? in.point() : QPointF(1.0, 0.0);
    const double ratio = in.optional(40, 1.0);
    double start = qDegreesToRadians(in.optional(50, 0.0));
    double end = qDegreesToRadians(in.optional(51, 360.0));
    const bool counterClockwise = in.optional(73, 1) != 0;
    if (counterClockwise) {
        DxfSceneCurves::appendEllipse(outline, center, major, ratio, start, end,
                                      outline->elementCount() == 0);
        return;
    }
    // Clockwise: draw the mirrored angles backwards.
    QPainterPath reversed;
    DxfSceneCurves::appendEllipse(&reversed, center, major, ratio, -end, -start, true);
    for (int i = reversed.elementCount() - 1; i >= 0; --i) {
        const QPointF p = reversed.elementAt(i);
        if (outline->elementCount() == 0)
            outline->moveTo(p);
        else
            outline->lineTo(p);
    }
}

void splineEdge(TagReader &in, QPainterPath *outline)
{
    const int degree = in.code() == 94 ? in.integer() : 3;
    const bool rational = in.code() == 73 && in.integer() != 0;
    if (in.code() == 74)
        in.skip();
    const int knotCount = in.code() == 95 ? in.integer() : 0;
    const int controlCount = in.code() == 96 ? in.integer() : 0;
    QVector<double> knots;
    while (knots.size() < knotCount && in.code() == 40)
        knots.append(in.real());
    QVector<QPointF> control;
    QVector<double> weights;
    while (control.size() < controlCount && in.code() == 10) {
        control.append(in.point());
        if (rational && in.code() == 42)
            weights.append(in.real());
    }
    QVector<QPointF> fit;
    if (in.code() == 97) {
        const int fitCount = in.integer();
        while (fit.size() < fitCount && in.code() == 11)
            fit.append(in.point());
    }
    if (!DxfSceneCurves::appendBSpline(outline, degree, knots, control, weights,
                                       outline->elementCount() == 0))
        DxfSceneCurves::appendInterpolated(outline, fit, outline->elementCount() == 0);
}

void edgePath(TagReader &in, QPainterPath *path)
{
    const int count = in.code() == 93 ? in.integer() : 0;
    QPainterPath outline;
    for (int i = 0; i < count && in.code() == 72; ++i) {
        const int type = in.integer();
        if (type == LineEdge) {
            const QPointF from = in.code() == 10 ? in.point() : QPointF();
            const QPointF to = in.code() == 11 ? in.point() : from;
            if (outline.elementCount() == 0)
                outline.moveTo(from);
            else
                outline.lineTo(from);
            outline.lineTo(to);
        } else if (type == CircularArcEdge) {
            arcEdge(in, &outline);
        } else if (type == EllipticArcEdge) {
            ellipseEdge(in, &outline);
        } else if (type == SplineEdge) {
            splineEdge(in, &outline);
        } else {
            break;
        }
    }
    if (outline.elementCount() > 0) {
        outline.closeSubpath();
        path->addPath(outline);
    }
}

} // namespace

QPainterPath DxfSceneHatch::boundary(const DxfDocument &doc, int record, qint64 limit)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    TagReader in(doc, record);
    if (!in.seek(91))
        return path;
    const int paths = in.integer();
    for (int p = 0; p < paths && in.seek(92) && path.elementCount() <= limit; ++p) {
        const int flags = in.integer();
        if (flags & kPolylinePath)
            polylinePath(in, &path, limit);
        else
            edgePath(in, &path);
    }
    return path;
}

bool DxfSceneHatch::isSolid(const DxfDocument &doc, int record)
{
    return doc.integer(record, 70) & 1;
}
