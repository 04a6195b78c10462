#pragma once

#include "connector/recordlist.h"
#include "support/resultjob.h"

class AurexPlatform;
class FzFileInfo;

// Lists a drawing on the platform with everything it references, before the drawing is
// downloaded: a job made by the open dialog per open. The platform outlives the work.
class StructureListing : public ResultJob<RecordList>
{
    Q_OBJECT

public:
    StructureListing(AurexPlatform *platform, const FzFileInfo &root, QObject *parent = nullptr);

    // After a good result: the drawing first, then what it references.
    RecordList takeRecords() { return takeValue(); }
};
