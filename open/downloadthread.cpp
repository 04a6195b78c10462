#include "downloadthread.h"

#include "localchangesguard.h"
#include "openlogging.h"
#include "diskwork.h"
#include "referencerepair.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include "faults/faultpoint.h"

#include <fzfileinfo.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QVector>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

#include <unistd.h>

namespace {

QString megabytes(qint64 bytes)
{
    return QString::number((bytes + (1 << 20) - 1) >> 20);
}

// A copy present locally that is exactly the platform's version: it is not fetched again.
bool isCurrentLocally(const FzFileInfo &record)
{
    const QString stamp = recordProperty(record, kKeyFileModified);
    return !stamp.isEmpty() && recordProperty(record, kKeyLocalTimestamp) == stamp
           && QFileInfo(localCopyPath(recordProperty(record, kKeyLocalDownloadFolder),
                                      recordTitle(record)))
                  .isFile();
}

// Fetches each record's bytes as of the "revision" it carries into its folder. One line per
// file that did not arrive; the first failure ends the transfer.
QStringList downloadVersions(AurexPlatform *platform, const RecordList &records,
                             JobControl &control)
{
    for (FzFileInfo *record : records) {
        const QString title = recordTitle(*record);
        const int revision = recordProperty(*record, kKeyRevision).toInt();
        if (control.isCancelled()
            || platform->downloadVersion(*record, revision,
                                         recordProperty(*record, kKeyLocalDownloadFolder), title,
                                         &control)
                   .isEmpty())
            return {DownloadThread::tr("%1 as of version %2 did not arrive.")
                        .arg(title)
                        .arg(revision)};
        setRecordProperty(*record, kKeyFileName, title);
        control.addProcessed(1, 0);
    }
    return {};
}

// The folders a download makes for its files, removed again (when empty) if it does not
// complete.
class MadeFolders
{
    Q_DECLARE_TR_FUNCTIONS(DownloadThread)

public:
    bool make(const QString &folder, QString *error)
    {
        QStringList missing;
        for (QDir dir(folder); !dir.exists(); dir.setPath(QFileInfo(dir.path()).path()))
            missing.prepend(dir.path());
        if (!QDir().mkpath(folder)) {
            *error = tr("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder));
            return false;
        }
        m_made += missing;
        return true;
    }
    // Innermost first; a folder that holds anything stays.
    void removeIfEmpty()
    {
        for (auto it = m_made.crbegin(); it != m_made.crend(); ++it)
            QDir().rmdir(*it);
        m_made.clear();
    }

private:
    QStringList m_made;
};

// Fetches the records into hidden folders beside their places and moves them into place only
// when every one has arrived. Whatever is left in the hidden folders goes with this object.
class StagedTransfer
{
    Q_DECLARE_TR_FUNCTIONS(DownloadThread)

public:
    // asOfRevision: each record's bytes as of the revision it carries, not the current ones.
    StagedTransfer(const RecordList &records, bool asOfRevision)
        : m_records(records)
        , m_asOfRevision(asOfRevision)
    {
    }

    // The files fetch() asked the platform for.
    int stagedCount() const { return m_staged.size(); }

    // The hidden folder where the files of folder wait to take their places, "" when none of
    // them was fetched.
    QString stagingFolderOf(const QString &folder) const
    {
        const auto found = m_folders.constFind(folder);
        return found == m_folders.constEnd() ? QString() : found.value()->path();
    }

    // The name of each record's file once every one has arrived, in the records' order.
    QStringList fileNames() const
    {
        QHash<const FzFileInfo *, const FzFileInfo *> copies;
        for (const Staged &staged : m_staged)
            copies.insert(staged.record, staged.copy);
        QStringList names;
        for (const FzFileInfo *record : m_records)
            names.append(recordProperty(*copies.value(record, record), kKeyFileName));
        return names;
    }

    // Once every file has arrived in its hidden folder, beforeMove may rewrite them there (false
    // with *failures when a file no longer holds what it should); then they take their places.
    // False with *failures when not every file arrived, the transfer was cancelled, beforeMove
    // failed, or a file could not be moved into place before any was.
    bool fetch(AurexPlatform *platform, JobControl &control, QStringList *failures,
               const std::function<bool(const StagedTransfer &, QStringList *)> &beforeMove)
    {
        qint64 bytes = 0;
        for (const FzFileInfo *record : m_records)
            bytes += recordProperty(*record, kKeySize).toLongLong();
        control.setTotals(qint64(m_records.size()), bytes);
        RecordList fetched;
        QHash<QString, qint64> needed; // bytes to come, by folder
        for (FzFileInfo *record : m_records) {
            if (isCurrentLocally(*record)) {
                setRecordProperty(*record, kKeyFileName, recordTitle(*record));
                control.addProcessed(1, recordProperty(*record, kKeySize).toLongLong());
                continue;
            }
            QString error;
            const QString staging =
                stagingFolder(recordProperty(*record, kKeyLocalDownloadFolder), &error);
            if (staging.isEmpty()) {
                failures->append(tr("%1: no temporary folder can be made beside it: %2")
                                     .arg(recordTitle(*record), error));
                return false;
            }
            FzFileInfo *copy = fetched.addCopy(*record);
            setRecordProperty(*copy, kKeyLocalDownloadFolder, staging);
            // The working copy of the version before: only the chunks it lacks travel.
            setRecordProperty(*copy, kKeyLocalBasis,
                              localCopyPath(recordProperty(*record, kKeyLocalDownloadFolder),
                                            recordTitle(*record)));
            m_staged.append(Staged{record, copy});
            needed[recordProperty(*record, kKeyLocalDownloadFolder)] +=
                recordProperty(*record, kKeySize).toLongLong();
        }
        if (!checkFreeSpace(needed, failures))
            return false;
        *failures = m_asOfRevision ? downloadVersions(platform, fetched, control)
                                   : platform->download(fetched, &control);
        if (!failures->isEmpty() || control.isCancelled())
            return false;
        if (FaultPoint::fails("download.arrived")) {
            failures->append(FaultPoint::failureText("download.arrived"));
            return false;
        }
        return beforeMove(*this, failures) && moveIntoPlace(failures);
    }

private:
    struct Staged
    {
        FzFileInfo *record;
        FzFileInfo *copy; // owned by fetch()'s list while it runs
    };

    QString stagingFolder(const QString &folder, QString *error)
    {
        if (folder.isEmpty()) {
            *error = tr("no download folder");
            return QString();
        }
        auto found = m_folders.find(folder);
        if (found == m_folders.end()) {
            auto dir = std::make_shared<QTemporaryDir>(stagingFolderPattern(folder));
            if (!dir->isValid()) {
                *error = dir->errorString();
                return QString();
            }
            found = m_folders.insert(folder, dir);
        }
        return found.value()->path();
    }

    // Whether each folder has room for what comes into it; else one line per folder that lacks
    // it.
    static bool checkFreeSpace(const QHash<QString, qint64> &needed, QStringList *failures)
    {
        for (auto it = needed.cbegin(); it != needed.cend(); ++it) {
            const QStorageInfo storage(it.key());
            if (!storage.isValid() || storage.bytesAvailable() >= it.value())
                continue;
            failures->append(tr("Not enough space in %1: %2 MB needed, %3 MB free.")
                                 .arg(QDir::toNativeSeparators(it.key()))
                                 .arg(megabytes(it.value()))
                                 .arg(megabytes(storage.bytesAvailable())));
        }
        return failures->isEmpty();
    }

    bool moveIntoPlace(QStringList *failures)
    {
        // Every file is on the disk before any takes its place: a crash in between leaves the
        // old copies, never a name with missing bytes behind it.
        const QVector<QString> unflushed = onDiskThreads(m_staged.size(), [this](int i) {
            QFile file(downloadedFilePath(*m_staged.at(i).copy));
            if (!file.open(QIODevice::ReadWrite))
                return file.errorString();
            if (::fsync(file.handle()) != 0)
                return QString::fromLocal8Bit(std::strerror(errno));
            return QString();
        });
        for (int i = 0; i < m_staged.size(); ++i) {
            if (!unflushed.at(i).isEmpty()) {
                failures->append(tr("%1 could not be written to the disk: %2")
                                     .arg(downloadedFilePath(*m_staged.at(i).copy),
                                          unflushed.at(i)));
                return false;
            }
        }
        for (const Staged &staged : qAsConst(m_staged)) {
            const QString folder = recordProperty(*staged.record, kKeyLocalDownloadFolder);
            const QString from = downloadedFilePath(*staged.copy);
            const QString to = localCopyPath(folder, recordProperty(*staged.copy, kKeyFileName));
            // rename() replaces the old copy in one step: a reader sees the old or the new file.
            if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData())
                != 0) {
                failures->append(tr("%1 could not be moved into place: %2")
                                     .arg(to, QString::fromLocal8Bit(std::strerror(errno))));
                return false;
            }
            if (FaultPoint::fails("download.moved")) {
                failures->append(FaultPoint::failureText("download.moved"));
                return false;
            }
            *staged.record = *staged.copy;
            setRecordProperty(*staged.record, kKeyLocalDownloadFolder, folder);
        }
        return true;
    }

    const RecordList &m_records;
    const bool m_asOfRevision;
    QHash<QString, std::shared_ptr<QTemporaryDir>> m_folders;
    QList<Staged> m_staged;
};

} // namespace

struct DownloadThread::Work
{
    AurexPlatform *platform;
    OdDbHostAppServices *services;
    const CFxDocumentManager *documents;
    QMutex mutex; // serialises runs of one download and guards the members below
    RecordList records;
    QString targetPath;
    QString tenant;
    bool earlierVersion = false;
    DownloadReport report;

    QString run(JobControl &control);
    // Brings the files of an earlier version into their own folder.
    bool fetchEarlierVersion(JobControl &control, QStringList *failures);
    // Re-points the stored paths of the drawings that wait in the transfer's hidden folder at
    // their places, before they take them. Notes when the files had all arrived. False with
    // *failures when a waiting drawing could not be written: it must not take its place.
    bool repairStaged(const StagedTransfer &transfer, QStringList *failures);
    // Notes the arrived files in the file database.
    void record();

    qint64 arrivedBeforeMs = 0;
};

DownloadThread::DownloadThread(AurexPlatform *platform, OdDbHostAppServices *services,
                               const CFxDocumentManager *documents, QObject *parent)
    : AurexJob(parent)
    , m_work(std::make_shared<Work>())
{
    qRegisterMetaType<DownloadReport>();
    m_work->platform = platform;
    m_work->services = services;
    m_work->documents = documents;
    setWork([work = m_work](JobControl &control) { return work->run(control); });
    connect(this, &AurexJob::result, this, &DownloadThread::reportResult);
}

DownloadThread::~DownloadThread() = default;

QStringList DownloadReport::keptCopyLines() const
{
    QStringList lines;
    for (int i = 0; i < keptCopies.size(); ++i) {
        lines << DownloadThread::tr("Your changes to %1 were kept in %2.")
                     .arg(QDir::toNativeSeparators(replacedLocalFiles.value(i)),
                          QDir::toNativeSeparators(keptCopies.at(i)));
    }
    return lines;
}

void DownloadThread::setDownload(RecordList records, const QString &targetPath,
                                 const QString &tenant)
{
    QMutexLocker locker(&m_work->mutex);
    m_work->records = std::move(records);
    m_work->targetPath = targetPath;
    m_work->tenant = tenant;
    m_work->earlierVersion = false;
}

void DownloadThread::setEarlierVersion(RecordList records, const QString &targetPath)
{
    QMutexLocker locker(&m_work->mutex);
    m_work->records = std::move(records);
    m_work->targetPath = targetPath;
    m_work->tenant.clear();
    m_work->earlierVersion = true;
}

void DownloadThread::Download()
{
    start();
}

void DownloadThread::workSucceeded()
{
    QMutexLocker locker(&m_work->mutex);
    m_report = m_work->report;
}

void DownloadThread::reportResult()
{
    if (error() == KilledError || error() == TimedOutError) {
        // The work may still be finishing; it undoes what it did by itself.
        m_report = DownloadReport();
        m_report.failed = true;
        m_report.cancelled = error() == KilledError;
        m_report.details.append(errorString());
    } else if (error() != NoError) {
        QMutexLocker locker(&m_work->mutex);
        m_report = m_work->report;
    }
    emit downloadReported(m_report);
    emit DownloadFinished();
}

QString DownloadThread::Work::run(JobControl &control)
{
    QMutexLocker locker(&mutex);
    report = DownloadReport();
    if (records.empty())
        return QString();
    if (earlierVersion) {
        QStringList failures;
        if (!fetchEarlierVersion(control, &failures)) {
            report.failed = true;
            report.cancelled = control.isCancelled();
            report.details = failures;
            return failures.isEmpty() ? tr("Cancelled.") : failures.join(QLatin1Char('\n'));
        }
        return QString();
    }
    LocalChangesGuard guard;
    {
        // Held only while copies are made: the database's lock must not be held across the
        // transfer, which the main thread's own uses of the database would wait for.
        const FileDatabase database(tenant);
        if (!guard.keepAside(database, records.records())) {
            guard.finish();
            report.failed = true;
            report.details.append(guard.errorString());
            return report.details.constFirst();
        }
    }
    QStringList failures;
    StagedTransfer transfer(records, false);
    const bool arrived = transfer.fetch(
        platform, control, &failures,
        [this](const StagedTransfer &t, QStringList *failed) { return repairStaged(t, failed); });
    for (const LocalChangesGuard::KeptCopy &kept : guard.finish()) {
        report.replacedLocalFiles.append(kept.original);
        report.keptCopies.append(kept.copy);
    }
    if (!arrived) {
        report.failed = true;
        report.cancelled = control.isCancelled();
        report.details = failures;
        qCWarning(lcOpen).noquote() << "download failed:" << failures.join(QLatin1String("; "));
        return failures.isEmpty() ? tr("Cancelled.") : failures.join(QLatin1Char('\n'));
    }
    report.downloadedFiles = transfer.stagedCount();
    record();
    return QString();
}

bool DownloadThread::Work::fetchEarlierVersion(JobControl &control, QStringList *failures)
{
    MadeFolders made;
    bool arrived = true;
    {
        StagedTransfer transfer(records, true);
        for (const FzFileInfo *record : records) {
            QString error;
            if (!made.make(recordProperty(*record, kKeyLocalDownloadFolder), &error)) {
                failures->append(error);
                arrived = false;
                break;
            }
        }
        arrived = arrived
                  && transfer.fetch(platform, control, failures,
                                    [this](const StagedTransfer &t, QStringList *failed) {
                                        return repairStaged(t, failed);
                                    });
        if (arrived)
            report.downloadedFiles = transfer.stagedCount();
    }
    // The hidden folders went with the transfer: what is left of a failed one is empty.
    if (!arrived) {
        made.removeIfEmpty();
        qCWarning(lcOpen).noquote() << "download of an earlier version failed:"
                                    << failures->join(QLatin1String("; "));
    }
    return arrived;
}

bool DownloadThread::Work::repairStaged(const StagedTransfer &transfer, QStringList *failures)
{
    // Every file has arrived: one not modified since (by the repair) holds the bytes the
    // connector checked as they came.
    arrivedBeforeMs = QDateTime::currentMSecsSinceEpoch();
    // Only drawings store reference paths; a downloaded image or PDF is opened as it is. The
    // repair comes before the file database notes the bytes it leaves, which are then the
    // platform's version of each file as far as local changes go.
    if (!isDrawingPath(targetPath))
        return true;
    ReferenceRepair repair(services, documents);
    const QString folder = recordProperty(*records.at(0), kKeyLocalDownloadFolder);
    // One repair for all files re-points what one repair per file would, but reads and writes
    // each drawing once instead of once per downloaded file.
    if (repair.repair(targetPath, transfer.fileNames(), folder, transfer.stagingFolderOf(folder)))
        return true;
    const QString text = tr("The references of %1 could not all be updated:\n%2")
                             .arg(targetPath, repair.errorString());
    if (!repair.spoiledFiles().isEmpty()) {
        failures->append(text);
        return false;
    }
    report.problem = text;
    return true;
}

void DownloadThread::Work::record()
{
    FileDatabase database(tenant);
    for (const FzFileInfo *record : records)
        recordDownloadedFile(database, *record, arrivedBeforeMs);
    const bool recorded = database.save();
    if (recorded && FaultPoint::fails("download.recorded"))
        report.problem = FaultPoint::failureText("download.recorded");
    if (!recorded) {
        const QString text = tr("The downloaded files could not be recorded: %1")
                                 .arg(database.errorString());
        report.problem = report.problem.isEmpty() ? text : text + '\n' + report.problem;
    }
}
