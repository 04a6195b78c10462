#include "referencetree.h"

#include "connector/filetype.h"

#include <QSet>

ReferenceTree::~ReferenceTree()
{
    for (ReferenceNode *node : m_nodes)
        delete node;
}

QStringList ReferenceTree::paths() const
{
    QStringList paths;
    QSet<QString> seen;
    for (const FileEntry &entry : m_entries) {
        if (entry.path.isEmpty() || seen.contains(entry.path))
            continue;
        seen.insert(entry.path);
        paths.append(entry.path);
    }
    return paths;
}

ReferenceNode *ReferenceTree::addNode(ReferenceNode *parent, const QString &name,
                                      const QString &path, ReferenceNode::Kind kind)
{
    Q_ASSERT(parent || !m_root);
    if (!parent && m_root)
        return nullptr;
    auto *node = new ReferenceNode;
    node->name = name;
    node->path = path;
    node->kind = kind;
    node->parent = parent;
    m_nodes.push_back(node);
    if (parent)
        parent->children.push_back(node);
    else
        m_root = node;
    FileEntry entry;
    entry.fileName = pathFileName(path);
    entry.path = path;
    m_entries.append(entry);
    return node;
}

