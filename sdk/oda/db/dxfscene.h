#pragma once

#include "tddbexport.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QVector>

class DxfDocument;

// What a drawing's model space shows, flattened into world coordinates (y up): outlines and
// texts with their colours, block references expanded. Outlines of consecutive entities of one
// colour share a path. Built once from a document, then
// independent of it; a plain value, usable on any thread.
struct TD_DB_EXPORT DxfScene
{
    struct Shape
    {
        QPainterPath path;
        QColor color; // invalid: the foreground colour
    };
    struct Text
    {
        QString text;
        QPointF position; // left end of the base line
        double height = 0.0;
        double angle = 0.0; // degrees, counter-clockwise
        QColor color;
    };

    QVector<Shape> shapes;
    QVector<Text> texts;
    // False when the drawing asks for more than a scene takes (huge block arrays, deep block
    // nesting): what fitted is there, the rest is left out.
    bool complete = true;

    bool isEmpty() const { return shapes.isEmpty() && texts.isEmpty(); }
    // The world rectangle that holds everything (texts estimated from their height).
    QRectF extents() const;

    // Collects the visible entities of doc's model space: LINE, CIRCLE, ARC, LWPOLYLINE,
    // POLYLINE, TEXT, and INSERT of blocks defined in the drawing (external references have
    // their content elsewhere and are skipped). Entities whose numbers are out of range are
    // left out; the work done is bounded whatever the drawing holds.
    static DxfScene build(const DxfDocument &doc);
};
