#pragma once

#include "oddbxrefgraphnode.h"
#include "odresult.h"
#include "tddbexport.h"

#include <memory>
#include <vector>

class OdDbDatabase;

// The external references of a drawing and, through the drawings loaded for them, theirs in
// turn: one node per occurrence below the host drawing's node, so a drawing referenced from two
// places stands twice. Nodes stay valid until the graph is reset or rebuilt; the databases
// they name belong to the host drawing's database.
class TD_DB_EXPORT OdDbXrefGraph
{
public:
    OdDbXrefGraph();
    ~OdDbXrefGraph();
    OdDbXrefGraph(const OdDbXrefGraph &) = delete;
    OdDbXrefGraph &operator=(const OdDbXrefGraph &) = delete;

    // Builds graph for database; references that nothing inserts (ghosts) are left out unless
    // includeGhosts.
    static OdResult getFrom(OdDbDatabase *database, OdDbXrefGraph &graph,
                            bool includeGhosts = false);

    OdDbXrefGraphNode *hostDwg() const;
    int numNodes() const { return int(m_nodes.size()); }
    OdDbXrefGraphNode *xrefNode(int index) const { return m_nodes.at(std::size_t(index)).get(); }
    bool isEmpty() const { return m_nodes.empty(); }
    void reset();

private:
    void addReferences(OdDbXrefGraphNode *node, bool includeGhosts, int depth);

    std::vector<std::unique_ptr<OdDbXrefGraphNode>> m_nodes;
};
