#pragma once

#include <QIcon>

class QMenu;
class QSize;
class QWidget;

// The small icon-only menus of the file lists' tool buttons (view and sort choices): tool tips
// shown, a gray highlight, a fixed size. A child of parent.
QMenu *createIconMenu(QWidget *parent, const QSize &size);
// The picture of a resource scaled to side x side, as an icon.
QIcon scaledIcon(const char *resource, int side);
// The icon of a resource, read on first use and shared by every later caller: lists of hundreds
// of rows show the same few icons. Main thread only.
QIcon resourceIcon(const QString &resource);
