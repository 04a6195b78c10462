#include "drawingview.h"

#include "hostdocument.h"

#include <QPainter>

DrawingView::DrawingView(HostDocument *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setObjectName(QStringLiteral("DrawingView"));
    setAutoFillBackground(false);
    setMinimumSize(200, 150);
}

void DrawingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(33, 40, 48));
    painter.setPen(QColor(120, 130, 140));
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignBottom,
                     m_document->path());
}
