#include "keyboardaccess.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <algorithm>
#include <functional>

namespace {

// The letter after a single '&' of text, lower case; null when text has none ("&&" is a
// literal ampersand).
QChar mnemonicOf(const QString &text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            return text.at(i + 1).toLower();
        ++i;
    }
    return QChar();
}

// text with a mnemonic none of taken has: the first letter of a word where one is free, else
// any letter or digit; text as it is when every one is taken. Adds the letter to taken.
QString withMnemonic(const QString &text, QString *taken)
{
    QList<int> candidates;
    for (int i = 0; i < text.size(); ++i) {
        const bool wordStart = i == 0 || !text.at(i - 1).isLetterOrNumber();
        if (text.at(i).isLetterOrNumber() && wordStart)
            candidates.append(i);
    }
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).isLetterOrNumber() && !candidates.contains(i))
            candidates.append(i);
    }
    for (int i : candidates) {
        const QChar letter = text.at(i).toLower();
        if (!taken->contains(letter)) {
            taken->append(letter);
            QString marked = text;
            marked.insert(i, QLatin1Char('&'));
            return marked;
        }
    }
    return text;
}

// A text a mnemonic can be given to, read and written through the widget that shows it.
struct Labelled
{
    std::function<QString()> text;
    std::function<void(const QString &)> setText;
};

// The widgets of window in reading order: row by row as the layout placed them (a widget whose
// middle lies within the height of a row's first widget stands in that row), left to right
// within each row.
QList<QWidget *> inReadingOrder(QWidget *window, QList<QWidget *> widgets)
{
    const auto topLeft = [window](const QWidget *widget) {
        return widget->mapTo(window, QPoint(0, 0));
    };
    std::stable_sort(widgets.begin(), widgets.end(), [&](const QWidget *a, const QWidget *b) {
        return topLeft(a).y() < topLeft(b).y();
    });
    QList<QWidget *> ordered;
    for (int first = 0; first < widgets.size();) {
        const int rowBottom = topLeft(widgets.at(first)).y() + widgets.at(first)->height();
        int end = first + 1;
        while (end < widgets.size()
               && topLeft(widgets.at(end)).y() + widgets.at(end)->height() / 2 < rowBottom)
            ++end;
        QList<QWidget *> row = widgets.mid(first, end - first);
        std::stable_sort(row.begin(), row.end(), [&](const QWidget *a, const QWidget *b) {
            return topLeft(a).x() < topLeft(b).x();
        });
        ordered += row;
        first = end;
    }
    return ordered;
}

// The texts of window that take a mnemonic, push buttons first (the ones a user presses most),
// then the other buttons, group boxes and the labels of fields, each in reading order.
QList<Labelled> labelledOf(QWidget *window)
{
    QList<Labelled> pushButtons;
    QList<Labelled> others;
    for (QWidget *widget : inReadingOrder(window, window->findChildren<QWidget *>())) {
        if (!widget->isVisibleTo(window) || widget->window() != window)
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            if (button->text().isEmpty())
                continue;
            Labelled labelled{[button] { return button->text(); },
                              [button](const QString &text) { button->setText(text); }};
            (qobject_cast<QPushButton *>(button) ? pushButtons : others).append(labelled);
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            if (!group->title().isEmpty())
                others.append({[group] { return group->title(); },
                               [group](const QString &text) { group->setTitle(text); }});
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (label->buddy() && !label->text().isEmpty() && label->textFormat() != Qt::RichText)
                others.append({[label] { return label->text(); },
                               [label](const QString &text) { label->setText(text); }});
        }
    }
    return pushButtons + others;
}

void assign(const QList<Labelled> &labelled)
{
    QString taken;
    for (const Labelled &item : labelled) {
        const QChar mnemonic = mnemonicOf(item.text());
        if (!mnemonic.isNull())
            taken.append(mnemonic);
    }
    for (const Labelled &item : labelled) {
        const QString text = item.text();
        if (mnemonicOf(text).isNull()) {
            const QString marked = withMnemonic(text, &taken);
            if (marked != text)
                item.setText(marked);
        }
    }
}

// Whether Tab stops at widget itself: parts of a composite (the line edit of a combo box, the
// viewport of a list, an editor open in a cell) go with their composite.
bool isTabStop(const QWidget *widget, const QWidget *window)
{
    if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(window)
        || widget->window() != window)
        return false;
    for (const QWidget *up = widget->parentWidget(); up && up != window;
         up = up->parentWidget()) {
        if (qobject_cast<const QAbstractItemView *>(up) || qobject_cast<const QComboBox *>(up)
            || qobject_cast<const QAbstractSpinBox *>(up))
            return false;
    }
    return true;
}

} // namespace

void KeyboardAccess::install(QWidget *window)
{
    window->installEventFilter(new KeyboardAccess(window));
}

void KeyboardAccess::install(QMenu *menu)
{
    connect(menu, &QMenu::aboutToShow, menu, [menu] { assignMnemonics(menu); });
}

void KeyboardAccess::assignMnemonics(QWidget *window)
{
    assign(labelledOf(window));
}

void KeyboardAccess::assignMnemonics(QMenu *menu)
{
    QList<Labelled> labelled;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator() && action->isVisible() && action->isEnabled()
            && !action->text().isEmpty())
            labelled.append({[action] { return action->text(); },
                             [action](const QString &text) { action->setText(text); }});
    }
    assign(labelled);
}

void KeyboardAccess::orderTabs(QWidget *window)
{
    QList<QWidget *> stops;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (isTabStop(widget, window))
            stops.append(widget);
    }
    const QList<QWidget *> ordered = inReadingOrder(window, stops);
    for (int i = 0; i + 1 < ordered.size(); ++i)
        QWidget::setTabOrder(ordered.at(i), ordered.at(i + 1));
}

bool KeyboardAccess::eventFilter(QObject *watched, QEvent *event)
{
    // After the layout has placed everything for this showing, before the user can type.
    if (event->type() == QEvent::Show && watched == parent()) {
        auto *window = static_cast<QWidget *>(watched);
        assignMnemonics(window);
        orderTabs(window);
    }
    return QObject::eventFilter(watched, event);
}
