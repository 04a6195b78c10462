#include "savecheckin.h"

#include "checkinrecords.h"
#include "savelogging.h"
#include "saveset.h"
#include "savetreeitem.h"

#include "connector/filetype.h"
#include "connector/platformstamp.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLocale>

namespace {

QString translate(const char *text)
{
    return QCoreApplication::translate("SaveToCSDialog", text);
}

void collectNamed(SaveTreeItem *row, QList<SaveTreeItem *> *rows)
{
    for (const auto &child : row->children()) {
        if (child->action != SaveAction::DoNotSave && !child->name.isEmpty())
            rows->append(child.get());
        collectNamed(child.get(), rows);
    }
}

} // namespace

SaveCheckIn::SaveCheckIn(const QString &tenant, const QString &currentUser,
                         const QString &previewFolder)
    : m_tenant(tenant), m_currentUser(currentUser), m_previewFolder(previewFolder)
{
}

bool SaveCheckIn::run(SaveTreeItem *top, const QStringList &autonames)
{
    m_error.clear();
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    std::unique_ptr<CheckInRecords> records;
    FzFileInfo *topRecord = nullptr;
    {
        const FileDatabase database(m_tenant);
        records = std::make_unique<CheckInRecords>(database, autonames, m_previewFolder);
        topRecord = records->buildCheckInRecord(top);
    }
    if (!topRecord) {
        m_error = records->errorString();
        return false;
    }
    if (!connector->CheckIn(topRecord)) {
        m_error = translate("The platform did not store the files; nothing was saved.");
        return false;
    }
    // The platform's names, stamps and ids of what it stored, written into the requests.
    RecordList lookups = records->buildNameLookupRecords();
    if (!lookups.empty() && !connector->Details(lookups.records()))
        qCDebug(lcSave) << "check-in: the state of some saved files could not be read";
    const QMap<QString, QString> paths = records->nameToPath();
    FileDatabase database(m_tenant);
    for (const FzFileInfo *record : lookups) {
        const QString phid = recordProperty(*record, kKeyPhid);
        if (phid.isEmpty())
            continue;
        const QString name = recordProperty(*record, kKeyName);
        database.recordExchange(FileDatabase::keyForPath(paths.value(name)), phid, name,
                                recordProperty(*record, kKeyFileModified),
                                recordProperty(*record, kKeyType));
    }
    return true;
}

QStringList SaveCheckIn::explainRefusal(SaveTreeItem *top)
{
    QList<SaveTreeItem *> rows;
    if (top && top->action != SaveAction::DoNotSave && !top->name.isEmpty())
        rows.append(top);
    collectNamed(top, &rows);
    RecordList requests;
    for (const SaveTreeItem *row : rows)
        requests.add(makeNameRequest(row->name, fileTypeForPath(row->path)));
    QStringList reasons;
    if (requests.empty())
        return reasons;
    LintraAurexConnectorWrapper::GetInstance()->Details(requests.records());
    for (int i = 0; i < rows.size(); ++i) {
        SaveTreeItem *row = rows.at(i);
        const FzFileInfo &answer = *requests.at(std::size_t(i));
        const QString file = QDir::toNativeSeparators(row->path);
        const QString lockedBy = recordProperty(answer, kKeyLockedBy);
        if (!lockedBy.isEmpty() && lockedBy != m_currentUser) {
            row->lockMessage = SaveSet::lockText(lockedBy);
            row->hasError = true;
            reasons.append(translate("%1 is locked by %2.").arg(file, lockedBy));
        }
        const QString stamp = recordProperty(answer, kKeyFileModified);
        if (row->action == SaveAction::SaveChanges && !row->baseStamp.isEmpty()
            && !stamp.isEmpty() && stamp != row->baseStamp) {
            const QString when = QLocale().toString(parsePlatformStamp(stamp).toLocalTime(),
                                                    QLocale::ShortFormat);
            row->changedMessage =
                translate("%1 saved a newer version on the platform (%2). Choose Overwrite to "
                          "replace it with yours.")
                    .arg(recordProperty(answer, kKeyModifiedBy), when);
            row->existsOnServer = true;
            row->hasError = true;
            reasons.append(translate("%1 was changed on the platform by %2 (%3).")
                               .arg(file, recordProperty(answer, kKeyModifiedBy), when));
        }
    }
    return reasons;
}
