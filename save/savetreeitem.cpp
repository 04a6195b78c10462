#include "savetreeitem.h"

#include <algorithm>

SaveTreeItem::SaveTreeItem(const QString &path, const QString &displayName, SaveTreeItem *parent)
    : path(path), displayName(displayName), m_parent(parent)
{
}

SaveTreeItem::~SaveTreeItem() = default;

SaveTreeItem *SaveTreeItem::appendChild(const QString &childPath, const QString &childName)
{
    m_children.push_back(std::make_unique<SaveTreeItem>(childPath, childName, this));
    return m_children.back().get();
}

SaveTreeItem *SaveTreeItem::child(int row) const
{
    return row >= 0 && row < childCount() ? m_children[std::size_t(row)].get() : nullptr;
}

int SaveTreeItem::row() const
{
    if (!m_parent)
        return 0;
    const auto &siblings = m_parent->m_children;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [this](const auto &sibling) { return sibling.get() == this; });
    return int(it - siblings.begin());
}

QList<SaveTreeItem *> SaveTreeItem::subtree()
{
    QList<SaveTreeItem *> rows{this};
    for (const auto &child : m_children)
        rows += child->subtree();
    return rows;
}

std::unique_ptr<SaveTreeItem> SaveTreeItem::clone() const
{
    return cloneUnder(nullptr);
}

std::unique_ptr<SaveTreeItem> SaveTreeItem::cloneUnder(SaveTreeItem *parent) const
{
    auto copy = std::make_unique<SaveTreeItem>(path, displayName, parent);
    for (const auto &child : m_children)
        copy->m_children.push_back(child->cloneUnder(copy.get()));
    copy->restoreFrom(*this);
    return copy;
}

void SaveTreeItem::restoreFrom(const SaveTreeItem &other)
{
    name = other.name;
    reservedName = other.reservedName;
    displayName = other.displayName;
    kind = other.kind;
    status = other.status;
    action = other.action;
    collabSpace = other.collabSpace;
    maintainLock = other.maintainLock;
    hasError = other.hasError;
    duplicateMessage = other.duplicateMessage;
    lockMessage = other.lockMessage;
    roleMessage = other.roleMessage;
    changedMessage = other.changedMessage;
    missingMessage = other.missingMessage;
    existsOnServer = other.existsOnServer;
    baseStamp = other.baseStamp;
    hasLocalChanges = other.hasLocalChanges;
    lockedBy = other.lockedBy;
    leftOutByItself = other.leftOutByItself;
    // A clone has the same shape, so children pair up by position.
    for (std::size_t i = 0; i < m_children.size() && i < other.m_children.size(); ++i)
        m_children[i]->restoreFrom(*other.m_children[i]);
}
