#include "duplicatesearch.h"

DuplicateSearch::DuplicateSearch(AurexPlatform *platform,
                                 const QMap<QString, QStringList> &titles, QObject *parent)
    : AurexJob(parent)
    , m_found(std::make_shared<QList<SaveSet::Duplicate>>())
{
    setWork([platform, titles, found = m_found](JobControl &control) {
        control.setTotals(titles.size(), 0);
        *found = SaveSet::searchDuplicates(*platform, titles);
        return QString();
    });
}

DuplicateSearch::~DuplicateSearch() = default;

void DuplicateSearch::workSucceeded()
{
    m_duplicates = *m_found;
}
