#include "activetreeviewwidget.h"

#include "fileitemdetails.h"
#include "listedfile.h"

#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatus.h"
#include "fileitems/imageviewdialog.h"
#include "fileitems/lxtreewidgetitem.h"
#include "save/referencetree.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/filedatabase.h"

#include <QHeaderView>

ActiveTreeViewWidget::ActiveTreeViewWidget(QWidget *parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("ActiveTreeViewWidget"));
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Highlight, Qt::white);
    setPalette(colours);
}

void ActiveTreeViewWidget::rebuild(const ReferenceTree &tree)
{
    m_rows.clear();
    clear();
    if (tree.root())
        addNode(tree.root(), nullptr);
    expandAll();
}

void ActiveTreeViewWidget::addNode(const ReferenceNode *node, QTreeWidgetItem *parent)
{
    auto *item = parent ? new LxTreeWidgetItem(parent) : new LxTreeWidgetItem(this);
    const QString name = listedFileName(*node);
    item->setData(0, FileNameRole, name);
    auto *row = new ImageViewDialog(node->path, item);
    row->setName(name);
    row->setPreview(previewSourceFor(node->path));
    item->setSizeHint(0, row->size());
    setItemWidget(item, 0, row);
    m_rows.append(row);
    for (const ReferenceNode *child : node->children)
        addNode(child, item);
}

void ActiveTreeViewWidget::applyDetails(const MAPSTRCADOBJ &details)
{
    const ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
    const FileDatabase database(session->tenant());
    for (ImageViewDialog *row : qAsConst(m_rows)) {
        const FileItemDetails fileDetails =
            fileItemDetails(database, row->localPath(), details, session->currentUser());
        showFileItemDetails(*row, fileDetails, row->name());
        row->setModified(platformStampMSecs(fileDetails.entry.fileModified));
    }
}
