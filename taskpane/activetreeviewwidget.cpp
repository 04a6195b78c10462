#include "activetreeviewwidget.h"

#include "fileitemdetails.h"
#include "listedfile.h"
#include "rowsinsight.h"

#include "drawingset/referencetree.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatus.h"
#include "fileitems/imageviewdialog.h"
#include "fileitems/lxtreewidgetitem.h"
#include "fileitems/listviewactionmenu.h"

#include <QDeadlineTimer>

#include <memory>

namespace {
// Which file of the queue an item lists.
constexpr int kFileIndexRole = Qt::UserRole + 1;
} // namespace

ActiveTreeViewWidget::ActiveTreeViewWidget(QWidget *parent)
    : QTreeWidget(parent)
    , m_sight(new RowsInSight(this, [this](const QDeadlineTimer &deadline) {
        return makeRowsInSight(deadline);
    }))
{
    setObjectName(QStringLiteral("ActiveTreeViewWidget"));
    ListViewActionMenu::offerOnRows(this);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    // Every row is as high as the first: items without a row yet take the room theirs will.
    setUniformRowHeights(true);
    // Narrower than the default, so that deep rows keep room for their state words.
    setIndentation(14);
    QPalette colours = palette();
    colours.setColor(QPalette::Highlight, Qt::white);
    setPalette(colours);
    // Expanding brings items into sight too.
    connect(this, &QTreeWidget::itemExpanded, m_sight, &RowsInSight::changed);
}

void ActiveTreeViewWidget::rebuild(const ReferenceTree &tree, FileDetailsQueue *files)
{
    m_files = files;
    m_items = QVector<LxTreeWidgetItem *>(int(tree.nodes().size()), nullptr);
    QHash<const ReferenceNode *, int> indexOf;
    for (std::size_t i = 0; i < tree.nodes().size(); ++i)
        indexOf.insert(tree.nodes()[i], int(i));
    m_rows.clear();
    m_sight->changed();
    clear();
    // Sorted once when all items stand, not once per item.
    setSortingEnabled(false);
    if (tree.root())
        addNode(tree.root(), nullptr, indexOf);
    setSortingEnabled(true);
    expandAll();
}

void ActiveTreeViewWidget::addNode(const ReferenceNode *node, QTreeWidgetItem *parent,
                                   const QHash<const ReferenceNode *, int> &indexOf)
{
    auto *item = parent ? new LxTreeWidgetItem(parent) : new LxTreeWidgetItem(this);
    const int index = indexOf.value(node);
    item->setData(0, FileNameRole, listedFileName(*node));
    item->setData(0, kFileIndexRole, index);
    m_items[index] = item;
    for (const ReferenceNode *child : node->children)
        addNode(child, item, indexOf);
}

QList<QTreeWidgetItem *> ActiveTreeViewWidget::itemsToMake()
{
    // Where the items lie is only known once the view has laid them out.
    executeDelayedItemsLayout();
    QList<QTreeWidgetItem *> result;
    const int depth = m_sight->depth();
    QTreeWidgetItem *item = itemAt(0, 0);
    if (!item)
        item = topLevelItem(0);
    for (int walked = 0; item; item = itemBelow(item), ++walked) {
        if (walked >= RowsInSight::kLeastRows && visualItemRect(item).top() > depth)
            break;
        if (!itemWidget(item, 0))
            result.append(item);
    }
    return result;
}

void ActiveTreeViewWidget::makeRow(QTreeWidgetItem *item)
{
    const int index = item->data(0, kFileIndexRole).toInt();
    const QString path = m_files->path(index);
    auto *row = new ImageViewDialog(path, item, m_files->context(), viewport());
    row->setName(item->data(0, FileNameRole).toString());
    row->setPreview(previewSourceFor(path));
    if (const FileItemDetails *details = m_files->details(index))
        showDetails(*row, *details);
    setItemWidget(item, 0, row);
    m_rows.append(row);
}

void ActiveTreeViewWidget::showDetails(ImageViewDialog &row, const FileItemDetails &details)
{
    showFileItemDetails(row, details, row.name());
    row.setModified(details.modified);
}

void ActiveTreeViewWidget::showFileDetails(int index, const FileItemDetails &details)
{
    LxTreeWidgetItem *item = m_items.value(index);
    if (!item)
        return;
    if (auto *row = qobject_cast<ImageViewDialog *>(itemWidget(item, 0)))
        showDetails(*row, details);
    else
        item->setData(0, FileModifiedRole, details.modified);
}

bool ActiveTreeViewWidget::makeRowsInSight(const QDeadlineTimer &deadline)
{
    QList<QTreeWidgetItem *> items = itemsToMake();
    // All rows are as high as the first, which an item without its row does not tell: until
    // the first row stands, items lie a text line apart and twice as many would seem in sight.
    if (m_rows.isEmpty() && !items.isEmpty()) {
        makeRow(items.first());
        items = itemsToMake();
    }
    for (QTreeWidgetItem *item : items) {
        if (deadline.hasExpired())
            return false;
        makeRow(item);
    }
    return true;
}

bool ActiveTreeViewWidget::buildStep(const QDeadlineTimer &deadline)
{
    return m_sight->make(deadline);
}

bool ActiveTreeViewWidget::isComplete() const
{
    return m_sight->areMade();
}
