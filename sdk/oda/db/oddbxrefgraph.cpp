#include "oddbxrefgraph.h"

#include "dxfdocument.h"
#include "dxfxrefs.h"
#include "oddbdatabase.h"
#include "oddbqt.h"

#include <QFileInfo>

namespace {

// Loading never follows a cycle, so the depth is bounded by the number of drawings; this only
// guards against a database graph put together by other means.
const int kMaxDepth = 256;

} // namespace

OdDbXrefGraph::OdDbXrefGraph() = default;

OdDbXrefGraph::~OdDbXrefGraph() = default;

void OdDbXrefGraph::reset()
{
    m_nodes.clear();
}

OdDbXrefGraphNode *OdDbXrefGraph::hostDwg() const
{
    return m_nodes.empty() ? nullptr : m_nodes.front().get();
}

OdResult OdDbXrefGraph::getFrom(OdDbDatabase *database, OdDbXrefGraph &graph,
                                bool includeGhosts)
{
    graph.reset();
    if (!database)
        return eNullObjectId;
    auto root = std::make_unique<OdDbXrefGraphNode>();
    root->m_name = toOdString(QFileInfo(database->fileName()).completeBaseName());
    root->m_database = database;
    OdDbXrefGraphNode *host = root.get();
    graph.m_nodes.push_back(std::move(root));
    graph.addReferences(host, includeGhosts, 0);
    return eOk;
}

void OdDbXrefGraph::addReferences(OdDbXrefGraphNode *node, bool includeGhosts, int depth)
{
    OdDbDatabase *database = node->m_database;
    if (!database || depth >= kMaxDepth)
        return;
    for (const DxfXrefs::Xref &xref : DxfXrefs(database->document()).list()) {
        if (xref.insertCount == 0 && !includeGhosts)
            continue;
        auto child = std::make_unique<OdDbXrefGraphNode>();
        const quint64 record = xref.blockRecord ? xref.blockRecord : xref.block;
        child->m_name = toOdString(xref.name);
        child->m_btrId = record ? OdDbObjectId(database, record) : OdDbObjectId();
        child->m_database = record ? database->xrefDatabase(record) : nullptr;
        child->m_status = xref.insertCount == 0 ? OdDb::kXrfUnreferenced
                          : child->m_database   ? OdDb::kXrfResolved
                                                : OdDb::kXrfUnresolved;
        child->m_in.push_back(node);
        node->m_out.push_back(child.get());
        OdDbXrefGraphNode *added = child.get();
        m_nodes.push_back(std::move(child));
        addReferences(added, includeGhosts, depth + 1);
    }
}
