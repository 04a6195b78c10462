#include "iconpainter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

const QColor kBlue(54, 142, 196);      // #368ec4, the accent of the module's styles
const QColor kDarkBlue(47, 72, 88);
const QColor kGrey(119, 121, 124);     // #77797c
const QColor kLightGrey(226, 228, 227); // #e2e4e3
const QColor kGreen(76, 160, 80);
const QColor kOrange(230, 145, 40);
const QColor kRed(234, 79, 55);        // #ea4f37

QFont sized(qreal pixels, bool bold = true)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qMax(1, qRound(pixels)));
    font.setBold(bold);
    return font;
}

void arrow(QPainter &p, QPointF from, QPointF to, qreal head)
{
    p.drawLine(from, to);
    const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const QPointF a = to - QPointF(std::cos(angle - 0.5) * head, std::sin(angle - 0.5) * head);
    const QPointF b = to - QPointF(std::cos(angle + 0.5) * head, std::sin(angle + 0.5) * head);
    p.drawLine(to, a);
    p.drawLine(to, b);
}

void triangle(QPainter &p, const QColor &color, const QPolygonF &corners)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(corners);
}

void grid(QPainter &p, const QRectF &r)
{
    const qreal gap = r.width() * 0.12;
    const qreal cell = (r.width() - 3 * gap) / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(kGrey);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col)
            p.drawRoundedRect(QRectF(r.left() + gap + col * (cell + gap),
                                     r.top() + gap + row * (cell + gap), cell, cell), 1.5, 1.5);
}

void list(QPainter &p, const QRectF &r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kGrey);
    const qreal h = r.height() / 7;
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.top() + h * (1 + 2 * i);
        p.drawRect(QRectF(r.left() + r.width() * 0.1, y, r.width() * 0.18, h));
        p.drawRect(QRectF(r.left() + r.width() * 0.35, y, r.width() * 0.55, h));
    }
}

void tree(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(kGrey, r.width() / 14));
    const qreal x0 = r.left() + r.width() * 0.25;
    p.drawLine(QPointF(x0, r.top() + r.height() * 0.3), QPointF(x0, r.top() + r.height() * 0.75));
    p.drawLine(QPointF(x0, r.top() + r.height() * 0.5), QPointF(r.left() + r.width() * 0.55, r.top() + r.height() * 0.5));
    p.drawLine(QPointF(x0, r.top() + r.height() * 0.75), QPointF(r.left() + r.width() * 0.55, r.top() + r.height() * 0.75));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    const qreal s = r.width() * 0.22;
    p.drawRect(QRectF(x0 - s / 2, r.top() + r.height() * 0.12, s, s));
    p.setBrush(kGrey);
    p.drawRect(QRectF(r.left() + r.width() * 0.58, r.top() + r.height() * 0.5 - s / 2, s, s));
    p.drawRect(QRectF(r.left() + r.width() * 0.58, r.top() + r.height() * 0.75 - s / 2, s, s));
}

void folder(QPainter &p, const QRectF &r)
{
    QPainterPath path;
    path.moveTo(r.left() + r.width() * 0.08, r.top() + r.height() * 0.25);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.25);
    path.lineTo(r.left() + r.width() * 0.5, r.top() + r.height() * 0.35);
    path.lineTo(r.left() + r.width() * 0.92, r.top() + r.height() * 0.35);
    path.lineTo(r.left() + r.width() * 0.92, r.top() + r.height() * 0.85);
    path.lineTo(r.left() + r.width() * 0.08, r.top() + r.height() * 0.85);
    path.closeSubpath();
    p.setPen(QPen(QColor(180, 130, 30), 1));
    p.setBrush(QColor(242, 192, 70));
    p.drawPath(path);
}

void disk(QPainter &p, const QRectF &r)
{
    const QRectF body = r.adjusted(r.width() * 0.12, r.height() * 0.12, -r.width() * 0.12, -r.height() * 0.12);
    p.setPen(QPen(kDarkBlue, 1));
    p.setBrush(kBlue);
    p.drawRoundedRect(body, 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(body.left() + body.width() * 0.2, body.top(), body.width() * 0.6, body.height() * 0.35));
    p.setBrush(kLightGrey);
    p.drawRect(QRectF(body.left() + body.width() * 0.15, body.top() + body.height() * 0.55, body.width() * 0.7, body.height() * 0.45));
}

void backgroundGradient(QPainter &p, const QRectF &r, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
}

void clouds(QPainter &p, const QRectF &r, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    for (int i = 0; i < 7; ++i) {
        const qreal cx = r.left() + r.width() * (0.1 + 0.14 * i);
        const qreal cy = r.top() + r.height() * (0.2 + 0.1 * (i % 3));
        const qreal rad = r.width() * (0.06 + 0.02 * (i % 2));
        p.drawEllipse(QPointF(cx, cy), rad * 1.6, rad);
        p.drawEllipse(QPointF(cx + rad, cy - rad * 0.5), rad, rad * 0.8);
    }
}

} // namespace

void IconPainter::document(QPainter &p, const QRectF &r, const QColor &color, const QString &label)
{
    const qreal fold = r.width() * 0.28;
    QPainterPath page;
    page.moveTo(r.left() + r.width() * 0.15, r.top() + r.height() * 0.05);
    page.lineTo(r.right() - r.width() * 0.15 - fold, r.top() + r.height() * 0.05);
    page.lineTo(r.right() - r.width() * 0.15, r.top() + r.height() * 0.05 + fold);
    page.lineTo(r.right() - r.width() * 0.15, r.bottom() - r.height() * 0.05);
    page.lineTo(r.left() + r.width() * 0.15, r.bottom() - r.height() * 0.05);
    page.closeSubpath();
    p.setPen(QPen(kGrey, qMax(1.0, r.width() / 20)));
    p.setBrush(Qt::white);
    p.drawPath(page);
    if (label.isEmpty())
        return;
    const QRectF band(r.left(), r.top() + r.height() * 0.52, r.width(), r.height() * 0.34);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRect(band);
    p.setPen(Qt::white);
    p.setFont(sized(band.height() * 0.8));
    p.drawText(band, Qt::AlignCenter, label);
}

void IconPainter::compass(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const qreal rad = qMin(r.width(), r.height()) * 0.46;
    QRadialGradient g(c, rad);
    g.setColorAt(0, QColor(90, 170, 220));
    g.setColorAt(1, kDarkBlue);
    p.setPen(QPen(Qt::white, rad * 0.06));
    p.setBrush(g);
    p.drawEllipse(c, rad, rad);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 8; ++i) {
        const qreal angle = i * M_PI / 4;
        const qreal length = (i % 2 == 0) ? rad * 0.85 : rad * 0.5;
        const qreal width = rad * 0.14;
        QPainterPath ray;
        ray.moveTo(c + QPointF(std::cos(angle) * length, std::sin(angle) * length));
        ray.lineTo(c + QPointF(std::cos(angle + M_PI / 2) * width, std::sin(angle + M_PI / 2) * width));
        ray.lineTo(c + QPointF(std::cos(angle - M_PI / 2) * width, std::sin(angle - M_PI / 2) * width));
        ray.closeSubpath();
        p.setBrush(i == 6 ? QColor(kRed) : QColor(Qt::white));
        p.drawPath(ray);
    }
    p.setBrush(kDarkBlue);
    p.drawEllipse(c, rad * 0.1, rad * 0.1);
}

void IconPainter::cloudArrow(QPainter &p, const QRectF &r, bool up)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    const qreal w = r.width();
    const qreal h = r.height();
    p.drawEllipse(QRectF(r.left() + w * 0.08, r.top() + h * 0.35, w * 0.4, h * 0.35));
    p.drawEllipse(QRectF(r.left() + w * 0.28, r.top() + h * 0.15, w * 0.45, h * 0.5));
    p.drawEllipse(QRectF(r.left() + w * 0.5, r.top() + h * 0.32, w * 0.42, h * 0.38));
    p.drawRect(QRectF(r.left() + w * 0.28, r.top() + h * 0.5, w * 0.45, h * 0.2));
    p.setPen(QPen(Qt::white, w * 0.09, Qt::SolidLine, Qt::RoundCap));
    const QPointF top(r.left() + w * 0.5, r.top() + h * 0.3);
    const QPointF bottom(r.left() + w * 0.5, r.top() + h * 0.88);
    p.setPen(QPen(kDarkBlue, w * 0.09, Qt::SolidLine, Qt::RoundCap));
    if (up)
        arrow(p, bottom, top, w * 0.18);
    else
        arrow(p, top, bottom, w * 0.18);
}

void IconPainter::lock(QPainter &p, const QRectF &r, const QColor &color)
{
    const qreal w = r.width();
    const qreal h = r.height();
    p.setPen(QPen(color.darker(130), w * 0.1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(r.left() + w * 0.28, r.top() + h * 0.08, w * 0.44, h * 0.5), 0, 180 * 16);
    p.drawLine(QPointF(r.left() + w * 0.28, r.top() + h * 0.33), QPointF(r.left() + w * 0.28, r.top() + h * 0.45));
    p.drawLine(QPointF(r.left() + w * 0.72, r.top() + h * 0.33), QPointF(r.left() + w * 0.72, r.top() + h * 0.45));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(r.left() + w * 0.18, r.top() + h * 0.42, w * 0.64, h * 0.5), w * 0.06, w * 0.06);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(r.center().x(), r.top() + h * 0.64), w * 0.07, w * 0.07);
}

void IconPainter::statusDisc(QPainter &p, const QRectF &r, const QColor &color, const QString &glyph)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(r.adjusted(1, 1, -1, -1));
    p.setPen(Qt::white);
    p.setFont(sized(r.height() * 0.68));
    p.drawText(r, Qt::AlignCenter, glyph);
}

void IconPainter::sortGlyph(QPainter &p, const QRectF &r, const QString &top, const QString &bottom,
                            bool clock)
{
    const qreal w = r.width();
    const qreal h = r.height();
    p.setPen(kGrey);
    if (clock) {
        p.setPen(QPen(kGrey, 1.2));
        const QRectF face(r.left() + 1, r.top() + 3, w * 0.55, w * 0.55);
        p.drawEllipse(face);
        p.drawLine(face.center(), face.center() + QPointF(0, -face.height() * 0.3));
        p.drawLine(face.center(), face.center() + QPointF(face.width() * 0.25, 0));
    } else {
        p.setFont(sized(h * 0.42));
        p.drawText(QRectF(r.left(), r.top(), w * 0.6, h / 2), Qt::AlignCenter, top);
        p.drawText(QRectF(r.left(), r.top() + h / 2, w * 0.6, h / 2), Qt::AlignCenter, bottom);
    }
    p.setPen(QPen(kBlue, 1.5));
    const bool down = clock ? top == QLatin1String("down") : true;
    const QPointF a(r.left() + w * 0.8, r.top() + h * 0.15);
    const QPointF b(r.left() + w * 0.8, r.top() + h * 0.85);
    if (down)
        arrow(p, a, b, w * 0.2);
    else
        arrow(p, b, a, w * 0.2);
}

void IconPainter::optionPicture(QPainter &p, const QRectF &r, int localFiles, int cloudFiles,
                                const QString &caption)
{
    p.fillRect(r, Qt::white);
    const qreal iconSize = r.height() * 0.42;
    for (int i = 0; i < localFiles; ++i)
        document(p, QRectF(r.left() + 16 + i * iconSize * 0.55, r.top() + 14, iconSize, iconSize),
                 kGrey, QString());
    if (cloudFiles > 0) {
        cloudArrow(p, QRectF(r.left() + 24 + localFiles * iconSize * 0.55 + iconSize, r.top() + 8,
                             iconSize * 1.3, iconSize * 1.3),
                   false);
    }
    p.setPen(kDarkBlue);
    p.setFont(sized(r.height() * 0.13));
    p.drawText(QRectF(r.left() + 12, r.top() + r.height() * 0.62, r.width() - 24, r.height() * 0.34),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, caption);
}

const std::vector<IconPainter::Picture> &IconPainter::pictures()
{
    using P = QPainter;
    using R = QRectF;
    static const std::vector<Picture> all = {
        { "UI/Resources/AurexLoginCompass.png", 256, 256, [](P &p, const R &r) { compass(p, r); } },
        { "UI/Resources/NewCompassLarge.png", 64, 64, [](P &p, const R &r) { compass(p, r); } },
        { "UI/Resources/AurexNLoginBackground.png", 529, 279, [](P &p, const R &r) {
              backgroundGradient(p, r, QColor(60, 110, 145), kDarkBlue);
              clouds(p, r, QColor(255, 255, 255, 28));
          } },
        { "UI/Resources/DWG_20.png", 20, 20, [](P &p, const R &r) { document(p, r, kBlue, "DWG"); } },
        { "UI/Resources/LX-DXF20x.png", 20, 20, [](P &p, const R &r) { document(p, r, kGreen, "DXF"); } },
        // The lists' previews of files without a picture of their own: drawn large enough
        // for the grid's 98 pixel cells.
        { "UI/Resources/FzxUiFzV1Drawings.png", 128, 128, [](P &p, const R &r) { document(p, r, kBlue, "DWG"); } },
        { "UI/Resources/LxUiDxfPreview.png", 128, 128, [](P &p, const R &r) { document(p, r, kGreen, "DXF"); } },
        { "UI/Resources/LxUiImagePreview.png", 128, 128, [](P &p, const R &r) { document(p, r, kOrange, "IMG"); } },
        { "UI/Resources/FzxUiPDFDocument.png", 128, 128, [](P &p, const R &r) { document(p, r, kRed, "PDF"); } },
        { "UI/Resources/FzxUiSavetoImage.png", 20, 20, [](P &p, const R &r) {
              p.setPen(QPen(kGrey, 1));
              p.setBrush(Qt::white);
              p.drawRect(r.adjusted(1.5, 3.5, -1.5, -3.5));
              p.setPen(Qt::NoPen);
              p.setBrush(kGreen);
              p.drawPolygon(QPolygonF({ QPointF(3, 15), QPointF(8, 9), QPointF(12, 13), QPointF(14, 11), QPointF(17, 15) }));
              p.setBrush(kOrange);
              p.drawEllipse(QPointF(14, 7.5), 1.8, 1.8);
          } },
        { "UI/Resources/FzxAsLockedByOtherComponentIcon.png", 32, 32, [](P &p, const R &r) { lock(p, r, kRed); } },
        { "UI/Resources/FzxAsLockedByUserComponentIcon.png", 32, 32, [](P &p, const R &r) { lock(p, r, kGreen); } },
        { "UI/Resources/FzxUiCollaborativeUser.png", 20, 20, [](P &p, const R &r) {
              p.setPen(Qt::NoPen);
              p.setBrush(kBlue);
              p.drawEllipse(QPointF(r.center().x(), r.height() * 0.32), r.width() * 0.2, r.width() * 0.2);
              p.drawChord(QRectF(r.width() * 0.15, r.height() * 0.55, r.width() * 0.7, r.height() * 0.8), 0, 180 * 16);
          } },
        { "UI/Resources/FzxUiDoNotSave.png", 22, 22, [](P &p, const R &r) {
              p.setPen(QPen(kRed, 2.2));
              p.setBrush(Qt::NoBrush);
              p.drawEllipse(r.adjusted(2, 2, -2, -2));
              p.drawLine(QPointF(5.5, 16.5), QPointF(16.5, 5.5));
          } },
        { "UI/Resources/FzxUiDropDownArrowNormal.png", 20, 20, [](P &p, const R &) {
              triangle(p, kGrey, QPolygonF({ QPointF(5, 8), QPointF(15, 8), QPointF(10, 13) }));
          } },
        { "UI/Resources/FzxUiDropDownArrowHoverPress.png", 20, 20, [](P &p, const R &) {
              triangle(p, kBlue, QPolygonF({ QPointF(5, 8), QPointF(15, 8), QPointF(10, 13) }));
          } },
        { "UI/Resources/FzxUiFileStatusModified.png", 22, 22, [](P &p, const R &r) { statusDisc(p, r, kOrange, "M"); } },
        { "UI/Resources/FzxUiFileStatusNew.png", 22, 22, [](P &p, const R &r) { statusDisc(p, r, kGreen, "+"); } },
        { "UI/Resources/FzxUiFileStatusUnchanged.png", 22, 22, [](P &p, const R &r) { statusDisc(p, r, kBlue, QString(QChar(0x2713))); } },
        { "UI/Resources/FzxUiStatusNotSynced.png", 22, 22, [](P &p, const R &r) { statusDisc(p, r, kOrange, "!"); } },
        { "UI/Resources/FzxUiStatusOutofDate.png", 22, 22, [](P &p, const R &r) { statusDisc(p, r, kRed, QString(QChar(0x2193))); } },
        { "UI/Resources/FzxUiStatusSyncing.png", 22, 22, [](P &p, const R &r) { statusDisc(p, r, kGrey, QString(QChar(0x21BB))); } },
        { "UI/Resources/FzxUiOverwrite.png", 22, 22, [](P &p, const R &r) { statusDisc(p, r, kDarkBlue, QString(QChar(0x21C4))); } },
        { "UI/Resources/FzxUiGetFromCollabSpace.png", 32, 32, [](P &p, const R &r) { cloudArrow(p, r, false); } },
        { "UI/Resources/FzxUiSavetoCollabSapce.png", 32, 32, [](P &p, const R &r) { cloudArrow(p, r, true); } },
        { "UI/Resources/LaunchHubdeck.png", 32, 32, [](P &p, const R &r) { grid(p, r); } },
        { "UI/Resources/FzxUiGridView.png", 22, 22, [](P &p, const R &r) { grid(p, r); } },
        { "UI/Resources/FzxUiListView.png", 22, 22, [](P &p, const R &r) { list(p, r); } },
        { "UI/Resources/FzxUiTreeView.png", 22, 22, [](P &p, const R &r) { tree(p, r); } },
        { "UI/Resources/FzxUiHelp20x.png", 20, 20, [](P &p, const R &r) { statusDisc(p, r, kBlue, "?"); } },
        { "UI/Resources/FzxUiMoreActionsDefault.png", 20, 20, [](P &p, const R &r) {
              p.setPen(Qt::NoPen);
              p.setBrush(kGrey);
              for (int i = 0; i < 3; ++i)
                  p.drawEllipse(QPointF(r.width() * (0.25 + 0.25 * i), r.center().y()), 1.8, 1.8);
          } },
        { "UI/Resources/FzxUiSortbyAscendingName.png", 20, 20, [](P &p, const R &r) { sortGlyph(p, r, "A", "Z", false); } },
        { "UI/Resources/FzxUiSortbyDescendingName.png", 20, 20, [](P &p, const R &r) { sortGlyph(p, r, "Z", "A", false); } },
        { "UI/Resources/FzxUiSortbyNewestModified.png", 20, 20, [](P &p, const R &r) { sortGlyph(p, r, "down", "", true); } },
        { "UI/Resources/FzxUiSortbyOldestModified.png", 20, 20, [](P &p, const R &r) { sortGlyph(p, r, "up", "", true); } },
        { "UI/Resources/I_SearchRefresh20x.png", 20, 20, [](P &p, const R &r) {
              p.setPen(QPen(kBlue, 2));
              p.setBrush(Qt::NoBrush);
              p.drawArc(r.adjusted(3, 3, -3, -3), 60 * 16, 280 * 16);
              p.setPen(Qt::NoPen);
              p.setBrush(kBlue);
              p.drawPolygon(QPolygonF({ QPointF(12, 1.5), QPointF(16.5, 4.5), QPointF(11.5, 7.5) }));
          } },
        { "UI/Resources/branch_closed.png", 9, 9, [](P &p, const R &) {
              triangle(p, kGrey, QPolygonF({ QPointF(2, 1), QPointF(7, 4.5), QPointF(2, 8) }));
          } },
        { "UI/Resources/branch_open.png", 9, 9, [](P &p, const R &) {
              triangle(p, kGrey, QPolygonF({ QPointF(1, 2), QPointF(8, 2), QPointF(4.5, 7) }));
          } },
        { "UI/Resources/fc_f_sav.png", 20, 20, [](P &p, const R &r) { disk(p, r); } },
        { "UI/Resources/open.png", 20, 20, [](P &p, const R &r) { folder(p, r); } },
        { "Resources/CollabSharingBanner.png", 600, 218, [](P &p, const R &r) {
              backgroundGradient(p, r, QColor(60, 110, 145), kDarkBlue);
              compass(p, QRectF(24, 34, 150, 150));
              p.setPen(Qt::white);
              p.setFont(sized(44));
              p.drawText(QRectF(200, 40, 380, 80), Qt::AlignLeft | Qt::AlignVCenter, "AUREX");
              p.setFont(sized(26, false));
              p.drawText(QRectF(200, 110, 380, 60), Qt::AlignLeft | Qt::AlignVCenter, "Collaborative Sharing");
          } },
        { "Resources/CollabSharingCloudBack.png", 338, 675, [](P &p, const R &r) {
              backgroundGradient(p, r, QColor(232, 240, 246), Qt::white);
              clouds(p, r, QColor(54, 142, 196, 30));
          } },
        { "Resources/OpenFromLocalDirectoryAndCS.png", 480, 100, [](P &p, const R &r) {
              optionPicture(p, r, 2, 1, "Latest from local folder and collaborative space");
          } },
        { "Resources/OpenFromCSAndOverWriteAllFiles.png", 480, 100, [](P &p, const R &r) {
              optionPicture(p, r, 0, 1, "Latest from collaborative space, local files kept");
          } },
        { "Resources/OpenOnlyLocalFiles.png", 480, 100, [](P &p, const R &r) {
              optionPicture(p, r, 3, 0, "Local files only");
          } },
    };
    return all;
}

QImage IconPainter::render(const Picture &picture)
{
    QImage image(picture.width, picture.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    picture.paint(painter, QRectF(0, 0, picture.width, picture.height));
    painter.end();
    return image;
}
