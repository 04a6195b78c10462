#include "activelistviewwidget.h"

#include "fileitemdetails.h"
#include "listedfile.h"

#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatus.h"
#include "fileitems/lxlistwidgetitem.h"
#include "fileitems/viewwidget.h"
#include "save/referencetree.h"
#include "session/showaurextaskpane.h"
#include "workingcopy/filedatabase.h"

namespace {
const char kTileStyle[] =
    "QListView::item{background-color: white; border:  1px solid  #e2e4e3 ;border-top-color:none}";
const char kGridStyle[] = "QListView::item:hover {background-color: none; border: none}";
constexpr int kGridSpacing = 9;
} // namespace

ActiveListViewWidget::ActiveListViewWidget(QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(QStringLiteral("ActiveListViewWidget"));
    setDragEnabled(false);
    setAcceptDrops(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setResizeMode(QListView::Adjust);
    QPalette colours = palette();
    colours.setColor(QPalette::Highlight, Qt::white);
    setPalette(colours);
}

void ActiveListViewWidget::rebuild(const ReferenceTree &tree)
{
    clear();
    for (const ReferenceNode *node : tree.nodes()) {
        auto *item = new LxListWidgetItem(this);
        const QString name = listedFileName(*node);
        item->setData(FileNameRole, name);
        auto *tile = new ViewWidget(node->path);
        tile->setName(name);
        tile->setPreview(previewSourceFor(node->path));
        setItemWidget(item, tile);
    }
}

QList<ViewWidget *> ActiveListViewWidget::tiles() const
{
    QList<ViewWidget *> result;
    for (int i = 0; i < count(); ++i)
        result.append(qobject_cast<ViewWidget *>(itemWidget(item(i))));
    return result;
}

void ActiveListViewWidget::applyDetails(const MAPSTRCADOBJ &details)
{
    const ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
    const FileDatabase database(session->tenant());
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem *listItem = item(i);
        auto *tile = qobject_cast<ViewWidget *>(itemWidget(listItem));
        if (!tile)
            continue;
        const FileItemDetails fileDetails =
            fileItemDetails(database, tile->localPath(), details, session->currentUser());
        showFileItemDetails(*tile, fileDetails, tile->displayName());
        listItem->setData(FileModifiedRole, platformStampMSecs(fileDetails.entry.fileModified));
    }
}

void ActiveListViewWidget::showTiles()
{
    setViewMode(QListView::ListMode);
    setStyleSheet(QLatin1String(kTileStyle));
    setSpacing(0);
    for (ViewWidget *tile : tiles())
        tile->applyTileLayout();
    applyItemSizes();
}

void ActiveListViewWidget::showGrid()
{
    setViewMode(QListView::IconMode);
    setStyleSheet(QLatin1String(kGridStyle));
    setSpacing(kGridSpacing);
    setContentsMargins(0, 0, 0, 0);
    for (ViewWidget *tile : tiles())
        tile->applyGridLayout();
    applyItemSizes();
}

void ActiveListViewWidget::applyItemSizes()
{
    for (int i = 0; i < count(); ++i) {
        if (QWidget *widget = itemWidget(item(i)))
            item(i)->setSizeHint(widget->sizeHint());
    }
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
    emit FilterResultCountSignal(shown);
}
