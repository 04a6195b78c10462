#pragma once

#include <QJsonObject>
#include <QString>

class QWidget;

// What a user sees, as JSON for scripts and tests: every visible top-level window with its
// widgets (class, object name, visible and enabled state, geometry, texts, tool tips, check
// states, current indexes), the actions of menus and bars, and the rows of item views. The text
// of a line edit that hides its input is never written. Main thread only.
class WidgetSnapshot
{
public:
    // {"windows": [...]} for the windows shown now.
    static QJsonObject take();
    // One window (or any widget) and what it holds, as listed in take().
    static QJsonObject of(const QWidget *widget);
    // Writes take() to a file, replacing it in one step; false with a message on failure.
    static bool write(const QString &path, QString *errorMessage);
};
