#pragma once

#include "oddbobjectid.h"
#include "odrxobject.h"
#include "odstring.h"
#include "tddbexport.h"

#include <vector>

// Walks a dictionary's entries as they were when the iterator was made.
class TD_DB_EXPORT OdDbDictionaryIterator : public OdRxObject
{
public:
    struct Entry
    {
        OdString name;
        OdDbObjectId id;
    };

    bool done() const { return m_position >= m_entries.size(); }
    bool next();
    OdString name() const;
    OdDbObjectId objectId() const;
    // The current entry's object opened in mode, or null when it has none.
    OdDbObjectPtr getObject(OdDb::OpenMode mode = OdDb::kForRead) const;

protected:
    explicit OdDbDictionaryIterator(std::vector<Entry> entries);

private:
    std::vector<Entry> m_entries;
    std::size_t m_position = 0;
};
