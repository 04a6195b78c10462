#include "duplicatesearch.h"

#include "savelogging.h"

#include "workingcopy/contentfingerprint.h"
#include "workingcopy/filedatabase.h"

#include <optional>

namespace {

void recordStoredFromHere(const QString &tenant, const QString &currentUser,
                          const QMap<QString, QString> &paths,
                          QList<SaveSet::Duplicate> *duplicates)
{
    // Opened only for a file to record: most checks find nothing of the kind.
    std::optional<FileDatabase> database;
    for (SaveSet::Duplicate &duplicate : *duplicates) {
        const QString path = paths.value(duplicate.title);
        if (path.isEmpty() || duplicate.modifiedBy != currentUser || duplicate.sha256.isEmpty()
            || duplicate.phid.isEmpty())
            continue;
        const ContentFingerprint here = ContentFingerprint::of(path);
        if (here.sha256 != duplicate.sha256.toLatin1())
            continue;
        if (!database)
            database.emplace(tenant);
        database->recordExchange(FileDatabase::keyForPath(path), duplicate.phid, duplicate.name,
                                 duplicate.stamp, duplicate.type, here);
        duplicate.storedFromHere = true;
    }
    if (database && !database->save())
        qCWarning(lcSave).noquote() << "files stored from here not recorded:"
                                    << database->errorString();
}

} // namespace

DuplicateSearch::DuplicateSearch(AurexPlatform *platform, const SaveSet &set,
                                 const QString &tenant, QObject *parent)
    : ResultJob(parent)
{
    const QMap<QString, QStringList> titles = set.titlesToCheck();
    const QMap<QString, QString> paths = set.newFilePaths();
    const QString currentUser = set.currentUser();
    setValueWork([platform, titles, paths, tenant, currentUser](
                     JobControl &control, QList<SaveSet::Duplicate> &found) {
        control.setTotals(titles.size(), 0);
        found = SaveSet::searchDuplicates(*platform, titles);
        recordStoredFromHere(tenant, currentUser, paths, &found);
        return QString();
    });
}
