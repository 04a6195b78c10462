#pragma once

#include "fileentry.h"
#include "referencenode.h"

#include <QList>
#include <QStringList>

#include <vector>

// A drawing with every file it references, as a tree of ReferenceNodes, plus the flat list of
// FileEntries (file name and path), one per node in creation order. Owns its nodes; built once
// for one use (one dialog, one task-pane rebuild) and freed with clear() or on destruction.
// Used on the thread that built it.
class ReferenceTree
{
public:
    ReferenceTree() = default;
    ~ReferenceTree();
    ReferenceTree(const ReferenceTree &) = delete;
    ReferenceTree &operator=(const ReferenceTree &) = delete;

    // The drawing's node; null while nothing was built.
    ReferenceNode *root() const { return m_root; }
    const std::vector<ReferenceNode *> &nodes() const { return m_nodes; }
    QList<FileEntry> entries() const { return m_entries; }
    // The distinct paths of the nodes that have one, in creation order.
    QStringList paths() const;
    // Number of nodes, the root included.
    int count() const { return int(m_nodes.size()); }

    // A new node under parent, or the root when parent is null (only one root). Its entry (the
    // file name of path, path) joins the entries; an empty path marks a reference the host
    // could not find.
    ReferenceNode *addNode(ReferenceNode *parent, const QString &name, const QString &path,
                           ReferenceNode::Kind kind);

private:
    ReferenceNode *m_root = nullptr;
    std::vector<ReferenceNode *> m_nodes; // owned
    QList<FileEntry> m_entries;
};
