#pragma once

#include "oddbobject.h"

class OdDbDictionaryIterator;
using OdDbDictionaryIteratorPtr = OdSmartPtr<OdDbDictionaryIterator>;

// A dictionary object: named entries, each naming an object, in the dictionary's own order.
class TD_DB_EXPORT OdDbDictionary : public OdDbObject
{
    ODDB_DECLARE_CAST(OdDbDictionary)

public:
    // The id of the entry named name (without regard to case), or the null id.
    OdDbObjectId getAt(const OdString &name) const;
    // The object of the entry named name opened in mode, or null.
    OdDbObjectPtr getAt(const OdString &name, OdDb::OpenMode mode) const;
    bool has(const OdString &name) const;
    int numEntries() const;
    // Walks the entries as they stand now, in the dictionary's order.
    OdDbDictionaryIteratorPtr newIterator() const;

protected:
    using OdDbObject::OdDbObject;
};

using OdDbDictionaryPtr = OdSmartPtr<OdDbDictionary>;
