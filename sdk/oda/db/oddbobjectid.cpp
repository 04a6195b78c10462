#include "oddbobjectid.h"

#include "oddbobject.h"
#include "oderror.h"

const OdDbObjectId OdDbObjectId::kNull;

OdDbObjectId::OdDbObjectId(OdDbDatabase *database, quint64 handle)
    : m_database(database)
    , m_handle(handle)
{
}

bool OdDbObjectId::isValid() const
{
    return !isNull() && !openObject().isNull();
}

OdDbObjectPtr OdDbObjectId::openObject(OdDb::OpenMode mode, bool) const
{
    if (isNull())
        return OdDbObjectPtr();
    return OdDbObject::open(m_database, m_handle, mode);
}

OdDbObjectPtr OdDbObjectId::safeOpenObject(OdDb::OpenMode mode, bool openErased) const
{
    if (isNull())
        throw OdError(eNullObjectId, "the object id is null");
    OdDbObjectPtr object = openObject(mode, openErased);
    if (object.isNull())
        throw OdError(eKeyNotFound, "the drawing has no object with this handle");
    return object;
}
