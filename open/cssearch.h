#pragma once

#include "connector/recordlist.h"
#include "support/resultjob.h"

#include <QString>

#include <memory>

class AurexPlatform;
class FzFileInfo;

// One search of the open dialog, as a job: the query, then the previews of its hits into a
// folder and their details. Made per search by the dialog on the main thread; the platform
// outlives the work.
class CSSearch : public ResultJob<RecordList>
{
    Q_OBJECT

public:
    CSSearch(AurexPlatform *platform, std::unique_ptr<FzFileInfo> query,
             const QString &previewFolder, QObject *parent = nullptr);

    // Drawings named like text in one space, or, with an empty space, drawings and derived
    // outputs titled like text in every space.
    static std::unique_ptr<FzFileInfo> query(const QString &space, const QString &text);

    // After a good result: the details of the drawings found.
    RecordList takeResults() { return takeValue(); }
    QString previewFolder() const { return m_previewFolder; }

private:
    const QString m_previewFolder;
};
