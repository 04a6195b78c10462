#include "oddbdictionary.h"

#include "dxfdictionary.h"
#include "dxfdocument.h"
#include "oddbdictionaryiterator.h"
#include "oddbqt.h"
#include "odrxobjectimpl.h"

OdDbObjectId OdDbDictionary::getAt(const OdString &name) const
{
    const quint64 entry = DxfDictionary(document(), handle()).lookup(toQString(name));
    return entry ? OdDbObjectId(database(), entry) : OdDbObjectId();
}

OdDbObjectPtr OdDbDictionary::getAt(const OdString &name, OdDb::OpenMode mode) const
{
    return getAt(name).openObject(mode);
}

bool OdDbDictionary::has(const OdString &name) const
{
    return !getAt(name).isNull();
}

int OdDbDictionary::numEntries() const
{
    return DxfDictionary(document(), handle()).entries().size();
}

OdDbDictionaryIteratorPtr OdDbDictionary::newIterator() const
{
    std::vector<OdDbDictionaryIterator::Entry> entries;
    for (const DxfDictionary::Entry &entry : DxfDictionary(document(), handle()).entries())
        entries.push_back({toOdString(entry.name), OdDbObjectId(database(), entry.handle)});
    return OdRxObjectImpl<OdDbDictionaryIterator>::createObject(std::move(entries));
}
