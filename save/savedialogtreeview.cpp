#include "savedialogtreeview.h"

#include "savedialogtreemodel.h"

#include <QMouseEvent>

namespace {

const char kStyle[] =
    "QTreeView::branch { border-image: none; }"
    "QTreeView::branch:has-children:!has-siblings:closed,"
    "QTreeView::branch:closed:has-children:has-siblings {"
    " image: url(:/embedded/UI/Resources/branch_closed.png); }"
    "QTreeView::branch:open:has-children:!has-siblings,"
    "QTreeView::branch:open:has-children:has-siblings {"
    " image: url(:/embedded/UI/Resources/branch_open.png); }"
    "QTreeView::item:hover { background: #e6e8ea; color: #5b5d5e; }"
    "QTreeView::item:selected { background: #96368ec4; color: white; }";

} // namespace

SaveDialogTreeView::SaveDialogTreeView(QWidget *parent) : QTreeView(parent)
{
    setExpandsOnDoubleClick(false);
    setStyleSheet(QLatin1String(kStyle));
}

void SaveDialogTreeView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    if (event->button() == Qt::LeftButton && index.isValid()
        && (index.column() == SaveDialogTreeModel::ActionColumn
            || index.column() == SaveDialogTreeModel::SpaceColumn)) {
        setCurrentIndex(index);
        // The model's flags decide whether an editor opens.
        edit(index);
        return;
    }
    QTreeView::mousePressEvent(event);
}
