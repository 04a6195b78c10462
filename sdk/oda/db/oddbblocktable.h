#pragma once

#include "oddbobject.h"

class OdDbBlockTableRecord;
using OdDbBlockTableRecordPtr = OdSmartPtr<OdDbBlockTableRecord>;

// The table of a drawing's block records, looked up by block name without regard to case.
// Drawings of release 12 have no such table; theirs is implied by their block definitions.
class TD_DB_EXPORT OdDbBlockTable : public OdDbObject
{
    ODDB_DECLARE_CAST(OdDbBlockTable)

public:
    // The handle that stands for the implied table of a release 12 drawing.
    static constexpr quint64 kImpliedHandle = ~quint64(0);

    // The id of the record named name, or the null id.
    OdDbObjectId getAt(const OdString &name) const;
    // The record named name opened in mode, or null.
    OdDbBlockTableRecordPtr getAt(const OdString &name, OdDb::OpenMode mode) const;
    bool has(const OdString &name) const;

protected:
    using OdDbObject::OdDbObject;
};

using OdDbBlockTablePtr = OdSmartPtr<OdDbBlockTable>;
