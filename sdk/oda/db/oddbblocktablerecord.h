#pragma once

#include "oddbobject.h"

// A block of a drawing: its name and, for an external reference, the stored path of the
// referenced drawing and the database loaded for it.
class TD_DB_EXPORT OdDbBlockTableRecord : public OdDbObject
{
    ODDB_DECLARE_CAST(OdDbBlockTableRecord)

public:
    OdString getName() const;
    // Renames the block, its definition and every reference to it. Throws OdError when the
    // name is taken or invalid.
    void setName(const OdString &name);

    bool isFromExternalReference() const;
    bool isFromOverlayReference() const;
    // The referenced drawing's path exactly as stored; empty for an ordinary block.
    OdString pathName() const;
    // Stores a new path; the loaded drawing stays loaded until the reference is reloaded.
    void setPathName(const OdString &path);

    // The drawing loaded for this external reference, or null when it is not loaded (with
    // includeUnresolved, still null: unresolved references have no database here).
    OdDbDatabase *xrefDatabase(bool includeUnresolved = false) const;
    OdDb::XrefStatus xrefStatus() const;

protected:
    using OdDbObject::OdDbObject;

private:
    // The BLOCK record that begins this block's definition, or -1.
    int blockBegin() const;
};

using OdDbBlockTableRecordPtr = OdSmartPtr<OdDbBlockTableRecord>;
