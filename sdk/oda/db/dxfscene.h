#pragma once

#include "tddbexport.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVector>

class DxfDocument;
class OdDbDatabase;

// What a drawing's model space shows, flattened into world coordinates (y up): outlines and
// filled areas, texts and raster images with their colours and placements, block references
// and, for a drawing read into a database, its external references expanded. References and
// images that cannot be found are shown as their frame with the stored path. Outlines of
// consecutive entities of one colour share a path. Built once, then independent of the drawing;
// a plain value, usable on any thread.
struct TD_DB_EXPORT DxfScene
{
    struct Shape
    {
        QPainterPath path;
        QColor color; // invalid: the foreground colour
        bool filled = false;
    };
    struct Text
    {
        QString text;
        QPointF position; // the anchor the alignment refers to
        double height = 0.0;
        double angle = 0.0; // degrees, counter-clockwise
        QColor color;
        // Horizontally left, centre or right; vertically baseline, bottom, centre or top.
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignBaseline;
    };
    struct Image
    {
        QImage image;
        QTransform placement; // the image's pixel coordinates (y down) into the world
    };

    QVector<Shape> shapes;
    QVector<Text> texts;
    QVector<Image> images;
    // False when the drawing asks for more than a scene takes (huge block arrays, deep block
    // nesting): what fitted is there, the rest is left out.
    bool complete = true;

    bool isEmpty() const { return shapes.isEmpty() && texts.isEmpty() && images.isEmpty(); }
    // The world rectangle that holds everything (texts estimated from their height).
    QRectF extents() const;
    // The world rectangle a text takes, estimated from its height and length.
    static QRectF textBounds(const Text &text);
    static double estimatedWidth(const QString &text, double height);

    // Collects the visible entities of doc's model space: lines, circles, arcs, ellipses,
    // polylines, splines, hatches, texts and paragraph texts, dimensions, block references with
    // their attributes, raster images and PDF underlays (as frames). The work done is bounded
    // whatever the drawing holds.
    static DxfScene build(const DxfDocument &doc);
    // The same for a drawing read into a database, with the drawings its external references
    // loaded drawn in place (nested ones too, a reference cycle once) and its images read from
    // the files the drawing's search finds.
    static DxfScene build(const OdDbDatabase &database);
};
