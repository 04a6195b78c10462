#pragma once

#include "drawingset/fileentry.h"
#include "fileitems/fileitemcontext.h"

#include <QList>
#include <QSet>
#include <QTreeWidget>

class ImageViewDialog;
class LxTreeWidgetItem;
class QDeadlineTimer;
class ReferenceTree;
struct ReferenceNode;

// The structured list of the task pane: the active drawing as the root with each referenced
// file under the file that references it, one ImageViewDialog row per occurrence. Sorted as
// the items' order says. Items come at once; their rows and the details shown on them are made
// a few at a time (buildStep), so that a drawing with hundreds of files never holds up the
// host's event loop for long. Main thread only.
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
    // Makes rows and shows details until deadline; true when nothing is left to do.
    bool buildStep(const QDeadlineTimer &deadline);
    bool isComplete() const;
    QList<ImageViewDialog *> rows() const { return m_rows; }

private:
    FileItemContext m_context;
    struct PendingRow
    {
        LxTreeWidgetItem *item;
        QString path;
        QString name;
    };

    void addNode(const ReferenceNode *node, QTreeWidgetItem *parent);
    void makeRow(const PendingRow &pending);

    QList<PendingRow> m_pending;
    int m_nextPending = 0;
    QList<ImageViewDialog *> m_rows; // owned by the tree through their items
    MAPSTRCADOBJ m_details;
    bool m_staleDetails = false;
    QSet<QString> m_waiting;
    bool m_hasDetails = false;
    int m_nextDetailed = 0; // the first row of m_rows not showing m_details yet
};
