#include "savedialogtreemodel.h"

#include "previewwriter.h"
#include "savetreeitem.h"

#include "connector/filetype.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QPixmap>

namespace {

const char kErrorColor[] = "#96ffcbc2";
const char kImageTip[] = "<img src = '%1' height=\"64\"; width=\"128\"; />";
const char kDrawingTip[] = "<img src = '%1' width: 100%; height: auto; />";

// Icons are asked for at every paint; each is scaled once.
QIcon scaledIcon(const QString &resource, int size)
{
    static QHash<QString, QIcon> icons;
    const QString key = resource + QLatin1Char('@') + QString::number(size);
    auto it = icons.find(key);
    if (it == icons.end()) {
        it = icons.insert(key, QIcon(QPixmap(resource).scaled(size, size, Qt::KeepAspectRatio,
                                                              Qt::SmoothTransformation)));
    }
    return it.value();
}

} // namespace

SaveDialogTreeModel::SaveDialogTreeModel(SaveTreeItem *root, const QString &previewFolder,
                                         QObject *parent)
    : QAbstractItemModel(parent), m_root(root), m_previewFolder(previewFolder)
{
    Q_ASSERT(root);
}

SaveTreeItem *SaveDialogTreeModel::itemAt(const QModelIndex &index)
{
    return index.isValid() ? static_cast<SaveTreeItem *>(index.internalPointer()) : nullptr;
}

QModelIndex SaveDialogTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column < 0 || column >= ColumnCount)
        return QModelIndex();
    const SaveTreeItem *parentItem = parent.isValid() ? itemAt(parent) : m_root;
    SaveTreeItem *child = parentItem ? parentItem->child(row) : nullptr;
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex SaveDialogTreeModel::parent(const QModelIndex &child) const
{
    const SaveTreeItem *item = itemAt(child);
    SaveTreeItem *parentItem = item ? item->parent() : nullptr;
    if (!parentItem || parentItem == m_root)
        return QModelIndex();
    return createIndex(parentItem->row(), 0, parentItem);
}

int SaveDialogTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const SaveTreeItem *item = parent.isValid() ? itemAt(parent) : m_root;
    return item ? item->childCount() : 0;
}

int SaveDialogTreeModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

QVariant SaveDialogTreeModel::data(const QModelIndex &index, int role) const
{
    const SaveTreeItem *item = itemAt(index);
    if (!item)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == DisplayNameColumn)
            return item->displayName;
        if (index.column() == SpaceColumn)
            return item->collabSpace;
        return QVariant();
    case Qt::EditRole:
        if (index.column() == ActionColumn)
            return saveActionText(item->action, item->isUnchanged());
        if (index.column() == SpaceColumn)
            return item->collabSpace;
        return QVariant();
    case Qt::DecorationRole:
        return decoration(*item, index.column());
    case Qt::ToolTipRole:
        return toolTip(*item, index.column());
    case Qt::BackgroundRole:
        return QColor(item->hasError ? QLatin1String(kErrorColor) : QLatin1String("white"));
    default:
        return QVariant();
    }
}

QVariant SaveDialogTreeModel::decoration(const SaveTreeItem &item, int column) const
{
    switch (column) {
    case TypeColumn:
        if (item.kind == ReferenceNode::RasterImage)
            return scaledIcon(QStringLiteral(":/embedded/UI/Resources/FzxUiSavetoImage.png"), 20);
        if (item.kind == ReferenceNode::PdfUnderlay)
            return scaledIcon(QStringLiteral(":/embedded/UI/Resources/FzxUiPDFDocument.png"), 22);
        return scaledIcon(QStringLiteral(":/embedded/UI/Resources/FzxUiFzV1Drawings.png"), 20);
    case StatusColumn:
        if (!item.lockedBy.isEmpty()) {
            return scaledIcon(
                QStringLiteral(":/embedded/UI/Resources/FzxAsLockedByOtherComponentIcon.png"), 22);
        }
        return saveStatusIcon(item.status).isEmpty()
            ? QVariant()
            : QVariant(scaledIcon(saveStatusIcon(item.status), 22));
    case ActionColumn:
        return scaledIcon(saveActionIcon(item.action, item.isUnchanged()), 22);
    default:
        return QVariant();
    }
}

QString SaveDialogTreeModel::toolTip(const SaveTreeItem &item, int column) const
{
    switch (column) {
    case TypeColumn: {
        const QString suffix = pathSuffixUpper(item.path);
        if (suffix == QLatin1String("PDF"))
            return QString::fromLatin1(kImageTip)
                .arg(QStringLiteral(":/embedded/UI/Resources/FzxUiPDFDocument.png"));
        if (isDrawingPath(item.path)) {
            if (item.kind == ReferenceNode::Drawing)
                writePreview(item.path, m_previewFolder);
            return QString::fromLatin1(kDrawingTip).arg(previewPath(item.path, m_previewFolder));
        }
        return QString::fromLatin1(kImageTip).arg(item.path);
    }
    case StatusColumn:
        return item.lockedBy.isEmpty()
            ? saveStatusText(item.status)
            : tr("%1 \u00b7 Locked by %2").arg(saveStatusText(item.status), item.lockedBy);
    default: {
        const QStringList parts = {item.duplicateMessage, item.lockMessage, item.roleMessage,
                                   item.changedMessage, item.missingMessage};
        QStringList shown;
        for (const QString &part : parts) {
            if (!part.isEmpty())
                shown.append(part);
        }
        return shown.join(QLatin1Char('\n'));
    }
    }
}

QVariant SaveDialogTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case DisplayNameColumn:
        return tr("Display Name");
    case TypeColumn:
        return tr("Type");
    case StatusColumn:
        return tr("Status");
    case ActionColumn:
        return tr("Action");
    case SpaceColumn:
        return tr("Collaborative Space");
    default:
        return QVariant();
    }
}

Qt::ItemFlags SaveDialogTreeModel::flags(const QModelIndex &index) const
{
    const SaveTreeItem *item = itemAt(index);
    if (!item)
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ActionColumn
        || (index.column() == SpaceColumn && item->action == SaveAction::SaveAsNew))
        return base | Qt::ItemIsEditable;
    return base;
}

bool SaveDialogTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    SaveTreeItem *item = itemAt(index);
    if (!item || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (index.column() == ActionColumn) {
        SaveAction action;
        if (!saveActionFromText(value.toString(), &action))
            return false;
        item->action = action;
        // The space cell's editability follows the action.
        emit dataChanged(index, index.siblingAtColumn(SpaceColumn));
        return true;
    }
    item->collabSpace = value.toString();
    emit dataChanged(index, index);
    return true;
}

void SaveDialogTreeModel::refresh()
{
    refreshBelow(QModelIndex());
}

void SaveDialogTreeModel::refreshBelow(const QModelIndex &parent)
{
    const int rows = rowCount(parent);
    if (rows == 0)
        return;
    emit dataChanged(index(0, 0, parent), index(rows - 1, ColumnCount - 1, parent));
    for (int row = 0; row < rows; ++row)
        refreshBelow(index(row, 0, parent));
}
