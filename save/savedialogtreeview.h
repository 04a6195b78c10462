#pragma once

#include <QTreeView>

// The save dialog's tree of rows: always expanded, and a left click on the action or space
// cell opens its editor at once. Owned by the dialog. Main thread.
class SaveDialogTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit SaveDialogTreeView(QWidget *parent = nullptr);

    // The width column's cells need, indentation included, over all rows.
    int widthNeeded(int column) const { return sizeHintForColumn(column); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
