#include "fontscale.h"

#include <QFontMetrics>
#include <QWidget>

namespace {
constexpr double kUsualCharacterWidth = 7.0;
} // namespace

void growWithFont(QWidget *window)
{
    const double scale = window->fontMetrics().averageCharWidth() / kUsualCharacterWidth;
    if (scale > 1.0)
        window->resize(qRound(window->width() * scale), qRound(window->height() * scale));
}
