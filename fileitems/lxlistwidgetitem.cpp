#include "lxlistwidgetitem.h"

#include "fileitemorder.h"

LxListWidgetItem::LxListWidgetItem(QListWidget *list)
    : QListWidgetItem(list, QListWidgetItem::UserType)
{
}

QVariant LxListWidgetItem::data(int role) const
{
    if (role == FileNameRole)
        return m_name;
    if (role == FileModifiedRole)
        return m_modified;
    return QListWidgetItem::data(role);
}

void LxListWidgetItem::setData(int role, const QVariant &value)
{
    QListWidgetItem::setData(role, value);
    if (role == FileNameRole)
        m_name = value.toString();
    else if (role == FileModifiedRole)
        m_modified = value.toLongLong();
}

bool LxListWidgetItem::operator<(const QListWidgetItem &other) const
{
    return fileItemPrecedes(m_name, m_modified, other.data(FileNameRole).toString(),
                            other.data(FileModifiedRole).toLongLong(),
                            sortsByName(listWidget()));
}
