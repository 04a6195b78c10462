#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QVector>

// The curves of drawings as outlines: circular arcs, polyline segments with bulges, elliptic
// arcs and B-splines (from control points with knots and weights, or through fit points). Every
// outline has a bounded number of points and leaves out what would leave the range of numbers
// a painter path takes. Plain functions, usable on any thread.
class DxfSceneCurves
{
public:
    // Whether a coordinate or point can be drawn: a painter path ignores points beyond this,
    // and NaN fails the comparison too.
    static bool inRange(double coordinate);
    static bool inRange(const QPointF &point);
    static bool inRange(const QPainterPath &path);

    // An arc around center from angle start sweeping sweep (radians, counter-clockwise when
    // positive), start point included; moveFirst starts a new subpath.
    static void appendArc(QPainterPath *path, const QPointF &center, double radius, double start,
                          double sweep, bool moveFirst);
    // The outline through points, each segment straight or curved by its bulge (tangent of a
    // quarter of its included angle), closed back to the first point when asked; it stops
    // growing once it has more than limit elements.
    static void appendOutline(QPainterPath *path, const QVector<QPointF> &points,
                              const QVector<double> &bulges, bool closed, qint64 limit);
    // An elliptic arc: centre, the major axis's end relative to the centre, minor-to-major
    // ratio, and start and end parameters in radians (counter-clockwise).
    static void appendEllipse(QPainterPath *path, const QPointF &center, const QPointF &majorAxis,
                              double ratio, double start, double end, bool moveFirst);
    // A B-spline of degree over knots with control points and weights (empty: all 1). False,
    // adding nothing, when the numbers do not make a spline.
    static bool appendBSpline(QPainterPath *path, int degree, const QVector<double> &knots,
                              const QVector<QPointF> &control, const QVector<double> &weights,
                              bool moveFirst);
    // The cubic (or lower, for few points) B-spline through fit points, parametrised by chord
    // length, as CAD programs store splines that were drawn through points.
    static bool appendInterpolated(QPainterPath *path, const QVector<QPointF> &fitPoints,
                                   bool moveFirst);
};
