#pragma once

#include "connector/recordlist.h"
#include "support/aurexjob.h"

#include <QString>

#include <memory>

class AurexPlatform;
class FzFileInfo;

// One search of the open dialog, as a job: the query, then the previews of its hits into a
// folder and their details. Made per search by the dialog on the main thread; the platform
// outlives the work.
class CSSearch : public AurexJob
{
    Q_OBJECT

public:
    CSSearch(AurexPlatform *platform, std::unique_ptr<FzFileInfo> query,
             const QString &previewFolder, QObject *parent = nullptr);
    ~CSSearch() override;

    // Drawings named like text in one space, or, with an empty space, drawings and derived
    // outputs titled like text in every space.
    static std::unique_ptr<FzFileInfo> query(const QString &space, const QString &text);

    // After a good result: how many drawings were found, and their details.
    int hitCount() const { return m_hitCount; }
    RecordList takeResults() { return std::move(m_results); }
    QString previewFolder() const { return m_previewFolder; }

private:
    struct Found;
    void workSucceeded() override;

    const QString m_previewFolder;
    std::shared_ptr<Found> m_found;
    int m_hitCount = 0;
    RecordList m_results;
};
