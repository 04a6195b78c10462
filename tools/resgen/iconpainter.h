#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <functional>
#include <vector>

class QPainter;

// Draws the module's pictures. Each picture has a resource path, a size and a function that
// paints it on a transparent (or, for backgrounds, opaque) canvas of that size.
class IconPainter
{
public:
    struct Picture
    {
        QString path; // relative to the embedded folder, e.g. "UI/Resources/open.png"
        int width;
        int height;
        std::function<void(QPainter &, const QRectF &)> paint;
    };

    static const std::vector<Picture> &pictures();
    static QImage render(const Picture &picture);

    // Shared shapes.
    static void document(QPainter &p, const QRectF &r, const QColor &color, const QString &label);
    static void compass(QPainter &p, const QRectF &r);
    static void cloudArrow(QPainter &p, const QRectF &r, bool up);
    static void lock(QPainter &p, const QRectF &r, const QColor &color);
    static void statusDisc(QPainter &p, const QRectF &r, const QColor &color, const QString &glyph);
    static void sortGlyph(QPainter &p, const QRectF &r, const QString &top, const QString &bottom,
                          bool clock);
    static void optionPicture(QPainter &p, const QRectF &r, int localFiles, int cloudFiles,
                              const QString &caption);
};
