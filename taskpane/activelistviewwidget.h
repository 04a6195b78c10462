#pragma once

#include "filedetailsqueue.h"

#include <QList>
#include <QListWidget>

#include <memory>

class QDeadlineTimer;
class RowsInSight;
class ReferenceTree;
class ViewWidget;

// The tiles and grid of the task pane: one ViewWidget per occurrence of a file of the active
// drawing, filtered by name. Items come at once; tiles are made only for the items in sight
// (and a page below them), a few at a time (buildStep), and for the others when they are
// scrolled, filtered or sorted into sight, so that the host's event loop keeps running. The
// statuses of all files are worked out meanwhile. Main thread only.
class ActiveListViewWidget : public QListWidget
{
    Q_OBJECT

public:
    enum Layout { NoLayout, TileLayout, GridLayout };

    explicit ActiveListViewWidget(QWidget *parent = nullptr);

    // Replaces the items with the tree's files, in the tree's order; their tiles, syncing at
    // first, follow in buildStep. files lists the tree's nodes in the same order (the statuses
    // of the pane's views, worked out once for both) and outlives the items.
    void rebuild(const ReferenceTree &tree, FileDetailsQueue *files);
    // Shows what was worked out for the file of index on its tile, and sorts its item by date.
    void showFileDetails(int index, const FileItemDetails &details);
    // Makes the tiles in sight until deadline; true when every one stands.
    bool buildStep(const QDeadlineTimer &deadline);
    bool isComplete() const;
    // Lays every tile out as a 62 pixel high row (tiles) or a 98 x 124 cell (grid).
    void showTiles();
    void showGrid();
    // Sorts the items as the items' order says; tiles still to come follow them.
    void sortFiles(Qt::SortOrder order);
    // The tiles made so far, in the items' order.
    QList<ViewWidget *> tiles() const;

signals:
    void FilterResultCountSignal(int shown);

public slots:
    // Shows only the items whose name contains text, ignoring case; all for an empty text.
    void SearchTextChanged(const QString &text);

private:
    // The items in sight, or within a page below, that have no tile yet.
    QList<QListWidgetItem *> itemsToMake();
    void makeTile(QListWidgetItem *listItem);
    // Shows the details on the tile, if the item has one, and sorts the item by their date.
    void showDetails(QListWidgetItem &listItem, ViewWidget *tile, const FileItemDetails &details);
    void layOut(QListWidgetItem *listItem, ViewWidget *tile);
    // Makes the tiles of the items in sight until deadline; true when none is left.
    bool makeTilesInSight(const QDeadlineTimer &deadline);

    Layout m_layout = NoLayout;
    QSize m_tileSize; // of the tiles in the current layout
    FileDetailsQueue *m_files = nullptr;
    QList<QListWidgetItem *> m_items; // by index in m_files
    RowsInSight *m_sight;
};
