#pragma once

#include <QAbstractItemModel>

class SaveTreeItem;

// The save dialog's rows as a tree model over SaveTreeItems (the index's internal pointer is
// the row). Columns 3 (action) and 4 (space, only for "Save As New" rows) are editable. Does
// not own the rows; the dialog does. Main thread.
class SaveDialogTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column {
        DisplayNameColumn,
        TypeColumn,
        StatusColumn,
        ActionColumn,
        SpaceColumn,
        ColumnCount
    };

    // root is the invisible root row; previewFolder is where drawing previews for the type
    // column's tool tips are written.
    SaveDialogTreeModel(SaveTreeItem *root, const QString &previewFolder,
                        QObject *parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Edit role: column 3 takes an action text, column 4 a space name.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The row of an index; null for the invisible root.
    static SaveTreeItem *itemAt(const QModelIndex &index);
    // Tells the views that every row may have changed.
    void refresh();

private:
    QVariant decoration(const SaveTreeItem &item, int column) const;
    QString toolTip(const SaveTreeItem &item, int column) const;
    void refreshBelow(const QModelIndex &parent);

    SaveTreeItem *m_root;
    QString m_previewFolder;
};
