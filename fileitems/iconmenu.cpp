#include "iconmenu.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QPixmap>

QMenu *createIconMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QPalette colours = menu->palette();
    colours.setColor(QPalette::Highlight, Qt::gray);
    menu->setPalette(colours);
    return menu;
}

QAction *addIconAction(QMenu *menu, const char *resource, int side, const QString &text,
                       const char *objectName)
{
    QAction *action = menu->addAction(scaledIcon(resource, side), text);
    action->setObjectName(QLatin1String(objectName));
    return action;
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
