#pragma once

#include "oddb.h"
#include "oddbobjectid.h"
#include "odstring.h"
#include "tddbexport.h"

#include <vector>

class OdDbDatabase;

// One drawing in an external-reference graph: the host drawing at the root, or one occurrence
// of a reference, with the block record that makes it and the database loaded for it. Owned by
// its OdDbXrefGraph.
class TD_DB_EXPORT OdDbXrefGraphNode
{
public:
    OdString name() const { return m_name; }
    // The reference's block record in the referencing drawing; null for the host drawing.
    OdDbObjectId btrId() const { return m_btrId; }
    // The loaded drawing; null when the reference is not loaded (missing, unreadable, a cycle).
    OdDbDatabase *database() const { return m_database; }
    // Why a reference has no drawing: kXrfFileNotFound, kXrfUnresolved (the file cannot be
    // read), kXrfUnloaded (unloaded, or a cycle: see isCycleNode()), kXrfUnreferenced (nothing
    // inserts it); kXrfResolved when it has one.
    OdDb::XrefStatus xrefStatus() const { return m_status; }
    // True for a reference left unloaded because it leads back to a drawing above it.
    bool isCycleNode() const { return m_cycle; }
    bool isNested() const { return m_in.size() == 1 && m_in.front()->m_in.size() == 1; }

    int numOut() const { return int(m_out.size()); }
    OdDbXrefGraphNode *out(int index) const { return m_out.at(std::size_t(index)); }
    int numIn() const { return int(m_in.size()); }
    OdDbXrefGraphNode *in(int index) const { return m_in.at(std::size_t(index)); }

private:
    friend class OdDbXrefGraph;

    OdString m_name;
    OdDbObjectId m_btrId;
    OdDbDatabase *m_database = nullptr;
    OdDb::XrefStatus m_status = OdDb::kXrfNotAnXref;
    bool m_cycle = false;
    std::vector<OdDbXrefGraphNode *> m_out;
    std::vector<OdDbXrefGraphNode *> m_in;
};
