#include "widgetsnapshot.h"

#include "widgetlocator.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QBrush>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>

#include <functional>
#include <optional>

namespace {

// The item data roles the module keeps its names and modification times in.
constexpr int kNameRole = 16;
constexpr int kTimeRole = 17;
// Rows written per level of a model; file dialogs and the like can hold many more.
constexpr int kMaxRows = 500;

QJsonArray geometryJson(const QRect &rect)
{
    return QJsonArray { rect.x(), rect.y(), rect.width(), rect.height() };
}

QJsonValue dataJson(const QVariant &value)
{
    return value.isValid() ? QJsonValue::fromVariant(value) : QJsonValue();
}

bool isRowHidden(const QAbstractItemView *view, int row, const QModelIndex &parent)
{
    if (const auto *tree = qobject_cast<const QTreeView *>(view))
        return tree->isRowHidden(row, parent);
    if (const auto *list = qobject_cast<const QListView *>(view))
        return list->isRowHidden(row);
    if (const auto *table = qobject_cast<const QTableView *>(view))
        return table->isRowHidden(row);
    return false;
}

QJsonArray rowsJson(const QAbstractItemModel *model, const QModelIndex &parent,
                    const QAbstractItemView *view)
{
    QJsonArray rows;
    const int count = qMin(model->rowCount(parent), kMaxRows);
    for (int row = 0; row < count; ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        QJsonArray texts;
        // What a row shows beyond its texts, for columns drawn as icons (a status) or edited
        // in place (an action): each column's tool tip and edit text, when any differs.
        QJsonArray toolTips;
        QJsonArray edits;
        bool moreTips = false;
        bool otherEdits = false;
        for (int column = 0; column < model->columnCount(parent); ++column) {
            const QModelIndex cell = model->index(row, column, parent);
            const QString text = cell.data(Qt::DisplayRole).toString();
            const QString tip = cell.data(Qt::ToolTipRole).toString();
            const QString edit = cell.data(Qt::EditRole).toString();
            texts.append(text);
            toolTips.append(tip);
            edits.append(edit);
            moreTips = moreTips || (column > 0 && !tip.isEmpty());
            otherEdits = otherEdits || edit != text;
        }
        QJsonObject json { { QStringLiteral("texts"), texts } };
        const QString toolTip = index.data(Qt::ToolTipRole).toString();
        if (!toolTip.isEmpty())
            json.insert(QStringLiteral("toolTip"), toolTip);
        if (moreTips)
            json.insert(QStringLiteral("toolTips"), toolTips);
        if (otherEdits)
            json.insert(QStringLiteral("edits"), edits);
        // The row's colours, where the model gives any.
        for (const auto &[role, key] : {std::pair{Qt::BackgroundRole, "background"},
                                        std::pair{Qt::ForegroundRole, "foreground"}}) {
            const QVariant brush = index.data(role);
            if (brush.canConvert<QBrush>() && brush.value<QBrush>().style() != Qt::NoBrush)
                json.insert(QLatin1String(key),
                            brush.value<QBrush>().color().name(QColor::HexArgb));
        }
        const QVariant checkState = index.data(Qt::CheckStateRole);
        if (checkState.isValid())
            json.insert(QStringLiteral("checkState"), checkState.toInt());
        if (index.data(kNameRole).isValid())
            json.insert(QStringLiteral("role16"), dataJson(index.data(kNameRole)));
        if (index.data(kTimeRole).isValid())
            json.insert(QStringLiteral("role17"), dataJson(index.data(kTimeRole)));
        if (view) {
            json.insert(QStringLiteral("hidden"), isRowHidden(view, row, parent));
            json.insert(QStringLiteral("selected"),
                        view->selectionModel() && view->selectionModel()->isRowSelected(row, parent));
        }
        if (model->hasChildren(index))
            json.insert(QStringLiteral("rows"), rowsJson(model, index, view));
        rows.append(json);
    }
    return rows;
}

void addModel(QJsonObject *json, const QAbstractItemModel *model, const QAbstractItemView *view)
{
    if (!model)
        return;
    json->insert(QStringLiteral("rowCount"), model->rowCount());
    json->insert(QStringLiteral("rows"), rowsJson(model, QModelIndex(), view));
}

// Reaches the options a view gives its delegate (protected in QAbstractItemView): the pointer
// to the member is QAbstractItemView's own, so calling it on any view is well formed.
struct ViewOptionsAccess : QAbstractItemView
{
    using QAbstractItemView::viewOptions;
};

// The cells of a view shown narrower than their delegate asks for, one "row R column C "TEXT""
// each, among the rows a user can scroll to; cells covered by a widget are that widget's to
// say. For a header, the sections narrower than their title.
QStringList clippedCells(const QAbstractItemView *view)
{
    QStringList clipped;
    if (const auto *header = qobject_cast<const QHeaderView *>(view)) {
        for (int section = 0; section < header->count(); ++section) {
            if (!header->isSectionHidden(section)
                && header->sectionSizeHint(section) > header->sectionSize(section) + 1)
                clipped.append(QStringLiteral("section %1 \"%2\"")
                                   .arg(section)
                                   .arg(header->model()->headerData(section, header->orientation())
                                            .toString()));
        }
        return clipped;
    }
    const QAbstractItemModel *model = view->model();
    if (!model || !view->isVisible())
        return clipped;
    const auto options = &ViewOptionsAccess::viewOptions;
    QStyleOptionViewItem option = (view->*options)();
    const auto *tree = qobject_cast<const QTreeView *>(view);
    int shown = 0;
    // Depth first through the expanded rows, as a user sees them.
    std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
        for (int row = 0; row < model->rowCount(parent) && shown < kMaxRows; ++row) {
            if (isRowHidden(view, row, parent))
                continue;
            ++shown;
            for (int column = 0; column < model->columnCount(parent); ++column) {
                const QModelIndex cell = model->index(row, column, parent);
                if ((tree && tree->isColumnHidden(column)) || view->indexWidget(cell))
                    continue;
                option.rect = view->visualRect(cell);
                if (option.rect.isEmpty())
                    continue;
                const QAbstractItemDelegate *delegate = view->itemDelegate(cell);
                if (delegate->sizeHint(option, cell).width() > option.rect.width() + 1)
                    clipped.append(QStringLiteral("row %1 column %2 \"%3\"")
                                       .arg(row)
                                       .arg(column)
                                       .arg(cell.data(Qt::DisplayRole).toString()));
            }
            const QModelIndex first = model->index(row, 0, parent);
            if (tree && tree->isExpanded(first))
                walk(first);
        }
    };
    walk(view->rootIndex());
    return clipped;
}

// The key that goes with Alt to reach text, lower case; empty for none.
QString mnemonicOf(const QString &text)
{
    const QKeySequence key = QKeySequence::mnemonic(text);
    return key.isEmpty() ? QString()
                         : key.toString(QKeySequence::PortableText).section('+', -1).toLower();
}

QJsonArray actionsJson(const QList<QAction *> &actions)
{
    QJsonArray result;
    for (const QAction *action : actions) {
        if (action->isSeparator())
            continue;
        QJsonObject json { { QStringLiteral("class"), QStringLiteral("QAction") },
                           { QStringLiteral("objectName"), action->objectName() },
                           { QStringLiteral("text"), WidgetLocator::shownText(action->text()) },
                           { QStringLiteral("visible"), action->isVisible() },
                           { QStringLiteral("enabled"), action->isEnabled() } };
        if (!action->toolTip().isEmpty() && action->toolTip() != action->iconText())
            json.insert(QStringLiteral("toolTip"), action->toolTip());
        if (action->isCheckable())
            json.insert(QStringLiteral("checked"), action->isChecked());
        if (!mnemonicOf(action->text()).isEmpty())
            json.insert(QStringLiteral("mnemonic"), mnemonicOf(action->text()));
        if (const QMenu *menu = action->menu())
            json.insert(QStringLiteral("actions"), actionsJson(menu->actions()));
        result.append(json);
    }
    return result;
}

// The text of a widget as its own property holds it (mnemonic marks included), where it has one;
// null for none (or a hidden input).
QJsonValue rawText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->echoMode() == QLineEdit::Normal ? QJsonValue(edit->text()) : QJsonValue();
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    if (const auto *spin = qobject_cast<const QAbstractSpinBox *>(widget))
        return spin->text();
    if (const auto *group = qobject_cast<const QGroupBox *>(widget))
        return group->title();
    if (const auto *text = qobject_cast<const QTextEdit *>(widget))
        return text->toPlainText();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(widget))
        return plain->toPlainText();
    if (const auto *menu = qobject_cast<const QMenu *>(widget))
        return menu->title();
    return QJsonValue();
}

// Whether a widget's text marks a mnemonic: labels, buttons, group boxes and menus do.
bool takesMnemonic(const QWidget *widget)
{
    return qobject_cast<const QLabel *>(widget) || qobject_cast<const QAbstractButton *>(widget)
        || qobject_cast<const QGroupBox *>(widget) || qobject_cast<const QMenu *>(widget);
}

// Whether a shown label or button shows less than its whole text: cut off at an edge, or
// shortened with an ellipsis. Rich text and pictures are not measured.
bool showsTextInPart(const QWidget *widget)
{
    if (!widget->isVisible())
        return false;
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        const QString text = label->text();
        if (text.isEmpty() || (label->textFormat() != Qt::PlainText && Qt::mightBeRichText(text)))
            return false;
        const QRect room = label->contentsRect();
        const QFontMetrics metrics(label->font());
        const QRect needed = label->wordWrap()
            ? metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20),
                                   Qt::TextWordWrap | Qt::TextShowMnemonic, text)
            : QRect(QPoint(), metrics.size(Qt::TextShowMnemonic, text));
        // Text shortened before it was set (an ellipsis) is as much in part as text cut by the
        // label; a pixel of rounding either way is not a cut.
        return text.contains(QChar(0x2026)) || needed.width() > room.width() + 1
            || needed.height() > room.height() + 1;
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return !button->text().isEmpty() && button->sizeHint().width() > button->width() + 1;
    return false;
}

// The current index of widgets that show one of several things.
std::optional<int> currentIndex(const QWidget *widget)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentIndex();
    if (const auto *tabs = qobject_cast<const QTabWidget *>(widget))
        return tabs->currentIndex();
    if (const auto *tabBar = qobject_cast<const QTabBar *>(widget))
        return tabBar->currentIndex();
    if (const auto *stack = qobject_cast<const QStackedWidget *>(widget))
        return stack->currentIndex();
    if (const auto *view = qobject_cast<const QAbstractItemView *>(widget))
        return view->currentIndex().row();
    return std::nullopt;
}

QJsonObject widgetJson(const QWidget *widget)
{
    const QString className = QString::fromLatin1(widget->metaObject()->className());
    QJsonObject json { { QStringLiteral("class"), className },
                       { QStringLiteral("objectName"), widget->objectName() },
                       { QStringLiteral("visible"), widget->isVisible() },
                       { QStringLiteral("enabled"), widget->isEnabled() },
                       { QStringLiteral("geometry"), geometryJson(widget->geometry()) } };
    if (widget->isWindow() || !widget->windowTitle().isEmpty())
        json.insert(QStringLiteral("title"), widget->windowTitle());
    if (widget->isWindow())
        json.insert(QStringLiteral("modal"), widget->isModal());
    // The button Enter presses.
    const auto *push = qobject_cast<const QPushButton *>(widget);
    if (push && push->isDefault())
        json.insert(QStringLiteral("default"), true);
    // A "What's This?" button in a title bar, where a window manager shows one.
    if (widget->isWindow() && widget->windowFlags().testFlag(Qt::WindowContextHelpButtonHint))
        json.insert(QStringLiteral("helpButton"), true);
    // A label placed other than where labels go unless told: left, centred in height.
    const auto *label = qobject_cast<const QLabel *>(widget);
    if (label && label->alignment() != (Qt::AlignLeft | Qt::AlignVCenter))
        json.insert(QStringLiteral("alignment"),
                    QString::fromLatin1(QMetaEnum::fromType<Qt::Alignment>().valueToKeys(
                        int(label->alignment()))));
    const QJsonValue text = rawText(widget);
    if (!text.isNull() && takesMnemonic(widget)) {
        json.insert(QStringLiteral("text"), WidgetLocator::shownText(text.toString()));
        const QString mnemonic = mnemonicOf(text.toString());
        if (!mnemonic.isEmpty())
            json.insert(QStringLiteral("mnemonic"), mnemonic);
    } else if (!text.isNull()) {
        json.insert(QStringLiteral("text"), text);
    }
    if (showsTextInPart(widget))
        json.insert(QStringLiteral("clipped"), true);
    if (const auto *view = qobject_cast<const QAbstractItemView *>(widget)) {
        const QStringList cells = clippedCells(view);
        if (!cells.isEmpty()) {
            json.insert(QStringLiteral("clipped"), true);
            json.insert(QStringLiteral("clippedCells"), QJsonArray::fromStringList(cells));
        }
    }
    if (!widget->toolTip().isEmpty())
        json.insert(QStringLiteral("toolTip"), widget->toolTip());
    const auto *button = qobject_cast<const QAbstractButton *>(widget);
    if (button && button->isCheckable())
        json.insert(QStringLiteral("checked"), button->isChecked());
    // Whether a button shows a picture, and which kind of message a box shows.
    if (button && !button->icon().isNull())
        json.insert(QStringLiteral("icon"), true);
    if (const auto *box = qobject_cast<const QMessageBox *>(widget))
        json.insert(QStringLiteral("icon"),
                    QString::fromLatin1(
                        QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon())));
    if (const std::optional<int> index = currentIndex(widget))
        json.insert(QStringLiteral("currentIndex"), *index);
    // A header's model is its view's: the rows are listed once, under the view.
    const auto *itemView = qobject_cast<const QAbstractItemView *>(widget);
    if (itemView && !qobject_cast<const QHeaderView *>(widget))
        addModel(&json, itemView->model(), itemView);
    else if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        addModel(&json, combo->model(), nullptr);
    if (const auto *tabs = qobject_cast<const QTabWidget *>(widget)) {
        QJsonArray tabTexts;
        for (int i = 0; i < tabs->count(); ++i)
            tabTexts.append(tabs->tabText(i));
        json.insert(QStringLiteral("tabs"), tabTexts);
    }
    const int urlProperty = widget->metaObject()->indexOfProperty("url");
    if (urlProperty >= 0)
        json.insert(QStringLiteral("url"),
                    widget->metaObject()->property(urlProperty).read(widget).toString());
    if (!widget->actions().isEmpty())
        json.insert(QStringLiteral("actions"), actionsJson(widget->actions()));

    QJsonArray children;
    for (const QObject *child : widget->children()) {
        // Windows with a parent (dialogs, floating panes, menus) are listed as windows.
        if (child->isWidgetType() && !static_cast<const QWidget *>(child)->isWindow())
            children.append(widgetJson(static_cast<const QWidget *>(child)));
    }
    if (!children.isEmpty())
        json.insert(QStringLiteral("children"), children);
    return json;
}

} // namespace

QJsonObject WidgetSnapshot::take()
{
    QJsonArray windows;
    for (const QWidget *window : WidgetLocator::windows())
        windows.append(widgetJson(window));
    return QJsonObject { { QStringLiteral("windows"), windows } };
}

QJsonObject WidgetSnapshot::of(const QWidget *widget)
{
    return widgetJson(widget);
}

bool WidgetSnapshot::write(const QString &path, QString *errorMessage)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(take()).toJson()) < 0
        || !file.commit()) {
        *errorMessage = QCoreApplication::translate("WidgetSnapshot",
                                                    "Cannot write the widget snapshot %1: %2")
                            .arg(path, file.errorString());
        return false;
    }
    return true;
}
