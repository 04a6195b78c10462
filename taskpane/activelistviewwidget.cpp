#include "activelistviewwidget.h"

#include "fileitemdetails.h"
#include "listedfile.h"
#include "rowsinsight.h"

#include "drawingset/referencetree.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatus.h"
#include "fileitems/lxlistwidgetitem.h"
#include "fileitems/viewwidget.h"
#include "fileitems/listviewactionmenu.h"

#include <QDeadlineTimer>

#include <memory>

namespace {
const char kTileStyle[] =
    "QListView::item{background-color: white; border:  1px solid  #e2e4e3 ;border-top-color:none}";
const char kGridStyle[] = "QListView::item:hover {background-color: none; border: none}";
constexpr int kGridSpacing = 9;
// Which file of the queue an item lists.
constexpr int kFileIndexRole = Qt::UserRole + 1;
} // namespace

ActiveListViewWidget::ActiveListViewWidget(QWidget *parent)
    : QListWidget(parent)
    , m_sight(new RowsInSight(this, [this](const QDeadlineTimer &deadline) {
        return makeTilesInSight(deadline);
    }))
{
    setObjectName(QStringLiteral("ActiveListViewWidget"));
    ListViewActionMenu::offerOnRows(this);
    setDragEnabled(false);
    setAcceptDrops(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setResizeMode(QListView::Adjust);
    QPalette colours = palette();
    colours.setColor(QPalette::Highlight, Qt::white);
    setPalette(colours);
}

void ActiveListViewWidget::rebuild(const ReferenceTree &tree, FileDetailsQueue *files)
{
    m_files = files;
    m_items.clear();
    m_sight->changed();
    clear();
    for (const ReferenceNode *node : tree.nodes()) {
        auto *item = new LxListWidgetItem(this);
        item->setData(FileNameRole, listedFileName(*node));
        item->setData(kFileIndexRole, m_items.size());
        if (m_tileSize.isValid())
            item->setSizeHint(m_tileSize);
        m_items.append(item);
    }
}

void ActiveListViewWidget::makeTile(QListWidgetItem *listItem)
{
    const int index = listItem->data(kFileIndexRole).toInt();
    const QString path = m_files->path(index);
    auto *tile = new ViewWidget(path, m_files->context(), viewport());
    tile->setName(listItem->data(FileNameRole).toString());
    tile->setPreview(previewSourceFor(path));
    if (const FileItemDetails *details = m_files->details(index))
        showDetails(*listItem, tile, *details);
    setItemWidget(listItem, tile);
    layOut(listItem, tile);
}

void ActiveListViewWidget::showDetails(QListWidgetItem &listItem, ViewWidget *tile,
                                       const FileItemDetails &details)
{
    if (tile)
        showFileItemDetails(*tile, details, tile->displayName());
    listItem.setData(FileModifiedRole, details.modified);
}

void ActiveListViewWidget::layOut(QListWidgetItem *listItem, ViewWidget *tile)
{
    if (m_layout == TileLayout)
        tile->applyTileLayout();
    else if (m_layout == GridLayout)
        tile->applyGridLayout();
    listItem->setSizeHint(tile->sizeHint());
    if (tile->sizeHint() == m_tileSize)
        return;
    // Items without a tile yet take the room theirs will, so that the items in sight are known.
    m_tileSize = tile->sizeHint();
    for (QListWidgetItem *other : qAsConst(m_items)) {
        if (!itemWidget(other))
            other->setSizeHint(m_tileSize);
    }
}

QList<ViewWidget *> ActiveListViewWidget::tiles() const
{
    QList<ViewWidget *> result;
    for (int i = 0; i < count(); ++i) {
        if (auto *tile = qobject_cast<ViewWidget *>(itemWidget(item(i))))
            result.append(tile);
    }
    return result;
}

QList<QListWidgetItem *> ActiveListViewWidget::itemsToMake()
{
    // Where the items lie is only known once the view has laid them out.
    executeDelayedItemsLayout();
    QList<QListWidgetItem *> result;
    const int depth = m_sight->depth();
    int shown = 0;
    // Items lie in their order, row by row: past the first one below the depth, all are.
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem *listItem = item(i);
        if (listItem->isHidden())
            continue;
        const QRect rect = visualItemRect(listItem);
        if (shown++ >= RowsInSight::kLeastRows && rect.top() > depth)
            break;
        if (rect.bottom() >= 0 && !itemWidget(listItem))
            result.append(listItem);
    }
    return result;
}

void ActiveListViewWidget::showFileDetails(int index, const FileItemDetails &details)
{
    if (QListWidgetItem *listItem = m_items.value(index))
        showDetails(*listItem, qobject_cast<ViewWidget *>(itemWidget(listItem)), details);
}

bool ActiveListViewWidget::makeTilesInSight(const QDeadlineTimer &deadline)
{
    for (QListWidgetItem *listItem : itemsToMake()) {
        if (deadline.hasExpired())
            return false;
        makeTile(listItem);
    }
    return true;
}

bool ActiveListViewWidget::buildStep(const QDeadlineTimer &deadline)
{
    return m_sight->make(deadline);
}

bool ActiveListViewWidget::isComplete() const
{
    return m_sight->areMade();
}

void ActiveListViewWidget::sortFiles(Qt::SortOrder order)
{
    sortItems(order);
}

void ActiveListViewWidget::showTiles()
{
    if (m_layout == TileLayout)
        return;
    m_layout = TileLayout;
    setViewMode(QListView::ListMode);
    setStyleSheet(QLatin1String(kTileStyle));
    setSpacing(0);
    for (int i = 0; i < count(); ++i) {
        if (auto *tile = qobject_cast<ViewWidget *>(itemWidget(item(i))))
            layOut(item(i), tile);
    }
    m_sight->changed();
}

void ActiveListViewWidget::showGrid()
{
    if (m_layout == GridLayout)
        return;
    m_layout = GridLayout;
    setViewMode(QListView::IconMode);
    setStyleSheet(QLatin1String(kGridStyle));
    setSpacing(kGridSpacing);
    setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < count(); ++i) {
        if (auto *tile = qobject_cast<ViewWidget *>(itemWidget(item(i))))
            layOut(item(i), tile);
    }
    m_sight->changed();
}

void ActiveListViewWidget::SearchTextChanged(const QString &text)
{
    int shown = 0;
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem *listItem = item(i);
        const bool matches =
            listItem->data(FileNameRole).toString().contains(text, Qt::CaseInsensitive);
        listItem->setHidden(!matches);
        shown += matches ? 1 : 0;
    }
    m_sight->changed();
    emit FilterResultCountSignal(shown);
}

