#include "drawingview.h"

#include "hostdocument.h"

#include <dxfrenderer.h>

#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {
const QColor kBackground(33, 40, 48);
const QColor kForeground(230, 232, 235);
// One notch of the wheel zooms by this factor.
const double kWheelStep = 1.25;
// How far a view may zoom in or out from the whole drawing.
const double kMaxZoom = 1e6;
}

DrawingView::DrawingView(HostDocument *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setObjectName(QStringLiteral("DrawingView"));
    setMinimumSize(200, 150);
    refresh();
}

DrawingView::~DrawingView() = default;

void DrawingView::refresh()
{
    OdDbDatabase *database = m_document->GetFxDatabase();
    m_renderer = database ? std::make_unique<DxfRenderer>(*database) : nullptr;
    update();
}

void DrawingView::zoomExtents()
{
    m_zoom.reset();
    update();
}

QRectF DrawingView::drawingArea() const
{
    return QRectF(rect()).adjusted(12, 12, -12, -28);
}

QTransform DrawingView::viewTransform() const
{
    return m_renderer ? m_renderer->fitTransform(drawingArea()) * m_zoom : m_zoom;
}

void DrawingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (m_renderer && !m_renderer->isEmpty())
        m_renderer->render(&painter, viewTransform(), drawingArea(), kForeground, kBackground);
    painter.setPen(QColor(120, 130, 140));
    // Below the user's home, "~" stands for it, as in a shell: the place, not the machine.
    QString caption = m_document->path();
    const QString home = QDir::homePath();
    if (caption.startsWith(home + QLatin1Char('/')))
        caption.replace(0, home.size(), QStringLiteral("~"));
    // A drawing too large to draw whole shows what fits; say so rather than mislead.
    if (m_renderer && !m_renderer->scene().complete)
        caption += tr("  (too large to draw completely: part of the drawing is shown)");
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignBottom, caption);
}

void DrawingView::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    const double factor = std::pow(kWheelStep, notches);
    const double zoom = std::hypot(m_zoom.m11(), m_zoom.m12()) * factor;
    if (notches == 0.0 || zoom > kMaxZoom || zoom < 1.0 / kMaxZoom)
        return;
    // The point under the pointer stays where it is.
    const QPointF at = event->position();
    m_zoom *= QTransform::fromTranslate(-at.x(), -at.y()) * QTransform::fromScale(factor, factor)
        * QTransform::fromTranslate(at.x(), at.y());
    event->accept();
    update();
}

void DrawingView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::MiddleButton)
        return QWidget::mousePressEvent(event);
    m_panning = true;
    m_panFrom = event->pos();
    setCursor(Qt::ClosedHandCursor);
}

void DrawingView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_panning)
        return QWidget::mouseMoveEvent(event);
    const QPoint step = event->pos() - m_panFrom;
    m_panFrom = event->pos();
    m_zoom *= QTransform::fromTranslate(step.x(), step.y());
    update();
}

void DrawingView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::MiddleButton || !m_panning)
        return QWidget::mouseReleaseEvent(event);
    m_panning = false;
    unsetCursor();
}
