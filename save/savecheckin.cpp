#include "savecheckin.h"

#include "checkinrecords.h"
#include "savelogging.h"
#include "saveset.h"
#include "savetranslation.h"
#include "savetreeitem.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/platformstamp.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include <QDateTime>
#include <QDir>
#include <QLocale>

namespace {

void collectNamed(SaveTreeItem *row, QList<SaveTreeItem *> *rows)
{
    for (const auto &child : row->children()) {
        if (child->action != SaveAction::DoNotSave && !child->name.isEmpty())
            rows->append(child.get());
        collectNamed(child.get(), rows);
    }
}

// The rows that carry a platform name, top first, in the same order for a tree and its copy.
QList<SaveTreeItem *> namedRows(SaveTreeItem *top)
{
    QList<SaveTreeItem *> rows;
    if (top && top->action != SaveAction::DoNotSave && !top->name.isEmpty())
        rows.append(top);
    if (top)
        collectNamed(top, &rows);
    return rows;
}

} // namespace

// What the work runs on and leaves behind; the job reads it after the work ended.
struct SaveCheckIn::Work
{
    AurexPlatform *platform;
    QString tenant;
    QString previewFolder;
    std::unique_ptr<SaveTreeItem> rows; // a copy of the dialog's rows
    int rowsToSave = 0;
    RecordList refusalAnswers; // one details answer per named row, after a refusal

    QString run(JobControl &control);
    void recordStored(const CheckInRecords &records);
};

SaveCheckIn::SaveCheckIn(AurexPlatform *platform, const QString &tenant,
                         const QString &currentUser, const QString &previewFolder,
                         QObject *parent)
    : AurexJob(parent)
    , m_work(std::make_shared<Work>())
    , m_currentUser(currentUser)
{
    m_work->platform = platform;
    m_work->tenant = tenant;
    m_work->previewFolder = previewFolder;
    setWork([work = m_work](JobControl &control) { return work->run(control); });
}

SaveCheckIn::~SaveCheckIn() = default;

void SaveCheckIn::setRows(const SaveTreeItem &top, int rowsToSave)
{
    m_work->rows = top.clone();
    m_work->rowsToSave = rowsToSave;
}

QString SaveCheckIn::Work::run(JobControl &control)
{
    refusalAnswers.clear();
    if (!rows)
        return saveDialogText("The platform did not store the files; nothing was saved.");
    control.setTotals(rowsToSave, 0);
    const QStringList autonames = platform->autonames(rowsToSave);
    if (control.isCancelled())
        return QString();
    std::unique_ptr<CheckInRecords> records;
    FzFileInfo *topRecord = nullptr;
    {
        const FileDatabase database(tenant);
        records = std::make_unique<CheckInRecords>(database, autonames, previewFolder);
        topRecord = records->buildCheckInRecord(rows.get());
    }
    if (!topRecord)
        return records->errorString();
    if (control.isCancelled())
        return QString();
    if (platform->checkIn(topRecord, &control)) {
        // Once the platform has stored the files, they are recorded even when the job was
        // cancelled meanwhile: the file database must not miss what the platform holds.
        recordStored(*records);
        control.addProcessed(rowsToSave, 0);
        return QString();
    }
    if (control.isCancelled())
        return QString();
    for (const SaveTreeItem *row : namedRows(rows.get()))
        refusalAnswers.add(makeNameRequest(row->name, fileTypeForPath(row->path)));
    if (!refusalAnswers.empty())
        platform->details(refusalAnswers);
    return saveDialogText("The platform did not store the files; nothing was saved.");
}

void SaveCheckIn::Work::recordStored(const CheckInRecords &records)
{
    // The platform's names, stamps and ids of what it stored, written into the requests.
    RecordList lookups = records.buildNameLookupRecords();
    if (!lookups.empty() && !platform->details(lookups))
        qCDebug(lcSave) << "check-in: the state of some saved files could not be read";
    const QMap<QString, QString> paths = records.nameToPath();
    FileDatabase database(tenant);
    for (const FzFileInfo *record : lookups) {
        const QString phid = recordProperty(*record, kKeyPhid);
        if (phid.isEmpty())
            continue;
        const QString name = recordProperty(*record, kKeyName);
        database.recordExchange(FileDatabase::keyForPath(paths.value(name)), phid, name,
                                recordProperty(*record, kKeyFileModified),
                                recordProperty(*record, kKeyType));
    }
}

QStringList SaveCheckIn::explainRefusal(SaveTreeItem *top) const
{
    const QList<SaveTreeItem *> rows = namedRows(top);
    const RecordList &answers = m_work->refusalAnswers;
    QStringList reasons;
    if (isRunning() || answers.size() != std::size_t(rows.size()))
        return reasons;
    for (int i = 0; i < rows.size(); ++i) {
        SaveTreeItem *row = rows.at(i);
        const FzFileInfo &answer = *answers.at(std::size_t(i));
        const QString file = QDir::toNativeSeparators(row->path);
        const QString lockedBy = recordProperty(answer, kKeyLockedBy);
        if (!lockedBy.isEmpty() && lockedBy != m_currentUser) {
            row->lockMessage = SaveSet::lockText(lockedBy);
            row->hasError = true;
            reasons.append(saveDialogText("%1 is locked by %2.").arg(file, lockedBy));
        }
        const QString stamp = recordProperty(answer, kKeyFileModified);
        if (row->action == SaveAction::SaveChanges && !row->baseStamp.isEmpty()
            && !stamp.isEmpty() && stamp != row->baseStamp) {
            const QString when = QLocale().toString(parsePlatformStamp(stamp).toLocalTime(),
                                                    QLocale::ShortFormat);
            row->changedMessage =
                saveDialogText("%1 saved a newer version on the platform (%2). Choose "
                               "Overwrite to replace it with yours.")
                    .arg(recordProperty(answer, kKeyModifiedBy), when);
            row->existsOnServer = true;
            row->hasError = true;
            reasons.append(saveDialogText("%1 was changed on the platform by %2 (%3).")
                               .arg(file, recordProperty(answer, kKeyModifiedBy), when));
        }
    }
    return reasons;
}
