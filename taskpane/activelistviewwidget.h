#pragma once

#include "drawingset/fileentry.h"
#include "fileitems/fileitemcontext.h"

#include <QList>
#include <QSet>
#include <QListWidget>

class QDeadlineTimer;
class ReferenceTree;
class ViewWidget;

// The tiles and grid of the task pane: one ViewWidget per occurrence of a file of the active
// drawing, filtered by name. Items come at once; their tiles and the details shown on them are
// made a few at a time (buildStep), so that the host's event loop keeps running. Main thread
// only.
class ActiveListViewWidget : public QListWidget
{
    Q_OBJECT

public:
    enum Layout { NoLayout, TileLayout, GridLayout };

    explicit ActiveListViewWidget(QWidget *parent = nullptr);

    // Replaces the items with the tree's files, in the tree's order; their tiles, syncing at
    // first, follow in buildStep.
    // Lists the files of tree; context says whose they are and where the platform is.
    void rebuild(const ReferenceTree &tree, const FileItemContext &context);
    // Keeps a details answer; buildStep shows it on every tile.
    // stale: the last answers known, the platform did not answer now; files it has no answer
    // for keep an unknown status rather than an outdated one.
    // waiting: the file database keys (lower case) of the files that wait in the outbox.
    void setDetails(const MAPSTRCADOBJ &details, bool stale = false,
                    const QSet<QString> &waiting = QSet<QString>());
    // Makes tiles and shows details until deadline; true when nothing is left to do.
    bool buildStep(const QDeadlineTimer &deadline);
    bool isComplete() const;
    // Lays every tile out as a 62 pixel high row (tiles) or a 98 x 124 cell (grid).
    void showTiles();
    void showGrid();
    // Sorts the items as the items' order says; tiles still to come follow them.
    void sortFiles(Qt::SortOrder order);
    QList<ViewWidget *> tiles() const;

signals:
    void FilterResultCountSignal(int shown);

public slots:
    // Shows only the items whose name contains text, ignoring case; all for an empty text.
    void SearchTextChanged(const QString &text);

private:
    FileItemContext m_context;
    void makeTile(QListWidgetItem *listItem);
    void layOut(QListWidgetItem *listItem, ViewWidget *tile);

    Layout m_layout = NoLayout;
    int m_nextTile = 0;     // the first item without a tile
    MAPSTRCADOBJ m_details;
    bool m_staleDetails = false;
    QSet<QString> m_waiting;
    bool m_hasDetails = false;
    int m_nextDetailed = 0; // the first item not showing m_details yet
};
