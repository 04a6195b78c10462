#include "iconmenu.h"

#include <QMenu>
#include <QPixmap>

QMenu *createIconMenu(QWidget *parent, const QSize &size)
{
    auto *menu = new QMenu(parent);
    menu->setToolTipsVisible(true);
    QPalette colours = menu->palette();
    colours.setColor(QPalette::Highlight, Qt::gray);
    menu->setPalette(colours);
    menu->setFixedSize(size);
    return menu;
}

QIcon scaledIcon(const char *resource, int side)
{
    return QIcon(QPixmap(QLatin1String(resource))
                     .scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
