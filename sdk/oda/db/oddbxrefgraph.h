#pragma once

#include "oddbxrefgraphnode.h"
#include "odresult.h"
#include "tddbexport.h"

#include <memory>
#include <vector>

class OdDbDatabase;

// The external references of a drawing and, through the drawings loaded for them, theirs in
// turn: one node per occurrence below the host drawing's node, so a drawing referenced from two
// places stands twice (with the one database loaded for both). Occurrences multiply with
// shared references at every level, so below the host drawing's own references, which always
// stand, the graph stops growing at kMaxNodes. Nodes are numbered level by level from the host
// drawing's (0); they stay valid until the graph is reset or rebuilt, and the databases they
// name belong to the host drawing's database.
class TD_DB_EXPORT OdDbXrefGraph
{
public:
    static constexpr int kMaxNodes = 100000;

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
    struct Traversal;

    // Adds a node for each reference of the node at index.
    void addReferences(int index, Traversal *traversal);

    std::vector<std::unique_ptr<OdDbXrefGraphNode>> m_nodes;
};
