#include "activelistviewwidget.h"

#include "fileitemdetails.h"
#include "listedfile.h"

#include "drawingset/referencetree.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatus.h"
#include "fileitems/lxlistwidgetitem.h"
#include "fileitems/viewwidget.h"
#include "workingcopy/filedatabase.h"

#include <QDeadlineTimer>

#include <memory>

namespace {
const char kTileStyle[] =
    "QListView::item{background-color: white; border:  1px solid  #e2e4e3 ;border-top-color:none}";
const char kGridStyle[] = "QListView::item:hover {background-color: none; border: none}";
constexpr int kGridSpacing = 9;
// The local path of an item's file, kept until its tile exists.
constexpr int kPathRole = Qt::UserRole + 1;
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

void ActiveListViewWidget::rebuild(const ReferenceTree &tree, const FileItemContext &context)
{
    m_context = context;
    clear();
    m_nextTile = 0;
    m_details.clear();
    m_hasDetails = false;
    m_nextDetailed = 0;
    for (const ReferenceNode *node : tree.nodes()) {
        auto *item = new LxListWidgetItem(this);
        item->setData(FileNameRole, listedFileName(*node));
        item->setData(kPathRole, node->path);
    }
}

void ActiveListViewWidget::makeTile(QListWidgetItem *listItem)
{
    const QString path = listItem->data(kPathRole).toString();
    auto *tile = new ViewWidget(path, m_context, viewport());
    tile->setName(listItem->data(FileNameRole).toString());
    tile->setPreview(previewSourceFor(path));
    setItemWidget(listItem, tile);
    layOut(listItem, tile);
}

void ActiveListViewWidget::layOut(QListWidgetItem *listItem, ViewWidget *tile)
{
    if (m_layout == TileLayout)
        tile->applyTileLayout();
    else if (m_layout == GridLayout)
        tile->applyGridLayout();
    listItem->setSizeHint(tile->sizeHint());
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

void ActiveListViewWidget::setDetails(const MAPSTRCADOBJ &details, bool stale,
                                     const QSet<QString> &waiting)
{
    m_waiting = waiting;
    m_details = details;
    m_staleDetails = stale;
    m_hasDetails = true;
    m_nextDetailed = 0;
}

bool ActiveListViewWidget::buildStep(const QDeadlineTimer &deadline)
{
    std::unique_ptr<FileDatabase> database;
    while (!deadline.hasExpired()) {
        if (m_nextTile < count()) {
            QListWidgetItem *listItem = item(m_nextTile++);
            if (!itemWidget(listItem))
                makeTile(listItem);
        } else if (m_hasDetails && m_nextDetailed < count()) {
            if (!database)
                database = std::make_unique<FileDatabase>(m_context.tenant);
            QListWidgetItem *listItem = item(m_nextDetailed++);
            auto *tile = qobject_cast<ViewWidget *>(itemWidget(listItem));
            if (!tile)
                continue;
            const FileItemDetails fileDetails =
                fileItemDetails(*database, tile->localPath(), m_details, m_context.currentUser,
                                m_staleDetails, m_waiting);
            showFileItemDetails(*tile, fileDetails, tile->displayName());
            listItem->setData(FileModifiedRole,
                              platformStampMSecs(fileDetails.entry.fileModified));
        } else {
            return true;
        }
    }
    return isComplete();
}

bool ActiveListViewWidget::isComplete() const
{
    return m_nextTile == count() && (!m_hasDetails || m_nextDetailed == count());
}

void ActiveListViewWidget::sortFiles(Qt::SortOrder order)
{
    sortItems(order);
    // The items moved: walk them again; those with a tile keep it, and showing the same
    // details twice does no harm.
    m_nextTile = 0;
    m_nextDetailed = 0;
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
