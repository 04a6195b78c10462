#include "elidedlabel.h"

#include <QPainter>

ElidedLabel::ElidedLabel(QWidget *parent)
    : QLabel(parent)
{
}

void ElidedLabel::setEliding(bool eliding)
{
    m_eliding = eliding;
    update();
}

void ElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_elideMode = mode;
    update();
}

bool ElidedLabel::needsEliding() const
{
    return m_eliding && fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

QString ElidedLabel::displayedText() const
{
    if (!needsEliding())
        return text();
    return fontMetrics().elidedText(text(), m_elideMode, width());
}

void ElidedLabel::paintEvent(QPaintEvent *event)
{
    if (!needsEliding()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(rect(), int(alignment()), displayedText());
}
