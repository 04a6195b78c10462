#include "activetreeviewwidget.h"

#include "fileitemdetails.h"
#include "listedfile.h"

#include "drawingset/referencetree.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatus.h"
#include "fileitems/imageviewdialog.h"
#include "fileitems/lxtreewidgetitem.h"
#include "workingcopy/filedatabase.h"

#include <QDeadlineTimer>

#include <memory>

ActiveTreeViewWidget::ActiveTreeViewWidget(QWidget *parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("ActiveTreeViewWidget"));
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    // Narrower than the default, so that deep rows keep room for their state words.
    setIndentation(14);
    QPalette colours = palette();
    colours.setColor(QPalette::Highlight, Qt::white);
    setPalette(colours);
}

void ActiveTreeViewWidget::rebuild(const ReferenceTree &tree, const FileItemContext &context)
{
    m_context = context;
    m_pending.clear();
    m_nextPending = 0;
    m_rows.clear();
    m_details.clear();
    m_hasDetails = false;
    m_nextDetailed = 0;
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
    const QString name = listedFileName(*node);
    item->setData(0, FileNameRole, name);
    m_pending.append({item, node->path, name});
    for (const ReferenceNode *child : node->children)
        addNode(child, item);
}

void ActiveTreeViewWidget::makeRow(const PendingRow &pending)
{
    auto *row = new ImageViewDialog(pending.path, pending.item, m_context, viewport());
    row->setName(pending.name);
    row->setPreview(previewSourceFor(pending.path));
    setItemWidget(pending.item, 0, row);
    m_rows.append(row);
}

void ActiveTreeViewWidget::setDetails(const MAPSTRCADOBJ &details, bool stale,
                                     const QSet<QString> &waiting)
{
    m_waiting = waiting;
    m_details = details;
    m_staleDetails = stale;
    m_hasDetails = true;
    m_nextDetailed = 0;
}

bool ActiveTreeViewWidget::buildStep(const QDeadlineTimer &deadline)
{
    std::unique_ptr<FileDatabase> database;
    while (!deadline.hasExpired()) {
        if (m_nextPending < m_pending.size()) {
            makeRow(m_pending.at(m_nextPending++));
        } else if (m_hasDetails && m_nextDetailed < m_rows.size()) {
            if (!database)
                database = std::make_unique<FileDatabase>(m_context.tenant);
            ImageViewDialog *row = m_rows.at(m_nextDetailed++);
            const FileItemDetails fileDetails =
                fileItemDetails(*database, row->localPath(), m_details, m_context.currentUser,
                                m_staleDetails, m_waiting);
            showFileItemDetails(*row, fileDetails, row->name());
            row->setModified(platformStampMSecs(fileDetails.entry.fileModified));
        } else {
            return true;
        }
    }
    return isComplete();
}

bool ActiveTreeViewWidget::isComplete() const
{
    return m_nextPending == m_pending.size()
        && (!m_hasDetails || m_nextDetailed == m_rows.size());
}
