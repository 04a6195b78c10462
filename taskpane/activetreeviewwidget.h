#pragma once

#include "filedetailsqueue.h"

#include <QHash>
#include <QList>
#include <QVector>
#include <QTreeWidget>

class ImageViewDialog;
class LxTreeWidgetItem;
class QDeadlineTimer;
class RowsInSight;
class ReferenceTree;
struct ReferenceNode;

// The structured list of the task pane: the active drawing as the root with each referenced
// file under the file that references it, one ImageViewDialog row per occurrence. Sorted as
// the items' order says. Items come at once; rows are made only for the items in sight (and a
// page below them), a few at a time (buildStep), and for the others when they are scrolled,
// expanded or filtered into sight, so that a drawing with hundreds of files never holds up the
// host's event loop for long. The statuses of all files are worked out meanwhile. Main thread
// only.
class ActiveTreeViewWidget : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ActiveTreeViewWidget(QWidget *parent = nullptr);

    // Replaces the items with the tree's files, fully expanded; their rows, syncing at first,
    // follow in buildStep. files lists the tree's nodes in their order (the statuses of the
    // pane's views, worked out once for both) and outlives the items.
    void rebuild(const ReferenceTree &tree, FileDetailsQueue *files);
    // Shows what was worked out for the file of index on its row, or keeps its date for sorting
    // until the row is made.
    void showFileDetails(int index, const FileItemDetails &details);
    // Makes the rows in sight until deadline; true when every one stands.
    bool buildStep(const QDeadlineTimer &deadline);
    bool isComplete() const;
    // The rows made so far.
    QList<ImageViewDialog *> rows() const { return m_rows; }

private:
    void addNode(const ReferenceNode *node, QTreeWidgetItem *parent,
                 const QHash<const ReferenceNode *, int> &indexOf);
    // The items in sight, or within a page below, that have no row yet.
    QList<QTreeWidgetItem *> itemsToMake();
    void makeRow(QTreeWidgetItem *item);
    void showDetails(ImageViewDialog &row, const FileItemDetails &details);
    // Makes the rows of the items in sight until deadline; true when none is left.
    bool makeRowsInSight(const QDeadlineTimer &deadline);

    FileDetailsQueue *m_files = nullptr;
    QVector<LxTreeWidgetItem *> m_items; // by index in m_files
    QList<ImageViewDialog *> m_rows; // owned by the tree through their items
    RowsInSight *m_sight;
};
