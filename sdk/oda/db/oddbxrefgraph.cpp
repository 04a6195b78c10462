#include "oddbxrefgraph.h"

#include "dxfdocument.h"
#include "dxfxrefs.h"
#include "oddbdatabase.h"
#include "oddbqt.h"

#include <QFileInfo>
#include <QHash>
#include <QVector>

namespace {

// Loading never follows a cycle, so the depth is bounded by the number of drawings; this only
// guards against a database graph put together by other means.
const int kMaxDepth = 256;

} // namespace

// What one build carries along: each database's references, listed once however often the
// database occurs, and the depth of each node by index.
struct OdDbXrefGraph::Traversal
{
    bool includeGhosts = false;
    QHash<const OdDbDatabase *, QVector<DxfXrefs::Xref>> references;
    std::vector<int> depths;
};

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
    graph.m_nodes.push_back(std::move(root));
    Traversal traversal;
    traversal.includeGhosts = includeGhosts;
    traversal.depths.push_back(0);
    // Level by level, so that a graph cut short at kMaxNodes still has every shallow reference.
    for (size_t i = 0; i < graph.m_nodes.size(); ++i)
        graph.addReferences(int(i), &traversal);
    return eOk;
}

void OdDbXrefGraph::addReferences(int index, Traversal *traversal)
{
    OdDbXrefGraphNode *node = m_nodes[size_t(index)].get();
    OdDbDatabase *database = node->m_database;
    const int depth = traversal->depths[size_t(index)];
    if (!database || depth >= kMaxDepth)
        return;
    auto listed = traversal->references.find(database);
    if (listed == traversal->references.end())
        listed = traversal->references.insert(database, DxfXrefs(database->document()).list());
    for (const DxfXrefs::Xref &xref : listed.value()) {
        if (index > 0 && int(m_nodes.size()) >= kMaxNodes)
            return;
        if (xref.insertCount == 0 && !traversal->includeGhosts)
            continue;
        auto child = std::make_unique<OdDbXrefGraphNode>();
        const quint64 record = xref.blockRecord ? xref.blockRecord : xref.block;
        child->m_name = toOdString(xref.name);
        child->m_btrId = record ? OdDbObjectId(database, record) : OdDbObjectId();
        child->m_database = record ? database->xrefDatabase(record) : nullptr;
        child->m_status = xref.insertCount == 0 ? OdDb::kXrfUnreferenced
                          : record              ? database->xrefStatus(record)
                                                : OdDb::kXrfUnloaded;
        child->m_cycle = record && database->isXrefCycle(record);
        child->m_in.push_back(node);
        node->m_out.push_back(child.get());
        m_nodes.push_back(std::move(child));
        traversal->depths.push_back(depth + 1);
    }
}
