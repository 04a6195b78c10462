#pragma once

#include "oddb.h"
#include "oddbobjectid.h"
#include "odresult.h"
#include "odrxobject.h"
#include "odsmartptr.h"
#include "tddbexport.h"

class DxfDocument;

// Gives a class of the interface its checked down-cast: T::cast(object) is the object as a T,
// or null when it is something else.
#define ODDB_DECLARE_CAST(ClassName)                                                          \
public:                                                                                       \
    static OdSmartPtr<ClassName> cast(const OdRxObject *object)                               \
    {                                                                                         \
        return OdSmartPtr<ClassName>(                                                         \
            dynamic_cast<ClassName *>(const_cast<OdRxObject *>(object)));                     \
    }                                                                                         \
    template <class U>                                                                        \
    static OdSmartPtr<ClassName> cast(const OdSmartPtr<U> &object)                            \
    {                                                                                         \
        return cast(object.get());                                                            \
    }

// An object of a drawing database, opened for reading or writing. It reads and writes its
// record in the database directly, so a change is in the database at once; a change through an
// object opened for reading throws OdError(eNotOpenForWrite). An open object keeps its database
// alive. Used on the thread that opened it.
class TD_DB_EXPORT OdDbObject : public OdRxObject
{
    ODDB_DECLARE_CAST(OdDbObject)

public:
    ~OdDbObject() override;

    OdDbObjectId objectId() const;
    OdDbDatabase *database() const;
    // The record's DXF type ("IMAGEDEF", "BLOCK_RECORD").
    OdString dxfName() const;

    bool isReadEnabled() const { return m_mode != OdDb::kNotOpen; }
    bool isWriteEnabled() const { return m_mode == OdDb::kForWrite; }
    void upgradeOpen() { m_mode = OdDb::kForWrite; }
    void downgradeOpen() { m_mode = OdDb::kForRead; }

    // Opens the object of database with handle in mode, as the class its record calls for;
    // null when there is none.
    static OdDbObjectPtr open(OdDbDatabase *database, quint64 handle, OdDb::OpenMode mode);

protected:
    OdDbObject(OdDbDatabase *database, quint64 handle, OdDb::OpenMode mode);

    void assertWriteEnabled() const;
    // The object's record in the document now (records move as the document is edited), or -1.
    int record() const;
    DxfDocument &document() const;
    quint64 handle() const { return m_handle; }
    // The value of the record's first tag of code as text; empty when it has none.
    OdString stringValue(int code) const;
    // The full path of the file that the record's path (code 1) names, searched through the
    // database's host services with hint; empty when there is none.
    QString findReferencedFile(int hint) const;

private:
    OdSmartPtr<OdDbDatabase> m_database;
    quint64 m_handle;
    OdDb::OpenMode m_mode;
};
