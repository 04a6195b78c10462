#include "lxtreewidgetitem.h"

#include "fileitemorder.h"

LxTreeWidgetItem::LxTreeWidgetItem(QTreeWidget *tree)
    : QTreeWidgetItem(tree, QTreeWidgetItem::UserType)
{
}

LxTreeWidgetItem::LxTreeWidgetItem(QTreeWidgetItem *parent)
    : QTreeWidgetItem(parent, QTreeWidgetItem::UserType)
{
}

QVariant LxTreeWidgetItem::data(int column, int role) const
{
    if (role == FileNameRole)
        return m_name;
    if (role == FileModifiedRole)
        return m_modified;
    return QTreeWidgetItem::data(column, role);
}

void LxTreeWidgetItem::setData(int column, int role, const QVariant &value)
{
    QTreeWidgetItem::setData(column, role, value);
    if (role == FileNameRole)
        m_name = value.toString();
    else if (role == FileModifiedRole)
        m_modified = value.toLongLong();
}

bool LxTreeWidgetItem::operator<(const QTreeWidgetItem &other) const
{
    return fileItemPrecedes(m_name, m_modified, other.data(0, FileNameRole).toString(),
                            other.data(0, FileModifiedRole).toLongLong(),
                            sortsByName(treeWidget()));
}
