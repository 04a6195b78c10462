#pragma once

#include "filedetailsqueue.h"

#include <QList>
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
    // follow in buildStep.
    // Lists the files of tree; context says whose they are and where the platform is.
    void rebuild(const ReferenceTree &tree, const FileItemContext &context);
    // Keeps a details answer; buildStep shows it on every row.
    // stale: the last answers known, the platform did not answer now; files it has no answer
    // for keep an unknown status rather than an outdated one.
    // waiting: the file database keys (lower case) of the files that wait in the outbox.
    void setDetails(const MAPSTRCADOBJ &details, bool stale = false,
                    const QSet<QString> &waiting = QSet<QString>());
    // Makes the rows in sight and works out statuses until deadline; true when nothing is
    // left to do.
    bool buildStep(const QDeadlineTimer &deadline);
    bool isComplete() const;
    // The rows made so far.
    QList<ImageViewDialog *> rows() const { return m_rows; }

private:
    void addNode(const ReferenceNode *node, QTreeWidgetItem *parent);
    // The items in sight, or within a page below, that have no row yet.
    QList<QTreeWidgetItem *> itemsToMake();
    void makeRow(QTreeWidgetItem *item, std::unique_ptr<FileDatabase> &database);
    void showDetails(ImageViewDialog &row, const FileItemDetails &details);
    // Makes the rows of the items in sight until deadline; true when none is left.
    bool makeRowsInSight(const QDeadlineTimer &deadline);

    FileDetailsQueue m_files;
    QList<LxTreeWidgetItem *> m_items; // by index in m_files
    QList<ImageViewDialog *> m_rows; // owned by the tree through their items
    RowsInSight *m_sight;
};
