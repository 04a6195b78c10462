#pragma once

#include "saveaction.h"

#include "drawingset/referencenode.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

// One row of the save dialog: a file of the save set, how it stands against the platform,
// what the save will do with it and into which space, and its errors. Owned by its parent row;
// the dialog owns the invisible root, whose only child is the active drawing. Main thread;
// the check-in job works on a clone() of its own.
class SaveTreeItem
{
public:
    SaveTreeItem(const QString &path, const QString &displayName, SaveTreeItem *parent);
    ~SaveTreeItem();
    SaveTreeItem(const SaveTreeItem &) = delete;
    SaveTreeItem &operator=(const SaveTreeItem &) = delete;

    // A new row appended to this row's children.
    SaveTreeItem *appendChild(const QString &path, const QString &displayName);
    // A copy of this row and everything below it, without parent (the snapshot for Reset).
    std::unique_ptr<SaveTreeItem> clone() const;
    // Sets the listed fields of this row and of every row below it from other, a clone of it.
    void restoreFrom(const SaveTreeItem &other);

    SaveTreeItem *parent() const { return m_parent; }
    int childCount() const { return int(m_children.size()); }
    SaveTreeItem *child(int row) const;
    // This row and every row below it, parents before their children: the same positions in
    // a tree and in its clone.
    QList<SaveTreeItem *> subtree();
    // This row's position among its parent's children; 0 without parent.
    int row() const;
    const std::vector<std::unique_ptr<SaveTreeItem>> &children() const { return m_children; }

    QString path;
    QString name; // platform name: from the duplicate check or the check-in
    // A new file's platform name, taken before its save first goes (saves in the outbox), so
    // that sending the save again never makes a second object; "" for a fresh one per sending.
    QString reservedName;
    QString displayName;
    ReferenceNode::Kind kind = ReferenceNode::Drawing;
    int status = 0; // LocalFileStatus
    SaveAction action = SaveAction::SaveChanges;
    QString collabSpace;
    bool maintainLock = false;
    bool hasError = false;
    QString duplicateMessage;
    QString lockMessage;
    // Set when the user's role in the file's space does not let them save to it.
    QString roleMessage;
    // Set when the platform refused "Save changes" because another user saved a newer version.
    QString changedMessage;
    // Set when the file could not be found when the rows were built.
    QString missingMessage;
    bool existsOnServer = false;
    // The platform stamp of the version this local copy was made from; "" when unknown.
    QString baseStamp;
    // The file holds work the platform does not have (see FileDatabase::hasLocalChanges). A
    // row to "Save changes" whose file has none is not sent: the platform's version stands.
    bool hasLocalChanges = true;
    // Another user who holds the file's lock; "" when nobody else does.
    QString lockedBy;
    // Left out by itself: unchanged here while another user holds its lock or the user may only
    // read its space, so there is nothing of it to save; what it references still goes.
    bool leftOutByItself = false;

    // "Save changes" for a file without local changes: nothing of it is sent.
    bool isUnchanged() const { return action == SaveAction::SaveChanges && !hasLocalChanges; }

private:
    std::unique_ptr<SaveTreeItem> cloneUnder(SaveTreeItem *parent) const;

    SaveTreeItem *m_parent;
    std::vector<std::unique_ptr<SaveTreeItem>> m_children;
};
