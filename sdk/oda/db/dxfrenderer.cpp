#include "dxfrenderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPen>

#include <cmath>
#include <utility>

namespace {

const double kMarginRatio = 0.04;
// Texts smaller than this many pixels are not legible; they are left out.
const double kSmallestTextPixels = 2.0;

QColor visibleColor(const QColor &color, const QColor &foreground, const QColor &background)
{
    if (!color.isValid())
        return foreground;
    const int red = color.red() - background.red();
    const int green = color.green() - background.green();
    const int blue = color.blue() - background.blue();
    return red * red + green * green + blue * blue < 3 * 40 * 40 ? foreground : color;
}

} // namespace

DxfRenderer::DxfRenderer(const DxfDocument &doc)
    : DxfRenderer(DxfScene::build(doc))
{
}

DxfRenderer::DxfRenderer(const OdDbDatabase &database)
    : DxfRenderer(DxfScene::build(database))
{
}

DxfRenderer::DxfRenderer(DxfScene scene)
    : m_scene(std::move(scene))
    , m_extents(m_scene.extents())
{
}

QTransform DxfRenderer::fitTransform(const QRectF &target) const
{
    if (m_extents.isNull() || target.isEmpty())
        return QTransform();
    const double width = m_extents.width();
    const double height = m_extents.height();
    const double usableWidth = target.width() * (1.0 - 2.0 * kMarginRatio);
    const double usableHeight = target.height() * (1.0 - 2.0 * kMarginRatio);
    double scale = 1.0;
    if (width > 0.0 && height > 0.0)
        scale = std::min(usableWidth / width, usableHeight / height);
    else if (width > 0.0)
        scale = usableWidth / width;
    else if (height > 0.0)
        scale = usableHeight / height;
    const QPointF centre = m_extents.center();
    QTransform transform;
    transform.translate(target.center().x(), target.center().y());
    transform.scale(scale, -scale);
    transform.translate(-centre.x(), -centre.y());
    return transform;
}

void DxfRenderer::render(QPainter *painter, const QRectF &target, const QColor &foreground,
                         const QColor &background) const
{
    render(painter, fitTransform(target), target, foreground, background);
}

void DxfRenderer::render(QPainter *painter, const QTransform &transform, const QRectF &target,
                         const QColor &foreground, const QColor &background) const
{
    if (!painter || m_scene.isEmpty() || target.isEmpty())
        return;
    painter->save();
    painter->setClipRect(target, Qt::IntersectClip);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const QTransform device = painter->transform();
    // Pictures first, so that lines drawn over them stay visible.
    for (const DxfScene::Image &image : m_scene.images) {
        painter->setTransform(image.placement * transform * device);
        painter->drawImage(QPointF(0.0, 0.0), image.image);
    }
    painter->setTransform(transform * device);
    for (const DxfScene::Shape &shape : m_scene.shapes) {
        const QColor color = visibleColor(shape.color, foreground, background);
        QPen pen(color, 0.0);
        pen.setCosmetic(true);
        painter->setPen(pen);
        painter->setBrush(shape.filled ? QBrush(color) : QBrush(Qt::NoBrush));
        painter->drawPath(shape.path);
    }
    painter->setTransform(device);

    // Fonts need a GUI application; a program without one gets the outlines only.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        painter->restore();
        return;
    }
    // The view is a uniform scale; its determinant would underflow for drawings that span
    // hundreds of orders of magnitude.
    const double scale = std::hypot(transform.m11(), transform.m12());
    for (const DxfScene::Text &text : m_scene.texts) {
        const double pixels = text.height * scale;
        if (pixels < kSmallestTextPixels
            || !target.intersects(transform.mapRect(DxfScene::textBounds(text))))
            continue;
        QFont font = painter->font();
        font.setPixelSize(std::max(1, int(pixels + 0.5)));
        painter->setFont(font);
        const QFontMetricsF metrics(font);
        // The anchor's place on the text: left, centre or right; baseline, bottom, centre or top.
        QPointF offset;
        if (text.alignment & Qt::AlignHCenter)
            offset.setX(-metrics.horizontalAdvance(text.text) / 2.0);
        else if (text.alignment & Qt::AlignRight)
            offset.setX(-metrics.horizontalAdvance(text.text));
        if (text.alignment & Qt::AlignTop)
            offset.setY(metrics.capHeight());
        else if (text.alignment & Qt::AlignVCenter)
            offset.setY(metrics.capHeight() / 2.0);
        else if (text.alignment & Qt::AlignBottom)
            offset.setY(-metrics.descent());
        painter->setPen(visibleColor(text.color, foreground, background));
        painter->setTransform(device);
        painter->translate(transform.map(text.position));
        painter->rotate(-text.angle);
        painter->drawText(offset, text.text);
    }
    painter->restore();
}

QImage DxfRenderer::preview(const QSize &size, const QColor &background,
                            const QColor &foreground) const
{
    if (size.isEmpty())
        return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), foreground, background);
    painter.end();
    return image;
}
