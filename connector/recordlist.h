#pragma once

#include <functional>
#include <memory>
#include <vector>

class FzFileInfo;

// Owns file-information records that the module created (requests, queries, copies of records
// the connector returned) and releases them when it goes out of scope, after the connector
// call that used them has returned. records() is the vector the connector's calls take.
// Not thread-safe; moved, never copied.
class RecordList
{
public:
    RecordList();
    RecordList(RecordList &&other) noexcept;
    RecordList &operator=(RecordList &&other) noexcept;
    RecordList(const RecordList &) = delete;
    RecordList &operator=(const RecordList &) = delete;
    ~RecordList();

    // Copies of the connector's records 0 .. count-1, as recordAt gives them (for example
    // GetTransactionFileAt): the connector's own records change with its next call. Null
    // records are skipped.
    static RecordList copiesOf(int count, const std::function<const FzFileInfo *(int)> &recordAt);

    // Takes over a record; null is ignored. Returns the record.
    FzFileInfo *add(std::unique_ptr<FzFileInfo> record);
    // Keeps a copy of a record owned by someone else. Returns the copy.
    FzFileInfo *addCopy(const FzFileInfo &record);

    const std::vector<FzFileInfo *> &records() const { return m_records; }
    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    FzFileInfo *at(std::size_t index) const { return m_records.at(index); }
    std::vector<FzFileInfo *>::const_iterator begin() const { return m_records.begin(); }
    std::vector<FzFileInfo *>::const_iterator end() const { return m_records.end(); }

    // Releases every record.
    void clear();

private:
    std::vector<FzFileInfo *> m_records; // owned
};
