#pragma once

#include "oddb.h"
#include "odsmartptr.h"
#include "tddbexport.h"

#include <QtGlobal>

class OdDbDatabase;
class OdDbObject;
using OdDbObjectPtr = OdSmartPtr<OdDbObject>;

// Names an object of a drawing database: the database and the object's handle. A plain value;
// it does not keep the database alive. The null id names nothing.
class TD_DB_EXPORT OdDbObjectId
{
public:
    OdDbObjectId() = default;
    OdDbObjectId(OdDbDatabase *database, quint64 handle);

    static const OdDbObjectId kNull;

    bool isNull() const { return m_database == nullptr || m_handle == 0; }
    bool isValid() const;
    OdDbDatabase *database() const { return m_database; }
    quint64 getHandle() const { return m_handle; }

    // The object opened in mode, or null when the id names no object of its database.
    OdDbObjectPtr openObject(OdDb::OpenMode mode = OdDb::kForRead, bool openErased = false) const;
    // As openObject, but throws OdError when there is no object to open.
    OdDbObjectPtr safeOpenObject(OdDb::OpenMode mode = OdDb::kForRead,
                                 bool openErased = false) const;

    friend bool operator==(const OdDbObjectId &a, const OdDbObjectId &b)
    {
        return a.m_database == b.m_database && a.m_handle == b.m_handle;
    }
    friend bool operator!=(const OdDbObjectId &a, const OdDbObjectId &b) { return !(a == b); }

private:
    OdDbDatabase *m_database = nullptr;
    quint64 m_handle = 0;
};
