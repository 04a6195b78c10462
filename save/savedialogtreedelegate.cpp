#include "savedialogtreedelegate.h"

#include "saveaction.h"
#include "savedialogtreemodel.h"
#include "savetreeitem.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QStyle>

namespace {
// The action icons in closed cells and in the open editor alike.
const QSize kComboIconSize(22, 22);
// Left and right of a file name in its cell, together.
constexpr int kNameMargins = 7;

const char kSelectedFill[] = "#96368ec4";
const char kHoverFill[] = "#96e6e8ea";
const char kErrorFill[] = "#96ffcbc2";
const char kActionEditorName[] = "ActionComboBox";
const char kSpaceEditorName[] = "SpaceComboBox";

} // namespace

SaveDialogTreeDelegate::SaveDialogTreeDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void SaveDialogTreeDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    const SaveTreeItem *item = SaveDialogTreeModel::itemAt(index);
    if (!item) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    switch (index.column()) {
    case SaveDialogTreeModel::ActionColumn:
        paintComboCell(painter, option, index, true);
        break;
    case SaveDialogTreeModel::SpaceColumn:
        paintComboCell(painter, option, index, item->action == SaveAction::SaveAsNew);
        break;
    case SaveDialogTreeModel::DisplayNameColumn: {
        const QRect rect = option.rect;
        if (option.state & QStyle::State_Selected)
            painter->fillRect(rect, QColor(QLatin1String(kSelectedFill)));
        else if (option.state & QStyle::State_MouseOver)
            painter->fillRect(rect, QColor(QLatin1String(kHoverFill)));
        else if (item->hasError)
            painter->fillRect(rect, QColor(QLatin1String(kErrorFill)));
        painter->drawText(rect.adjusted(5, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(item->displayName, Qt::ElideMiddle,
                                                        rect.width() - kNameMargins));
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        break;
    }
    default:
        QStyledItemDelegate::paint(painter, option, index);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        break;
    }
    painter->restore();
}

void SaveDialogTreeDelegate::paintComboCell(QPainter *painter, const QStyleOptionViewItem &option,
                                            const QModelIndex &index, bool enabled) const
{
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    QStyleOptionComboBox combo;
    combo.rect = option.rect;
    combo.currentText = index.data(Qt::EditRole).toString();
    combo.currentIcon = index.data(Qt::DecorationRole).value<QIcon>();
    combo.iconSize = kComboIconSize;
    combo.frame = true;
    combo.state = enabled ? QStyle::State_Enabled | QStyle::State_Active : QStyle::State_None;
    style->drawComplexControl(QStyle::CC_ComboBox, &combo, painter, option.widget);
    style->drawControl(QStyle::CE_ComboBoxLabel, &combo, painter, option.widget);
}

QSize SaveDialogTreeDelegate::sizeHint(const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const SaveTreeItem *item = SaveDialogTreeModel::itemAt(index);
    if (item) {
        // Room for every text a cell can come to show, so that choosing another action or
        // space never cuts it.
        switch (index.column()) {
        case SaveDialogTreeModel::ActionColumn:
            size.setWidth(comboWidth(option, allSaveActionTexts()));
            break;
        case SaveDialogTreeModel::SpaceColumn:
            size.setWidth(comboWidth(option, m_spaces));
            break;
        case SaveDialogTreeModel::DisplayNameColumn:
            size.setWidth(option.fontMetrics.horizontalAdvance(item->displayName)
                          + kNameMargins);
            break;
        default:
            break;
        }
    }
    size.setHeight(m_rowHeight);
    return size;
}

int SaveDialogTreeDelegate::comboWidth(const QStyleOptionViewItem &option,
                                       const QStringList &texts) const
{
    int textWidth = 0;
    for (const QString &text : texts)
        textWidth = qMax(textWidth, option.fontMetrics.horizontalAdvance(text));
    QStyleOptionComboBox combo;
    combo.iconSize = kComboIconSize;
    combo.frame = true;
    combo.fontMetrics = option.fontMetrics;
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    // The icon and the space QComboBox itself leaves beside it.
    const QSize content(textWidth + kComboIconSize.width() + 4, kComboIconSize.height());
    return style->sizeFromContents(QStyle::CT_ComboBox, &combo, content, option.widget).width();
}

QWidget *SaveDialogTreeDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                              const QModelIndex &index) const
{
    const SaveTreeItem *item = SaveDialogTreeModel::itemAt(index);
    if (!item || (index.column() != SaveDialogTreeModel::ActionColumn
                  && index.column() != SaveDialogTreeModel::SpaceColumn))
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto *combo = new QComboBox(parent);
    combo->setFrame(true);
    // The icons at the size the closed cells show them.
    combo->setIconSize(kComboIconSize);
    // Named so that scripts can choose an entry once a click has opened the editor.
    combo->setObjectName(QLatin1String(index.column() == SaveDialogTreeModel::ActionColumn
                                           ? kActionEditorName
                                           : kSpaceEditorName));
    if (index.column() == SaveDialogTreeModel::ActionColumn) {
        // A file found in the target space can be overwritten, never saved as changes.
        const SaveAction offered[] = {SaveAction::SaveAsNew,
                                      item->existsOnServer ? SaveAction::DoNotSave
                                                           : SaveAction::SaveChanges,
                                      item->existsOnServer ? SaveAction::Overwrite
                                                           : SaveAction::DoNotSave};
        for (SaveAction action : offered) {
            const bool unchanged = action == SaveAction::SaveChanges && !item->hasLocalChanges;
            combo->addItem(QIcon(saveActionIcon(action, unchanged)),
                           saveActionText(action, unchanged));
        }
    } else {
        combo->addItems(m_spaces);
    }
    // One choice commits and closes, connected after filling so that filling commits nothing.
    // createEditor is const by Qt's signature; committing is not.
    auto *self = const_cast<SaveDialogTreeDelegate *>(this);
    connect(combo, QOverload<int>::of(&QComboBox::activated), self,
            [self, combo](int) { self->commitAndCloseEditor(combo); });
    return combo;
}

void SaveDialogTreeDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        // An exact match or nothing: a value that is not offered leaves the row unchanged.
        combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString(),
                                               Qt::MatchExactly | Qt::MatchCaseSensitive));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void SaveDialogTreeDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                          const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void SaveDialogTreeDelegate::updateEditorGeometry(QWidget *editor,
                                                  const QStyleOptionViewItem &option,
                                                  const QModelIndex &index) const
{
    if (qobject_cast<QComboBox *>(editor))
        editor->setGeometry(option.rect);
    else
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
}

void SaveDialogTreeDelegate::commitAndCloseEditor(QWidget *editor)
{
    emit commitData(editor);
    emit closeEditor(editor);
}
