#pragma once

#include "saveset.h"

#include "support/aurexjob.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <memory>

// The save dialog's search for platform files whose titles the rows would take, space by
// space, as a job. Made per check on the main thread; the platform outlives the work.
class DuplicateSearch : public AurexJob
{
    Q_OBJECT

public:
    DuplicateSearch(AurexPlatform *platform, const QMap<QString, QStringList> &titles,
                    QObject *parent = nullptr);
    ~DuplicateSearch() override;

    // After a good result: the files found.
    QList<SaveSet::Duplicate> duplicates() const { return m_duplicates; }

private:
    void workSucceeded() override;

    std::shared_ptr<QList<SaveSet::Duplicate>> m_found;
    QList<SaveSet::Duplicate> m_duplicates;
};
