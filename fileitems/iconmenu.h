#pragma once

#include <QIcon>

class QAction;
class QMenu;
class QWidget;

// The small menus of the file lists' tool buttons (view and sort choices): a gray highlight,
// sized to their entries. A child of parent.
QMenu *createIconMenu(QWidget *parent);
// Adds an entry with the resource's icon at side x side and text, which is also its tool tip;
// objectName lets scripts trigger it.
QAction *addIconAction(QMenu *menu, const char *resource, int side, const QString &text,
                       const char *objectName);
// The picture of a resource scaled to side x side, as an icon.
QIcon scaledIcon(const char *resource, int side);
// The icon of a resource, read on first use and shared by every later caller: lists of hundreds
// of rows show the same few icons. Main thread only.
QIcon resourceIcon(const QString &resource);
