#include "iconmenu.h"

#include <QHash>
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

QIcon resourceIcon(const QString &resource)
{
    static QHash<QString, QIcon> icons;
    auto known = icons.find(resource);
    if (known == icons.end())
        known = icons.insert(resource, QIcon(resource));
    return known.value();
}
