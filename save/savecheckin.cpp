#include "savecheckin.h"

#include "checkinrecords.h"
#include "savelogging.h"
#include "saveset.h"
#include "savedialogtext.h"
#include "savetreeitem.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/platformstamp.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "faults/faultpoint.h"
#include "workingcopy/filedatabase.h"

#include <fzfileinfo.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>

#include <future>

// What the work runs on and leaves behind; the job reads it after the work ended.
struct SaveCheckIn::Work
{
    AurexPlatform *platform;
    QString tenant;
    QString previewFolder;
    std::unique_ptr<SaveTreeItem> rows; // a copy of the dialog's rows
    int rowsToSave = 0;
    QString comment;
    QString key; // the save's key for the platform; "" for none
    // After a refusal: the platform's answer on each sent row, by the row's position.
    QList<int> refusedRows;
    RecordList refusalAnswers;
    // Of those, the rows whose bytes the platform holds already, recorded as exchanged.
    QList<int> deliveredRows;
    // After a good result: what the save did, in a line for the user.
    QString summary;

    QString run(JobControl &control);
    // Records what the platform stored, whose bytes were read from sentSinceMs on; "" when the
    // file database took it, else why not.
    QString recordStored(const CheckInRecords &records, const RecordList &stored,
                         qint64 sentSinceMs);
    void recordDelivered(const QList<SaveTreeItem *> &all);
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

void SaveCheckIn::setKey(const QString &key)
{
    m_work->key = key;
}

void SaveCheckIn::setComment(const QString &comment)
{
    m_work->comment = comment;
}

QString SaveCheckIn::Work::run(JobControl &control)
{
    refusalAnswers.clear();
    refusedRows.clear();
    deliveredRows.clear();
    if (!rows)
        return SaveDialogText::tr("The platform did not store the files; nothing was saved.");
    const QStringList autonames = platform->autonames(rowsToSave);
    if (control.isCancelled())
        return QString();
    // A platform that keeps no mapping (or predates title blocks) reads the usual tags.
    TitleBlockMapping mapping = TitleBlockMapping::usual();
    if (!platform->titleBlockMapping(&mapping))
        mapping = TitleBlockMapping::usual();
    std::unique_ptr<CheckInRecords> records;
    FzFileInfo *topRecord = nullptr;
    {
        const FileDatabase database(tenant);
        records = std::make_unique<CheckInRecords>(database, autonames, previewFolder);
        records->setTitleBlockMapping(mapping);
        topRecord = records->buildCheckInRecord(rows.get());
    }
    if (!topRecord)
        return records->errorString();
    if (!key.isEmpty())
        setRecordProperty(*topRecord, kKeyCheckInKey, key);
    // Done by the time the work returns, whichever way (the future waits as it goes).
    const std::future<void> listed =
        std::async(std::launch::async, [&records] { records->writeListedPreviews(); });
    const QList<SaveTreeItem *> all = rows->subtree();
    QSet<QString> sent;
    qint64 bytes = 0;
    int added = 0;
    for (const SaveTreeItem *row : qAsConst(all)) {
        if (CheckInRecords::isSent(row) && !sent.contains(row->path)) {
            sent.insert(row->path);
            bytes += QFileInfo(row->path).size();
            added += row->action == SaveAction::SaveAsNew ? 1 : 0;
        }
    }
    control.setTotals(sent.size(), bytes);
    control.setCurrentName(rows->displayName);
    if (control.isCancelled())
        return QString();
    // Nothing changed anywhere: the platform has every file as it is here already.
    if (records->buildNameLookupRecords().empty()) {
        summary = SaveDialogText::tr("Nothing to save: the AUREX Platform has every file as it is "
                                     "here.");
        return QString();
    }
    const qint64 sentSinceMs = QDateTime::currentMSecsSinceEpoch();
    if (FaultPoint::fails("checkin.sending"))
        return FaultPoint::failureText("checkin.sending");
    RecordList stored;
    if (platform->checkIn(topRecord, comment, &control, &stored)) {
        // As if the answer had been lost: the platform holds the files, this computer does
        // not know it yet.
        if (FaultPoint::fails("checkin.committed"))
            return FaultPoint::failureText("checkin.committed");
        // Once the platform has stored the files, they are recorded even when the job was
        // cancelled meanwhile: the file database must not miss what the platform holds.
        const QString recorded = recordStored(*records, stored, sentSinceMs);
        if (recorded.isEmpty() && FaultPoint::fails("checkin.recorded"))
            return FaultPoint::failureText("checkin.recorded");
        const int files = sent.size();
        const QString saved = files == 1 ? SaveDialogText::tr("Saved 1 file")
                                         : SaveDialogText::tr("Saved %1 files").arg(files);
        summary = SaveDialogText::tr("%1 to %2 (%3 new, %4 changed).")
                      .arg(saved, rows->collabSpace)
                      .arg(added)
                      .arg(files - added);
        // The platform reports the bytes it moves, or some of them.
        const qint64 reported = control.progress().processedBytes;
        control.addProcessed(sent.size(), qMax<qint64>(0, bytes - reported));
        return recorded;
    }
    if (control.isCancelled())
        return QString();
    // The platform's own reason (a role that may not save, a file in the trash), asked before
    // the details query below makes a call of its own.
    const QString platformSaid = platform->lastRefusal();
    for (int i = 0; i < all.size(); ++i) {
        const SaveTreeItem *row = all.at(i);
        if (!CheckInRecords::isSent(row) || row->name.isEmpty())
            continue;
        refusedRows.append(i);
        refusalAnswers.add(makeNameRequest(row->name, fileTypeForPath(row->path)));
    }
    QString refused =
        SaveDialogText::tr("The platform did not store the files; nothing was saved.");
    if (!platformSaid.isEmpty())
        refused += QLatin1Char('\n') + platformSaid;
    // No answer to the question why, and no reason given: the platform may be gone altogether.
    // (A new file's reserved name has no details yet, so the question fails for it alone.)
    if (!refusalAnswers.empty() && !platform->details(refusalAnswers) && platformSaid.isEmpty())
        return platform->failureText(refused);
    recordDelivered(all);
    return refused;
}

QString SaveCheckIn::summary() const
{
    return m_work->summary;
}

QString SaveCheckIn::Work::recordStored(const CheckInRecords &records, const RecordList &stored,
                                        qint64 sentSinceMs)
{
    // The platform's names, stamps and ids of what it stored: the check-in's answer has them.
    // Only when it does not name every file sent are they asked for, written into the requests.
    RecordList lookups = records.buildNameLookupRecords();
    QHash<QString, const FzFileInfo *> answered;
    for (const FzFileInfo *record : stored) {
        if (!recordProperty(*record, kKeyPhid).isEmpty())
            answered.insert(recordProperty(*record, kKeyName), record);
    }
    QList<const FzFileInfo *> answers;
    for (const FzFileInfo *lookup : lookups)
        answers.append(answered.value(recordProperty(*lookup, kKeyName)));
    if (answers.contains(nullptr)) {
        if (!platform->details(lookups))
            qCDebug(lcSave) << "check-in: the state of some saved files could not be read";
        answers = QList<const FzFileInfo *>(lookups.begin(), lookups.end());
    }
    const QMap<QString, QString> paths = records.nameToPath();
    FileDatabase database(tenant);
    QStringList files;
    for (const FzFileInfo *record : qAsConst(answers)) {
        const QString phid = recordProperty(*record, kKeyPhid);
        if (phid.isEmpty())
            continue;
        const QString name = recordProperty(*record, kKeyName);
        const QString path = paths.value(name);
        files.append(QDir::toNativeSeparators(path));
        // The platform hashed the bytes it received: unless the file changed since they were
        // sent, they are the file's, and it need not be read a third time.
        const ContentFingerprint content = ContentFingerprint::hashedElsewhere(
            path, recordProperty(*record, kKeySha256).toLatin1(),
            recordProperty(*record, kKeySize).toLongLong(), sentSinceMs);
        database.recordExchange(FileDatabase::keyForPath(path), phid, name,
                                recordProperty(*record, kKeyFileModified),
                                recordProperty(*record, kKeyType), content);
    }
    if (database.isAvailable() && database.save())
        return QString();
    // The platform has the files, but this computer would not know it: the next save would
    // offer them as new. The user hears it instead of a success.
    qCWarning(lcSave).noquote() << "check-in stored, file database not written:"
                                << database.errorString();
    return SaveDialogText::tr("The files were saved to the platform, but the file database could "
                              "not record %1: %2")
        .arg(files.join(QLatin1String(", ")), database.errorString());
}

QList<SaveCheckIn::Refused> SaveCheckIn::refusedRows(SaveTreeItem *top) const
{
    const QList<SaveTreeItem *> all = top ? top->subtree() : QList<SaveTreeItem *>();
    const QList<int> &refused = m_work->refusedRows;
    const RecordList &answers = m_work->refusalAnswers;
    QList<Refused> rows;
    if (isRunning() || answers.size() != std::size_t(refused.size()))
        return rows;
    for (int i = 0; i < refused.size(); ++i) {
        SaveTreeItem *row = all.value(refused.at(i));
        if (!row)
            return rows; // not the rows the check-in was given
        rows.append({row, answers.at(std::size_t(i))});
    }
    return rows;
}

void SaveCheckIn::Work::recordDelivered(const QList<SaveTreeItem *> &all)
{
    // An earlier sending stored these bytes under the names the rows ask for, and its answer
    // or the host was lost before they were recorded.
    FileDatabase database(tenant);
    for (int i = 0; i < refusedRows.size(); ++i) {
        const SaveTreeItem *row = all.at(refusedRows.at(i));
        const FzFileInfo &answer = *refusalAnswers.at(std::size_t(i));
        const QString phid = recordProperty(answer, kKeyPhid);
        const QString sha256 = recordProperty(answer, kKeySha256);
        if (phid.isEmpty() || sha256.isEmpty())
            continue;
        const ContentFingerprint local = ContentFingerprint::of(row->path);
        if (local.sha256 != sha256.toLatin1())
            continue;
        database.recordExchange(FileDatabase::keyForPath(row->path), phid,
                                recordProperty(answer, kKeyName),
                                recordProperty(answer, kKeyFileModified),
                                recordProperty(answer, kKeyType), local);
        deliveredRows.append(refusedRows.at(i));
    }
    if (!deliveredRows.isEmpty() && !database.save()) {
        qCWarning(lcSave).noquote() << "delivered files not recorded:" << database.errorString();
        deliveredRows.clear();
    }
}

int SaveCheckIn::markDeliveredAlready(SaveTreeItem *top) const
{
    const QList<SaveTreeItem *> all = top ? top->subtree() : QList<SaveTreeItem *>();
    if (isRunning() || !m_work->rows || all.size() != m_work->rows->subtree().size())
        return 0; // not the rows the check-in was given
    for (const int index : qAsConst(m_work->deliveredRows)) {
        SaveTreeItem *row = all.at(index);
        if (row->action == SaveAction::SaveAsNew)
            row->action = SaveAction::SaveChanges;
        row->hasLocalChanges = false;
    }
    return m_work->deliveredRows.size();
}

QStringList SaveCheckIn::explainRefusal(SaveTreeItem *top) const
{
    QStringList reasons;
    for (const Refused &refusal : refusedRows(top)) {
        SaveTreeItem *row = refusal.row;
        const FzFileInfo &answer = *refusal.answer;
        const QString file = QDir::toNativeSeparators(row->path);
        const QString lockedBy = recordProperty(answer, kKeyLockedBy);
        if (!lockedBy.isEmpty() && lockedBy != m_currentUser) {
            row->lockMessage = SaveSet::lockText(lockedBy);
            row->hasError = true;
            reasons.append(SaveDialogText::tr("%1 is locked by %2.").arg(file, lockedBy));
        }
        const QString stamp = recordProperty(answer, kKeyFileModified);
        if (row->action == SaveAction::SaveChanges && !row->baseStamp.isEmpty()
            && !stamp.isEmpty() && stamp != row->baseStamp) {
            const QString when = QLocale().toString(parsePlatformStamp(stamp).toLocalTime(),
                                                    QLocale::ShortFormat);
            row->changedMessage =
                SaveSet::changedText(recordProperty(answer, kKeyModifiedBy), stamp);
            row->existsOnServer = true;
            row->hasError = true;
            reasons.append(SaveDialogText::tr("%1 was changed on the platform by %2 (%3).")
                               .arg(file, recordProperty(answer, kKeyModifiedBy), when));
        }
    }
    return reasons;
}
