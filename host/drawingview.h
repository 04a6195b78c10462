#pragma once

#include <QTransform>
#include <QWidget>

#include <memory>

class DxfRenderer;
class HostDocument;

// The view of one document in its tab: the drawing's model space with its references and
// images, fitted to the window when opened; the wheel zooms about the pointer and the middle
// button pans.
class DrawingView : public QWidget
{
    Q_OBJECT

public:
    explicit DrawingView(HostDocument *document, QWidget *parent = nullptr);
    ~DrawingView() override;

    HostDocument *document() const { return m_document; }
    // Takes the drawing again after it changed; the view stays where it was.
    void refresh();
    // Shows the whole drawing, and keeps it whole while the window's size changes.
    void zoomExtents();
    // The world (y up) to widget transform the view draws with.
    QTransform viewTransform() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRectF drawingArea() const;

    HostDocument *m_document;
    std::unique_ptr<DxfRenderer> m_renderer;
    // Zoom and pan on top of the fit; identity while the whole drawing is shown.
    QTransform m_zoom;
    QPoint m_panFrom;
    bool m_panning = false;
};
