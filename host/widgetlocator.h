#pragma once

#include <QList>
#include <QString>

class QObject;
class QWidget;

// Finds what a script names in the visible windows of the application: a widget or an action by
// its object name. Where names repeat, a path of names narrows the search ("SaveDialog/OkButton":
// an "OkButton" inside "SaveDialog") and an index picks one of several matches ("OkButton[1]",
// counted from 0 in the order the snapshot lists them). Main thread only.
class WidgetLocator
{
public:
    // The one widget or action the name stands for; null with a message when there is none or
    // more than one. Visible matches are preferred over hidden ones.
    static QObject *find(const QString &name, QString *errorMessage);
    // The windows a script sees: the visible top-level widgets, in creation order.
    static QList<QWidget *> windows();
    // Whether the widget or action is visible.
    static bool isVisible(const QObject *object);
    // A label's, button's or menu entry's text as it reads on screen: the '&' that marks its
    // mnemonic left out, "&&" shown as one '&'.
    static QString shownText(const QString &text);
};
