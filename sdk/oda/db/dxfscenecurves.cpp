#include "dxfscenecurves.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

const double kDegreesPerSegment = 5.0;
const int kMinArcSegments = 4;
const int kMaxArcSegments = 3600;
const double kLargestCoordinate = 1e128;
// Splines beyond these sizes are not drawn: their evaluation would cost more than a scene may.
const int kMaxDegree = 11;
const int kMaxControlPoints = 100000;
const int kMaxFitPoints = 20000;
// Points a spline gets at least, shared among its spans, and at least per span.
const int kCurveSegments = 256;
const int kSpanSegments = 16;

int arcSegments(double sweepRadians)
{
    const double degrees = std::abs(qRadiansToDegrees(sweepRadians));
    return int(qBound(double(kMinArcSegments), std::ceil(degrees / kDegreesPerSegment),
                      double(kMaxArcSegments)));
}

void addPoint(QPainterPath *path, const QPointF &point, bool move)
{
    if (move)
        path->moveTo(point);
    else
        path->lineTo(point);
}

// The index of the knot span that holds u, for a spline with count control points.
int findSpan(const QVector<double> &knots, int degree, int count, double u)
{
    if (u >= knots.at(count))
        return count - 1;
    int low = degree;
    int high = count;
    while (high - low > 1) {
        const int mid = (low + high) / 2;
        if (u < knots.at(mid))
            high = mid;
        else
            low = mid;
    }
    return low;
}

// The point at u by de Boor's algorithm, in homogeneous coordinates for rational splines.
QPointF deBoor(const QVector<double> &knots, int degree, const QVector<QPointF> &control,
               const QVector<double> &weights, double u)
{
    const int span = findSpan(knots, degree, control.size(), u);
    double x[kMaxDegree + 1], y[kMaxDegree + 1], w[kMaxDegree + 1];
    for (int j = 0; j <= degree; ++j) {
        const int i = span - degree + j;
        const double weight = weights.isEmpty() ? 1.0 : weights.at(i);
        x[j] = control.at(i).x() * weight;
        y[j] = control.at(i).y() * weight;
        w[j] = weight;
    }
    for (int r = 1; r <= degree; ++r) {
        for (int j = degree; j >= r; --j) {
            const int i = span - degree + j;
            const double denominator = knots.at(i + degree - r + 1) - knots.at(i);
            const double alpha = denominator > 0.0 ? (u - knots.at(i)) / denominator : 0.0;
            x[j] = (1.0 - alpha) * x[j - 1] + alpha * x[j];
            y[j] = (1.0 - alpha) * y[j - 1] + alpha * y[j];
            w[j] = (1.0 - alpha) * w[j - 1] + alpha * w[j];
        }
    }
    return w[degree] != 0.0 ? QPointF(x[degree] / w[degree], y[degree] / w[degree]) : QPointF();
}

// The B-spline basis functions of degree at u in span.
void basis(const QVector<double> &knots, int degree, int span, double u, double *values)
{
    double left[kMaxDegree + 1], right[kMaxDegree + 1];
    values[0] = 1.0;
    for (int j = 1; j <= degree; ++j) {
        left[j] = u - knots.at(span + 1 - j);
        right[j] = knots.at(span + j) - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            const double denominator = right[r + 1] + left[j - r];
            const double term = denominator != 0.0 ? values[r] / denominator : 0.0;
            values[r] = saved + right[r + 1] * term;
            saved = left[j - r] * term;
        }
        values[j] = saved;
    }
}

} // namespace

bool DxfSceneCurves::inRange(double coordinate)
{
    return std::abs(coordinate) < kLargestCoordinate;
}

bool DxfSceneCurves::inRange(const QPointF &point)
{
    return inRange(point.x()) && inRange(point.y());
}

bool DxfSceneCurves::inRange(const QPainterPath &path)
{
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (!inRange(e.x) || !inRange(e.y))
            return false;
    }
    return true;
}

void DxfSceneCurves::appendArc(QPainterPath *path, const QPointF &center, double radius,
                               double start, double sweep, bool moveFirst)
{
    if (!std::isfinite(sweep) || !inRange(radius) || !std::isfinite(start) || !inRange(center))
        return;
    const int segments = arcSegments(sweep);
    for (int i = 0; i <= segments; ++i) {
        const double angle = start + sweep * i / segments;
        const QPointF p(center.x() + radius * std::cos(angle), center.y() + radius * std::sin(angle));
        if (!inRange(p))
            return;
        addPoint(path, p, i == 0 && moveFirst);
    }
}

namespace {

// A straight or, with a bulge, curved segment from the path's current point.
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
    if (!DxfSceneCurves::inRange(center) || !DxfSceneCurves::inRange(radius)) {
        path->lineTo(to);
        return;
    }
    DxfSceneCurves::appendArc(path, center, radius, std::atan2(radial.y(), radial.x()), included,
                              false);
}

} // namespace

void DxfSceneCurves::appendOutline(QPainterPath *path, const QVector<QPointF> &points,
                                   const QVector<double> &bulges, bool closed, qint64 limit)
{
    if (points.isEmpty())
        return;
    path->moveTo(points.first());
    for (int i = 1; i < points.size() && path->elementCount() <= limit; ++i)
        appendSegment(path, points.at(i - 1), points.at(i), bulges.value(i - 1));
    if (closed && points.size() > 1 && path->elementCount() <= limit)
        appendSegment(path, points.last(), points.first(), bulges.value(points.size() - 1));
}

void DxfSceneCurves::appendEllipse(QPainterPath *path, const QPointF &center,
                                   const QPointF &majorAxis, double ratio, double start,
                                   double end, bool moveFirst)
{
    if (!inRange(center) || !inRange(majorAxis) || !std::isfinite(ratio) || !std::isfinite(start)
        || !std::isfinite(end))
        return;
    double sweep = std::fmod(end - start, 2.0 * M_PI);
    if (sweep <= 1e-12)
        sweep += 2.0 * M_PI;
    const QPointF minorAxis(-majorAxis.y() * ratio, majorAxis.x() * ratio);
    const int segments = arcSegments(sweep);
    for (int i = 0; i <= segments; ++i) {
        const double t = start + sweep * i / segments;
        addPoint(path, center + majorAxis * std::cos(t) + minorAxis * std::sin(t),
                 i == 0 && moveFirst);
    }
}

bool DxfSceneCurves::appendBSpline(QPainterPath *path, int degree, const QVector<double> &knots,
                                   const QVector<QPointF> &control,
                                   const QVector<double> &weights, bool moveFirst)
{
    const int count = control.size();
    if (degree < 1 || degree > kMaxDegree || count <= degree || count > kMaxControlPoints
        || knots.size() != count + degree + 1 || (!weights.isEmpty() && weights.size() != count))
        return false;
    for (int i = 1; i < knots.size(); ++i) {
        if (!(knots.at(i) >= knots.at(i - 1)))
            return false;
    }
    for (const QPointF &p : control) {
        if (!inRange(p))
            return false;
    }
    const double first = knots.at(degree);
    const double last = knots.at(count);
    if (!(last > first))
        return false;
    // Each non-empty span between the first and last knot of the curve gets its share of
    // points; curves of few spans get more per span.
    int spans = 0;
    for (int span = degree; span < count; ++span)
        spans += knots.at(span + 1) > knots.at(span) ? 1 : 0;
    const int segments = std::max(kSpanSegments, kCurveSegments / std::max(1, spans));
    bool firstPoint = true;
    for (int span = degree; span < count; ++span) {
        const double a = knots.at(span);
        const double b = knots.at(span + 1);
        if (b <= a)
            continue;
        for (int i = firstPoint ? 0 : 1; i <= segments; ++i) {
            const QPointF p = deBoor(knots, degree, control, weights, a + (b - a) * i / segments);
            addPoint(path, p, firstPoint && moveFirst);
            firstPoint = false;
        }
    }
    return !firstPoint;
}

bool DxfSceneCurves::appendInterpolated(QPainterPath *path, const QVector<QPointF> &fitPoints,
                                        bool moveFirst)
{
    const int n = fitPoints.size();
    if (n < 2 || n > kMaxFitPoints)
        return false;
    for (const QPointF &p : fitPoints) {
        if (!inRange(p))
            return false;
    }
    const int degree = std::min(3, n - 1);
    // Chord-length parameters, then knots averaged over them.
    QVector<double> params(n, 0.0);
    double total = 0.0;
    for (int i = 1; i < n; ++i) {
        const QPointF d = fitPoints.at(i) - fitPoints.at(i - 1);
        total += std::hypot(d.x(), d.y());
        params[i] = total;
    }
    if (!(total > 0.0))
        return false;
    for (double &u : params)
        u /= total;
    QVector<double> knots(n + degree + 1, 0.0);
    for (int i = n; i < knots.size(); ++i)
        knots[i] = 1.0;
    for (int j = 1; j < n - degree; ++j) {
        double sum = 0.0;
        for (int i = j; i < j + degree; ++i)
            sum += params.at(i);
        knots[j + degree] = sum / degree;
    }
    // The system N * control = fit is banded (each row has degree + 1 entries from its span)
    // and totally positive, so elimination without pivoting is stable.
    const int width = 2 * degree + 1;
    QVector<double> band(n * width, 0.0); // row i, column c at band[i * width + c - i + degree]
    auto at = [&band, width, degree](int row, int column) -> double & {
        return band[row * width + column - row + degree];
    };
    for (int i = 0; i < n; ++i) {
        const int span = findSpan(knots, degree, n, params.at(i));
        double values[kMaxDegree + 1];
        basis(knots, degree, span, params.at(i), values);
        for (int j = 0; j <= degree; ++j)
            at(i, span - degree + j) = values[j];
    }
    QVector<QPointF> rhs = fitPoints;
    for (int k = 0; k < n; ++k) {
        const double pivot = at(k, k);
        if (std::abs(pivot) < 1e-14)
            return false;
        for (int i = k + 1; i < std::min(n, k + degree + 1); ++i) {
            const double factor = at(i, k) / pivot;
            if (factor == 0.0)
                continue;
            for (int c = k; c < std::min(n, k + degree + 1); ++c)
                at(i, c) -= factor * at(k, c);
            rhs[i] -= factor * rhs.at(k);
        }
    }
    QVector<QPointF> control(n);
    for (int k = n - 1; k >= 0; --k) {
        QPointF value = rhs.at(k);
        for (int c = k + 1; c < std::min(n, k + degree + 1); ++c)
            value -= at(k, c) * control.at(c);
        control[k] = value / at(k, k);
    }
    return appendBSpline(path, degree, knots, control, QVector<double>(), moveFirst);
}
