#include "dxfscene.h"

#include <QTransform>

QRectF DxfScene::extents() const
{
    QRectF bounds;
    auto unite = [&bounds](const QRectF &rect) {
        bounds = bounds.isNull() ? rect : bounds.united(rect);
    };
    for (const Shape &shape : shapes)
        unite(shape.path.boundingRect());
    for (const Text &text : texts) {
        const QRectF box(0.0, 0.0, 0.6 * text.height * text.text.size(), text.height);
        QTransform placement;
        placement.translate(text.position.x(), text.position.y());
        placement.rotate(text.angle);
        unite(placement.mapRect(box));
    }
    return bounds;
}
