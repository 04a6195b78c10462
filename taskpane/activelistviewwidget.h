#pragma once

#include "save/fileentry.h"

#include <QList>
#include <QListWidget>

class ReferenceTree;
class ViewWidget;

// The tiles and grid of the task pane: one ViewWidget per occurrence of a file of the active
// drawing, filtered by name. Main thread only.
class ActiveListViewWidget : public QListWidget
{
    Q_OBJECT

public:
    explicit ActiveListViewWidget(QWidget *parent = nullptr);

    // Replaces the tiles with the tree's files, each syncing, in the tree's order.
    void rebuild(const ReferenceTree &tree);
    // Shows each tile's status and lock from a details answer.
    void applyDetails(const MAPSTRCADOBJ &details);
    // Lays every tile out as a 62 pixel high row (tiles) or a 98 x 124 cell (grid).
    void showTiles();
    void showGrid();
    QList<ViewWidget *> tiles() const;

signals:
    void FilterResultCountSignal(int shown);

public slots:
    // Shows only the items whose name contains text, ignoring case; all for an empty text.
    void SearchTextChanged(const QString &text);

private:
    void applyItemSizes();
};
