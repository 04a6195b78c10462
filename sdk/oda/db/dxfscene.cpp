#include "dxfscene.h"

#include "dxfscenebuilder.h"
#include "oddbdatabase.h"

namespace {

// Texts are estimated at this share of their height per character.
const double kCharacterWidth = 0.6;

} // namespace

double DxfScene::estimatedWidth(const QString &text, double height)
{
    return kCharacterWidth * height * text.size();
}

QRectF DxfScene::textBounds(const Text &text)
{
    const double width = estimatedWidth(text.text, text.height);
    double left = 0.0;
    if (text.alignment & Qt::AlignHCenter)
        left = -width / 2.0;
    else if (text.alignment & Qt::AlignRight)
        left = -width;
    double bottom = 0.0;
    if (text.alignment & Qt::AlignTop)
        bottom = -text.height;
    else if (text.alignment & Qt::AlignVCenter)
        bottom = -text.height / 2.0;
    QTransform placement;
    placement.translate(text.position.x(), text.position.y());
    placement.rotate(text.angle);
    return placement.mapRect(QRectF(left, bottom, width, text.height));
}

QRectF DxfScene::extents() const
{
    QRectF bounds;
    auto unite = [&bounds](const QRectF &rect) {
        bounds = bounds.isNull() ? rect : bounds.united(rect);
    };
    for (const Shape &shape : shapes)
        unite(shape.path.boundingRect());
    for (const Text &text : texts)
        unite(textBounds(text));
    for (const Image &image : images)
        unite(image.placement.mapRect(QRectF(image.image.rect())));
    return bounds;
}

DxfScene DxfScene::build(const DxfDocument &doc)
{
    return DxfSceneBuilder(doc).build();
}

DxfScene DxfScene::build(const OdDbDatabase &database)
{
    return DxfSceneBuilder(database.document(), &database).build();
}
