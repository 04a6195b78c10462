#include "dxfxrefgraph.h"

#include "dxfdocument.h"
#include "dxfxrefs.h"

#include <QFileInfo>

#include <algorithm>

namespace {

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QFileInfo(path).absoluteFilePath() : resolved;
}

} // namespace

void DxfXrefGraph::build(const std::shared_ptr<DxfDocument> &host, const QString &hostPath,
                         const XrefFileSearch &search, bool includeGhosts)
{
    m_nodes.clear();
    m_loaded.clear();
    if (!host)
        return;
    Node root;
    root.name = QFileInfo(hostPath).fileName();
    root.filePath = hostPath;
    root.document = host;
    m_nodes.append(root);
    QVector<QString> ancestors;
    if (!hostPath.isEmpty()) {
        ancestors.append(canonical(hostPath));
        m_loaded.append({ancestors.last(), host});
    }
    expand(0, search, includeGhosts, &ancestors);
    m_loaded.clear();
}

std::shared_ptr<DxfDocument> DxfXrefGraph::load(const QString &path, QString *reason)
{
    for (const auto &loaded : qAsConst(m_loaded)) {
        if (loaded.first == path)
            return loaded.second;
    }
    auto document = std::make_shared<DxfDocument>();
    if (!document->read(path, reason))
        return nullptr;
    m_loaded.append({path, document});
    return document;
}

void DxfXrefGraph::expand(int index, const XrefFileSearch &search, bool includeGhosts,
                          QVector<QString> *ancestors)
{
    const std::shared_ptr<DxfDocument> document = m_nodes.at(index).document;
    const QString folder = m_nodes.at(index).filePath.isEmpty()
                               ? QString()
                               : QFileInfo(m_nodes.at(index).filePath).absolutePath();
    for (const DxfXrefs::Xref &xref : DxfXrefs(*document).list()) {
        if (xref.insertCount == 0 && !includeGhosts)
            continue;
        Node child;
        child.name = xref.name;
        child.storedPath = xref.path;
        child.blockRecord = xref.blockRecord ? xref.blockRecord : xref.block;
        child.parent = index;
        child.filePath = search.find(xref.path, folder);
        const QString key = child.filePath.isEmpty() ? QString() : canonical(child.filePath);
        if (child.filePath.isEmpty()) {
            child.status = FileNotFound;
        } else if (ancestors->contains(key)) {
            child.status = Circular;
        } else {
            child.document = load(key, &child.reason);
            child.status = child.document ? Resolved : Unreadable;
        }
        const int childIndex = m_nodes.size();
        m_nodes.append(child);
        m_nodes[index].children.append(childIndex);
        if (child.status == Resolved) {
            ancestors->append(key);
            expand(childIndex, search, includeGhosts, ancestors);
            ancestors->removeLast();
        }
    }
}

bool DxfXrefGraph::hasCycle() const
{
    return std::any_of(m_nodes.cbegin(), m_nodes.cend(),
                       [](const Node &node) { return node.status == Circular; });
}
