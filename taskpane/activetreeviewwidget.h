#pragma once

#include "save/fileentry.h"

#include <QList>
#include <QTreeWidget>

class ImageViewDialog;
struct ReferenceNode;
class ReferenceTree;

// The structured list of the task pane: the active drawing as the root with each referenced
// file under the file that references it, one ImageViewDialog row per occurrence. Sorted as
// the items' order says; main thread only.
class ActiveTreeViewWidget : public QTreeWidget
{
    Q_OBJECT

public:
    explicit ActiveTreeViewWidget(QWidget *parent = nullptr);

    // Replaces the rows with the tree's files, each syncing, fully expanded.
    void rebuild(const ReferenceTree &tree);
    // Shows each row's status and lock from a details answer.
    void applyDetails(const MAPSTRCADOBJ &details);
    QList<ImageViewDialog *> rows() const { return m_rows; }

private:
    void addNode(const ReferenceNode *node, QTreeWidgetItem *parent);

    QList<ImageViewDialog *> m_rows; // owned by the tree through their items
};
