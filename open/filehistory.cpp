#include "filehistory.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "fileitems/filestatus.h"
#include "support/jobcontrol.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopyconstants.h"

#include <fzfileinfo.h>

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

FileHistory::FileHistory(AurexPlatform *platform, const FileDatabase &database,
                         const QString &name, const QString &title, const QString &user)
    : m_platform(platform)
    , m_name(name)
    , m_title(title)
    , m_user(user)
{
    m_localPath = database.valueWhere(QLatin1String(kAttrName), name, QLatin1String(kAttrPath));
    if (m_localPath.isEmpty()) {
        m_downloadFolder = downloadFolderFor(database, name, title);
        return;
    }
    // A local save clears the stamp of the last exchange but keeps it as the base.
    m_localStamp = database.entryAttribute(m_localPath, QLatin1String(kAttrBaseStamp));
    if (m_localStamp.isEmpty())
        m_localStamp = database.entryAttribute(m_localPath, QLatin1String(kAttrUpdateStamp));
    m_localChanges = database.hasLocalChanges(m_localPath);
    m_downloadFolder = QFileInfo(m_localPath).path();
}

bool FileHistory::isDrawing() const
{
    return isDrawingPath(m_title);
}

std::unique_ptr<FzFileInfo> FileHistory::request() const
{
    return makeNameRequest(m_name, fileTypeForPath(m_title));
}

QString FileHistory::listVersions(FileVersionList *versions) const
{
    if (m_platform->versions(*request(), versions) && !versions->isEmpty())
        return QString();
    return m_platform->failureText(
        tr("The history of %1 could not be read from the platform.").arg(m_title));
}

QString FileHistory::listAsOf(int revision, RecordList *records) const
{
    if (m_platform->structureAsOf(*request(), revision, records))
        return QString();
    return whyRefused(revision, QString(),
                      tr("Version %1 of %2 could not be listed.").arg(revision).arg(m_title));
}

QString FileHistory::saveCopy(int revision, const QString &path, JobControl &control) const
{
    const QFileInfo target(path);
    if (!m_platform->downloadVersion(*request(), revision, target.absolutePath(),
                                     target.fileName(), &control)
             .isEmpty())
        return QString();
    if (control.isCancelled())
        return tr("Cancelled.");
    return whyRefused(revision, QString(),
                      tr("Version %1 of %2 could not be saved as %3.")
                          .arg(revision)
                          .arg(m_title, target.filePath()));
}

QString FileHistory::restore(int revision, const QString &newestStamp,
                             RecordList *restored) const
{
    std::unique_ptr<FzFileInfo> asked = request();
    setRecordProperty(*asked, kKeyBaseModified, newestStamp);
    // The platform's own words, which every user's history shows alike.
    if (m_platform->restoreVersion(asked.get(), revision,
                                   QStringLiteral("Restored version %1").arg(revision))) {
        restored->add(std::move(asked));
        return QString();
    }
    return whyRefused(revision, newestStamp,
                      tr("Version %1 of %2 could not be restored.").arg(revision).arg(m_title));
}

QString FileHistory::whyRefused(int revision, const QString &base, const QString &failed) const
{
    RecordList requests;
    const FzFileInfo *now = requests.add(request());
    if (!m_platform->details(requests) || recordProperty(*now, kKeyFileModified).isEmpty())
        return m_platform->failureText(failed);
    const bool restoring = !base.isEmpty();
    const QString lockedBy = recordProperty(*now, kKeyLockedBy);
    if (restoring && !lockedBy.isEmpty() && lockedBy != m_user)
        return tr("%1 is locked by %2: no earlier version can be restored until %2 unlocks it.")
            .arg(m_title, lockedBy);
    const QString stamp = recordProperty(*now, kKeyFileModified);
    if (restoring && stamp != base)
        return tr("%1 saved a newer version of %2 (version %3, %4). Refresh the history to see "
                  "it before you restore an earlier version.")
            .arg(recordProperty(*now, kKeyModifiedBy), m_title,
                 recordProperty(*now, kKeyRevision), platformStampText(stamp));
    FileVersionList versions;
    const bool listed = m_platform->versions(*request(), &versions);
    const bool kept = std::any_of(versions.cbegin(), versions.cend(),
                                  [revision](const FileVersion &v) { return v.revision == revision; });
    if (listed && !kept && revision < recordProperty(*now, kKeyRevision).toInt())
        return tr("Version %1 of %2 is no longer kept on the platform: the platform's "
                  "administrator lets old versions go.")
            .arg(revision)
            .arg(m_title);
    return failed;
}
