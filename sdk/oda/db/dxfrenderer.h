#pragma once

#include "dxfscene.h"
#include "tddbexport.h"

#include <QColor>
#include <QImage>
#include <QTransform>

class DxfDocument;
class OdDbDatabase;
class QPainter;

// Draws a drawing's model space fitted into a rectangle, keeping its proportions and centring
// it: for preview pictures and for the host's drawing view alike. Holds its own copy of what it
// draws, so the document may change or go away afterwards. Painting on a QImage works off the
// GUI thread.
class TD_DB_EXPORT DxfRenderer
{
public:
    explicit DxfRenderer(const DxfDocument &doc);
    // A drawing with its external references and images, as a database loaded them.
    explicit DxfRenderer(const OdDbDatabase &database);
    explicit DxfRenderer(DxfScene scene);

    const DxfScene &scene() const { return m_scene; }
    QRectF extents() const { return m_extents; }
    bool isEmpty() const { return m_scene.isEmpty(); }

    // Maps world coordinates (y up) into target (y down), fitted with a small margin.
    QTransform fitTransform(const QRectF &target) const;
    // Colour number 7 and uncoloured entities take foreground, so that the drawing reads on
    // light and dark backgrounds; colours too close to the background take it too.
    void render(QPainter *painter, const QRectF &target, const QColor &foreground,
                const QColor &background = Qt::white) const;
    // The same through a view's own transform (world to target), clipped to target.
    void render(QPainter *painter, const QTransform &view, const QRectF &target,
                const QColor &foreground, const QColor &background) const;
    QImage preview(const QSize &size, const QColor &background = Qt::white,
                   const QColor &foreground = Qt::black) const;

private:
    DxfScene m_scene;
    QRectF m_extents;
};
