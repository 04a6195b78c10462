#pragma once

#include "connector/recordlist.h"

#include <QString>

#include <memory>

class FzFileInfo;
class QWidget;

// One search of the open dialog: the query, then the previews of its hits into a folder and
// their details. run() blocks; runWaiting() runs it on a worker thread while the please-wait
// box shows and the application keeps painting. One instance per search.
class CSSearch
{
public:
    CSSearch(std::unique_ptr<FzFileInfo> query, const QString &previewFolder);
    ~CSSearch();

    // Drawings named like text in one space, or, with an empty space, drawings and derived
    // outputs titled like text in every space.
    static std::unique_ptr<FzFileInfo> query(const QString &space, const QString &text);

    void run();
    void runWaiting(QWidget *parent);

    // How many hits the search reported, and the details of the ones the platform described.
    int hitCount() const { return m_hitCount; }
    RecordList takeResults() { return std::move(m_results); }
    QString previewFolder() const { return m_previewFolder; }

private:
    std::unique_ptr<FzFileInfo> m_query;
    QString m_previewFolder;
    int m_hitCount = 0;
    RecordList m_results;
};
