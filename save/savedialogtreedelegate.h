#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

// Paints and edits the save dialog's rows: the action and the space as combo boxes, the file
// name with the row's state as background. Owned by the dialog. Main thread.
class SaveDialogTreeDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit SaveDialogTreeDelegate(QObject *parent = nullptr);

    void setRowHeight(int height) { m_rowHeight = height; }
    // The collaborative spaces the space editor offers, in the platform's order.
    void setSpaces(const QStringList &spaces) { m_spaces = spaces; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    // The whole cell: the default keeps the cell's icon beside the editor, which shows its own.
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

private:
    void commitAndCloseEditor(QWidget *editor);
    // A closed combo box wide enough for the widest of texts beside an action icon.
    int comboWidth(const QStyleOptionViewItem &option, const QStringList &texts) const;
    void paintComboCell(QPainter *painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index, bool enabled) const;

    int m_rowHeight = 35;
    QStringList m_spaces;
};
