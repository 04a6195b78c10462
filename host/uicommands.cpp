#include "uicommands.h"

#include "commandprocessor.h"
#include "hostcommandcontext.h"
#include "widgetlocator.h"
#include "widgetsnapshot.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>

#include <functional>

namespace {

// The item data role the module keeps a row's name in, for rows drawn by item widgets.
constexpr int kNameRole = 16;

QString tr(const char *text)
{
    return QCoreApplication::translate("UiCommands", text);
}

using Action = std::function<bool(const QStringList &arguments, QString *errorMessage)>;

// Runs action on the command's answers, reporting a missing answer or a failure as one line.
int runUiCommand(OdEdCommandContext *context, const char *name, int needed, const char *usage,
                 const Action &action)
{
    const QStringList arguments = HostCommandContext::givenAnswers(context);
    QString error;
    if (arguments.size() < needed)
        error = tr("usage: %1 %2").arg(QLatin1String(name), QLatin1String(usage));
    else if (action(arguments, &error))
        return RTNORM;
    // Only the name the command acts on is repeated: a value may be a password.
    HostCommandContext::report(context, QStringLiteral("%1 %2: %3")
                                            .arg(QLatin1String(name), arguments.value(0), error));
    return RTERROR;
}

// The named widget, shown and enabled, as a user could reach it.
QWidget *usableWidget(const QString &name, QString *errorMessage)
{
    QObject *object = WidgetLocator::find(name, errorMessage);
    if (!object)
        return nullptr;
    if (!object->isWidgetType()) {
        *errorMessage = tr("\"%1\" is an action; use _UITRIGGER.").arg(name);
        return nullptr;
    }
    auto *widget = static_cast<QWidget *>(object);
    if (!widget->isVisible())
        *errorMessage = tr("\"%1\" is hidden.").arg(name);
    else if (!widget->isEnabled())
        *errorMessage = tr("\"%1\" is disabled.").arg(name);
    else
        return widget;
    return nullptr;
}

// A left click at pos, as the window system would deliver it.
void clickAt(QWidget *target, const QPoint &pos)
{
    QPointer<QWidget> guard(target);
    const QPoint global = target->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    if (!guard)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

bool click(const QStringList &arguments, QString *errorMessage)
{
    QWidget *widget = usableWidget(arguments.at(0), errorMessage);
    if (!widget)
        return false;
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->click();
    else
        clickAt(widget, widget->rect().center());
    return true;
}

bool parseFlag(const QString &value, bool *flag)
{
    static const QStringList on = { "1", "true", "on", "yes", "checked" };
    static const QStringList off = { "0", "false", "off", "no", "unchecked" };
    *flag = on.contains(value.toLower());
    return *flag || off.contains(value.toLower());
}

bool set(const QStringList &arguments, QString *errorMessage)
{
    QWidget *widget = usableWidget(arguments.at(0), errorMessage);
    if (!widget)
        return false;
    const QString value = arguments.mid(1).join(QLatin1Char(' '));
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        if (edit->isReadOnly()) {
            *errorMessage = tr("\"%1\" is read-only.").arg(arguments.at(0));
            return false;
        }
        // Replacing the selection is an edit as if typed: textEdited is emitted too.
        edit->selectAll();
        edit->insert(value);
        return true;
    }
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        const int index = combo->findText(value);
        if (index >= 0) {
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        } else if (combo->isEditable()) {
            combo->setEditText(value);
        } else {
            *errorMessage = tr("\"%1\" has no item \"%2\".").arg(arguments.at(0), value);
            return false;
        }
        return true;
    }
    auto *button = qobject_cast<QAbstractButton *>(widget);
    if (button && button->isCheckable()) {
        bool checked = false;
        if (!parseFlag(value, &checked)) {
            *errorMessage = tr("\"%1\" takes on or off, not \"%2\".").arg(arguments.at(0), value);
            return false;
        }
        if (button->isChecked() != checked)
            button->click();
        return true;
    }
    *errorMessage = tr("\"%1\" is a %2; only line edits, combo boxes and check boxes are set.")
                        .arg(arguments.at(0), QLatin1String(widget->metaObject()->className()));
    return false;
}

// The row a script names: its number, or the text shown in it (or its name, for rows drawn by
// item widgets), searched through the whole model.
QModelIndex rowIndex(const QAbstractItemModel *model, const QString &row)
{
    bool isNumber = false;
    const int number = row.toInt(&isNumber);
    if (isNumber)
        return model->index(number, 0);
    if (model->rowCount() == 0)
        return QModelIndex();
    for (const int role : { int(Qt::DisplayRole), kNameRole }) {
        const QModelIndexList found = model->match(model->index(0, 0), role, row, 1,
                                                   Qt::MatchExactly | Qt::MatchRecursive);
        if (!found.isEmpty())
            return found.first();
    }
    return QModelIndex();
}

// The tab a script names: its text, or its number.
int tabIndex(const QTabBar *tabBar, const QString &tab)
{
    for (int i = 0; i < tabBar->count(); ++i) {
        if (tabBar->tabText(i) == tab)
            return i;
    }
    bool isNumber = false;
    const int number = tab.toInt(&isNumber);
    return isNumber && number >= 0 && number < tabBar->count() ? number : -1;
}

// The column a script names: its header text, or its number; 0 when none is named.
int columnIndex(const QAbstractItemModel *model, const QString &column)
{
    if (column.isEmpty())
        return 0;
    for (int i = 0; i < model->columnCount(); ++i) {
        if (model->headerData(i, Qt::Horizontal).toString() == column)
            return i;
    }
    bool isNumber = false;
    const int number = column.toInt(&isNumber);
    return isNumber && number >= 0 && number < model->columnCount() ? number : -1;
}

bool select(const QStringList &arguments, QString *errorMessage)
{
    const QString &name = arguments.at(0);
    const QString &row = arguments.at(1);
    const QString column = arguments.value(2);
    QWidget *widget = usableWidget(name, errorMessage);
    if (!widget)
        return false;
    auto *tabs = qobject_cast<QTabWidget *>(widget);
    if (QTabBar *tabBar = tabs ? tabs->tabBar() : qobject_cast<QTabBar *>(widget)) {
        const int index = tabIndex(tabBar, row);
        if (index < 0) {
            *errorMessage = tr("\"%1\" has no tab \"%2\".").arg(name, row);
            return false;
        }
        tabBar->setCurrentIndex(index);
        return true;
    }
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        const QModelIndex index = rowIndex(combo->model(), row);
        if (!index.isValid()) {
            *errorMessage = tr("\"%1\" has no item \"%2\".").arg(name, row);
            return false;
        }
        combo->setCurrentIndex(index.row());
        emit combo->activated(index.row());
        return true;
    }
    auto *view = qobject_cast<QAbstractItemView *>(widget);
    if (!view || !view->model()) {
        *errorMessage = tr("\"%1\" is a %2; rows are selected in lists, tables, trees, combo "
                           "boxes and tabs.")
                            .arg(name, QLatin1String(widget->metaObject()->className()));
        return false;
    }
    const int columnNumber = columnIndex(view->model(), column);
    if (columnNumber < 0) {
        *errorMessage = tr("\"%1\" has no column \"%2\".").arg(name, column);
        return false;
    }
    QModelIndex index = rowIndex(view->model(), row);
    if (!index.isValid()) {
        *errorMessage = tr("\"%1\" has no row \"%2\".").arg(name, row);
        return false;
    }
    index = index.siblingAtColumn(columnNumber);
    // A click on the row, so that the view and whoever listens to it react as to a user.
    view->scrollTo(index);
    const QRect rect = view->visualRect(index);
    if (!rect.isValid() || !view->viewport()->rect().intersects(rect)) {
        *errorMessage = tr("Row \"%2\" of \"%1\" is hidden.").arg(name, row);
        return false;
    }
    clickAt(view->viewport(), rect.center());
    return true;
}

bool trigger(const QStringList &arguments, QString *errorMessage)
{
    QObject *object = WidgetLocator::find(arguments.at(0), errorMessage);
    if (!object)
        return false;
    auto *action = qobject_cast<QAction *>(object);
    if (!action) {
        *errorMessage = tr("\"%1\" is a widget; use _UICLICK.").arg(arguments.at(0));
        return false;
    }
    if (!action->isEnabled()) {
        *errorMessage = tr("\"%1\" is disabled.").arg(arguments.at(0));
        return false;
    }
    action->trigger();
    return true;
}

bool close(const QStringList &arguments, QString *errorMessage)
{
    QObject *object = WidgetLocator::find(arguments.at(0), errorMessage);
    if (!object)
        return false;
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || !(widget->isWindow() || qobject_cast<QDockWidget *>(widget))) {
        *errorMessage = tr("\"%1\" is not a window or a pane.").arg(arguments.at(0));
        return false;
    }
    if (!widget->close()) {
        *errorMessage = tr("\"%1\" refused to close.").arg(arguments.at(0));
        return false;
    }
    return true;
}

bool snapshot(const QStringList &arguments, QString *errorMessage)
{
    return WidgetSnapshot::write(arguments.join(QLatin1Char(' ')), errorMessage);
}

} // namespace

QString UiCommands::printableLine(const QString &line)
{
    const QStringList words = CommandProcessor::splitWords(line);
    if (words.size() < 3 || words.first().compare(QLatin1String("_UISET"), Qt::CaseInsensitive) != 0)
        return line;
    QString error;
    const auto *edit = qobject_cast<const QLineEdit *>(WidgetLocator::find(words.at(1), &error));
    if (!edit || edit->echoMode() == QLineEdit::Normal)
        return line;
    return QStringLiteral("%1 %2 ********").arg(words.at(0), words.at(1));
}

UiCommands::UiCommands(std::function<QImage()> picture)
{
    struct Definition
    {
        const char *name;
        int needed;
        const char *usage;
        bool (*action)(const QStringList &, QString *);
    };
    static const Definition kDefinitions[] = {
        { "_UICLICK", 1, "name", click },
        { "_UISET", 2, "name value", set },
        { "_UISELECT", 2, "name row [column]", select },
        { "_UITRIGGER", 1, "name", trigger },
        { "_UICLOSE", 1, "name", close },
        { "_UISNAPSHOT", 1, "file", snapshot },
    };
    for (const Definition &definition : kDefinitions) {
        m_registration.add(definition.name, [definition](OdEdCommandContext *context) {
            return runUiCommand(context, definition.name, definition.needed, definition.usage,
                                definition.action);
        });
    }
    m_registration.add("_UIPICTURE", [picture](OdEdCommandContext *context) {
        return runUiCommand(context, "_UIPICTURE", 1, "file",
                            [&picture](const QStringList &arguments, QString *errorMessage) {
                                const QString path = arguments.join(QLatin1Char(' '));
                                if (picture().save(path, "PNG"))
                                    return true;
                                *errorMessage = tr("cannot write %1").arg(path);
                                return false;
                            });
    });
}
