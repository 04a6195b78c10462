#include "widgetlocator.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QWidget>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("WidgetLocator", text);
}

struct Segment
{
    QString name;
    int index = -1; // -1: no index given
};

bool parseSegments(const QString &path, QList<Segment> *segments, QString *errorMessage)
{
    static const QRegularExpression form(QStringLiteral("^([^\\[\\]]+)(?:\\[(\\d+)\\])?$"));
    for (const QString &part : path.split(QLatin1Char('/'))) {
        const QRegularExpressionMatch match = form.match(part);
        if (!match.hasMatch()) {
            *errorMessage = tr("\"%1\" is not a widget name (name, name[index], or a path "
                               "of names joined by /).")
                                .arg(path);
            return false;
        }
        Segment segment;
        segment.name = match.captured(1);
        if (!match.captured(2).isEmpty())
            segment.index = match.captured(2).toInt();
        segments->append(segment);
    }
    return true;
}

bool isTarget(const QObject *object)
{
    return object->isWidgetType() || qobject_cast<const QAction *>(object);
}

// Widgets and actions called name in the tree of object, depth first.
void collect(QObject *object, const QString &name, QList<QObject *> *found)
{
    if (isTarget(object) && object->objectName() == name && !found->contains(object))
        found->append(object);
    for (QObject *child : object->children())
        collect(child, name, found);
}

} // namespace

QList<QWidget *> WidgetLocator::windows()
{
    QList<QWidget *> result;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            result.append(widget);
    }
    return result;
}

bool WidgetLocator::isVisible(const QObject *object)
{
    if (const auto *action = qobject_cast<const QAction *>(object))
        return action->isVisible();
    return object->isWidgetType() && static_cast<const QWidget *>(object)->isVisible();
}

QObject *WidgetLocator::find(const QString &name, QString *errorMessage)
{
    QList<Segment> segments;
    if (!parseSegments(name, &segments, errorMessage))
        return nullptr;
    QList<QObject *> scope;
    for (QWidget *window : windows())
        scope.append(window);
    bool first = true;
    for (const Segment &segment : segments) {
        // The first name may be a window itself; each further one lies inside the previous.
        QList<QObject *> matches;
        for (QObject *root : scope) {
            const QObjectList inside = first ? QObjectList { root } : root->children();
            for (QObject *object : inside)
                collect(object, segment.name, &matches);
        }
        first = false;
        QList<QObject *> visible;
        for (QObject *match : matches) {
            if (isVisible(match))
                visible.append(match);
        }
        if (!visible.isEmpty())
            matches = visible;
        if (matches.isEmpty()) {
            *errorMessage = tr("No widget or action named \"%1\" is shown.").arg(segment.name);
            return nullptr;
        }
        if (segment.index >= matches.size()) {
            *errorMessage = tr("\"%1\" has %2 matches; index %3 is out of range.")
                                .arg(segment.name)
                                .arg(matches.size())
                                .arg(segment.index);
            return nullptr;
        }
        if (segment.index >= 0)
            matches = { matches.at(segment.index) };
        scope = matches;
    }
    if (scope.size() > 1) {
        *errorMessage = tr("\"%1\" names %2 widgets; add a path or an index, e.g. %1[0].")
                            .arg(name)
                            .arg(scope.size());
        return nullptr;
    }
    return scope.first();
}

QString WidgetLocator::shownText(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        shown.append(text.at(i));
    }
    return shown;
}
