#include "duplicatesearch.h"

DuplicateSearch::DuplicateSearch(AurexPlatform *platform,
                                 const QMap<QString, QStringList> &titles, QObject *parent)
    : ResultJob(parent)
{
    setValueWork([platform, titles](JobControl &control, QList<SaveSet::Duplicate> &found) {
        control.setTotals(titles.size(), 0);
        found = SaveSet::searchDuplicates(*platform, titles);
        return QString();
    });
}
