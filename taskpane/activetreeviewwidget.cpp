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
#include "workingcopy/filedatabase.h"

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

void ActiveTreeViewWidget::rebuild(const ReferenceTree &tree, const FileItemContext &context)
{
    m_files.reset(context);
    m_items.clear();
    m_rows.clear();
    m_sight->changed();
    clear();
    // Sorted once when all items stand, not once per item.
    setSortingEnabled(false);
    if (tree.root())
        addNode(tree.root(), nullptr);
    setSortingEnabled(true);
    expandAll();
}

void ActiveTreeViewWidget::addNode(const ReferenceNode *node, QTreeWidgetItem *parent)
{
    auto *item = parent ? new LxTreeWidgetItem(parent) : new LxTreeWidgetItem(this);
    item->setData(0, FileNameRole, listedFileName(*node));
    item->setData(0, kFileIndexRole, m_files.append(node->path));
    m_items.append(item);
    for (const ReferenceNode *child : node->children)
        addNode(child, item);
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

void ActiveTreeViewWidget::makeRow(QTreeWidgetItem *item, std::unique_ptr<FileDatabase> &database)
{
    const int index = item->data(0, kFileIndexRole).toInt();
    const QString path = m_files.path(index);
    auto *row = new ImageViewDialog(path, item, m_files.context(), viewport());
    row->setName(item->data(0, FileNameRole).toString());
    row->setPreview(previewSourceFor(path));
    if (const FileItemDetails *details = m_files.details(index, database))
        showDetails(*row, *details);
    setItemWidget(item, 0, row);
    m_rows.append(row);
}

void ActiveTreeViewWidget::showDetails(ImageViewDialog &row, const FileItemDetails &details)
{
    showFileItemDetails(row, details, row.name());
    row.setModified(platformStampMSecs(details.entry.fileModified));
}

void ActiveTreeViewWidget::setDetails(const MAPSTRCADOBJ &details, bool stale,
                                     const QSet<QString> &waiting)
{
    m_files.setAnswer(details, stale, waiting);
}

bool ActiveTreeViewWidget::buildStep(const QDeadlineTimer &deadline)
{
    if (!m_sight->make(deadline))
        return false;
    std::unique_ptr<FileDatabase> database;
    while (!deadline.hasExpired()) {
        const int index = m_files.workOutNext(database);
        if (index < 0)
            return isComplete();
        const FileItemDetails &details = *m_files.details(index, database);
        LxTreeWidgetItem *item = m_items.at(index);
        if (auto *row = qobject_cast<ImageViewDialog *>(itemWidget(item, 0)))
            showDetails(*row, details);
        else
            item->setData(0, FileModifiedRole, platformStampMSecs(details.entry.fileModified));
    }
    return isComplete();
}

bool ActiveTreeViewWidget::makeRowsInSight(const QDeadlineTimer &deadline)
{
    std::unique_ptr<FileDatabase> database;
    for (QTreeWidgetItem *item : itemsToMake()) {
        if (deadline.hasExpired())
            return false;
        makeRow(item, database);
    }
    return true;
}

bool ActiveTreeViewWidget::isComplete() const
{
    return m_files.isComplete() && m_sight->areMade();
}
