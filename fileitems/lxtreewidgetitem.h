#pragma once

#include <QObject>
#include <QTreeWidgetItem>

// An item of the structured file list: holds the shown name (role 16) and the platform
// modification time (role 17) it is sorted by. Owned by its tree widget or parent item; main
// thread only.
class LxTreeWidgetItem : public QObject, public QTreeWidgetItem
{
    Q_OBJECT

public:
    explicit LxTreeWidgetItem(QTreeWidget *tree);
    explicit LxTreeWidgetItem(QTreeWidgetItem *parent);

    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant &value) override;
    bool operator<(const QTreeWidgetItem &other) const override;

private:
    QString m_name;
    qint64 m_modified = 0;
};
