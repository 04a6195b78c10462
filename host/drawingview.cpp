#include "drawingview.h"

#include "hostdocument.h"

#include <dxfrenderer.h>

#include <QPainter>

namespace {
const QColor kBackground(33, 40, 48);
const QColor kForeground(230, 232, 235);
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
    m_renderer = database ? std::make_unique<DxfRenderer>(database->document()) : nullptr;
    update();
}

void DrawingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_renderer && !m_renderer->isEmpty())
        m_renderer->render(&painter, QRectF(rect()).adjusted(12, 12, -12, -28), kForeground, kBackground);
    painter.setPen(QColor(120, 130, 140));
    QString caption = m_document->path();
    // A drawing too large to draw whole shows what fits; say so rather than mislead.
    if (m_renderer && !m_renderer->scene().complete)
        caption += tr("  (too large to draw completely: part of the drawing is shown)");
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignBottom, caption);
}
