#include "recordlist.h"

#include <fzfileinfo.h>

#include <algorithm>

RecordList::RecordList() = default;

// A vector moved from is left empty.
RecordList::RecordList(RecordList &&other) noexcept
    : m_records(std::move(other.m_records))
{
}

RecordList &RecordList::operator=(RecordList &&other) noexcept
{
    if (this != &other) {
        clear();
        m_records = std::move(other.m_records);
        other.m_records.clear();
    }
    return *this;
}

RecordList::~RecordList()
{
    clear();
}

RecordList RecordList::copiesOf(int count,
                                 const std::function<const FzFileInfo *(int)> &recordAt)
{
    RecordList copies;
    for (int i = 0; i < count; ++i) {
        if (const FzFileInfo *record = recordAt(i))
            copies.addCopy(*record);
    }
    return copies;
}

FzFileInfo *RecordList::add(std::unique_ptr<FzFileInfo> record)
{
    if (!record)
        return nullptr;
    // Room first, so that taking the record over cannot fail half-way; grown geometrically.
    if (m_records.size() == m_records.capacity())
        m_records.reserve(std::max<std::size_t>(8, m_records.capacity() * 2));
    m_records.push_back(record.release());
    return m_records.back();
}

FzFileInfo *RecordList::addCopy(const FzFileInfo &record)
{
    return add(std::make_unique<FzFileInfo>(record));
}

void RecordList::clear()
{
    // Children unlink themselves from a parent that is deleted first, and the other way round,
    // so records linked into a tree may go in any order.
    for (FzFileInfo *record : m_records)
        delete record;
    m_records.clear();
}
