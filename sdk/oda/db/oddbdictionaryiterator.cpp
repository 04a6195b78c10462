#include "oddbdictionaryiterator.h"

#include "oddbobject.h"

OdDbDictionaryIterator::OdDbDictionaryIterator(std::vector<Entry> entries)
    : m_entries(std::move(entries))
{
}

bool OdDbDictionaryIterator::next()
{
    if (!done())
        ++m_position;
    return !done();
}

OdString OdDbDictionaryIterator::name() const
{
    return done() ? OdString() : m_entries[m_position].name;
}

OdDbObjectId OdDbDictionaryIterator::objectId() const
{
    return done() ? OdDbObjectId() : m_entries[m_position].id;
}

OdDbObjectPtr OdDbDictionaryIterator::getObject(OdDb::OpenMode mode) const
{
    return objectId().openObject(mode);
}
