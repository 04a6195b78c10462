#pragma once

#include "connector/recordlist.h"
#include "support/aurexjob.h"

#include <memory>

class AurexPlatform;
class FzFileInfo;

// Lists a drawing on the platform with everything it references, before the drawing is
// downloaded: a job made by the open dialog per open. The platform outlives the work.
class StructureListing : public AurexJob
{
    Q_OBJECT

public:
    StructureListing(AurexPlatform *platform, const FzFileInfo &root, QObject *parent = nullptr);
    ~StructureListing() override;

    // After a good result: the drawing first, then what it references.
    RecordList takeRecords() { return std::move(m_records); }

private:
    void workSucceeded() override;

    std::shared_ptr<RecordList> m_listed;
    RecordList m_records;
};
