#include "downloadthread.h"

#include "localchangesguard.h"
#include "openlogging.h"
#include "referencerepair.h"

#include "connector/filetype.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <lintraaurexconnectorwrapper.h>

#include <QMutexLocker>

DownloadThread::DownloadThread(OdDbHostAppServices *services, const CFxDocumentManager *documents,
                               QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_documents(documents)
{
    qRegisterMetaType<DownloadReport>();
}

void DownloadThread::setDownload(RecordList records, const QString &targetPath,
                                 const QString &tenant)
{
    QMutexLocker locker(&m_mutex);
    m_records = std::move(records);
    m_targetPath = targetPath;
    m_tenant = tenant;
}

void DownloadThread::Download()
{
    QMutexLocker locker(&m_mutex);
    const DownloadReport report = run();
    emit downloadReported(report);
    emit DownloadFinished();
}

DownloadReport DownloadThread::run()
{
    DownloadReport report;
    if (m_records.empty())
        return report;
    LocalChangesGuard guard;
    {
        // Held only while copies are made: the database's lock must not be held across the
        // transfer, which the main thread's own uses of the database would wait for.
        const FileDatabase database(m_tenant);
        if (!guard.keepAside(database, m_records.records())) {
            guard.finish();
            report.failed = true;
            report.details.append(guard.errorString());
            return report;
        }
    }
    const std::vector<std::string> failures =
        LintraAurexConnectorWrapper::GetInstance()->Download_Block(m_records.records());
    for (const LocalChangesGuard::KeptCopy &kept : guard.finish()) {
        report.replacedLocalFiles.append(kept.original);
        report.keptCopies.append(kept.copy);
    }
    if (!failures.empty()) {
        report.failed = true;
        for (const std::string &failure : failures)
            report.details.append(QString::fromStdString(failure));
        qCWarning(lcOpen).noquote() << "download failed:" << report.details.join(QLatin1String("; "));
        return report;
    }
    recordAndRepair(&report);
    return report;
}

void DownloadThread::recordAndRepair(DownloadReport *report)
{
    QStringList fileNames;
    {
        FileDatabase database(m_tenant);
        for (const FzFileInfo *record : m_records) {
            recordDownloadedFile(database, *record);
            fileNames.append(recordProperty(*record, kKeyFileName));
        }
        if (!database.save())
            report->problem = tr("The downloaded files could not be recorded: %1")
                                  .arg(database.errorString());
    }
    // Only drawings store reference paths; a downloaded image or PDF is opened as it is.
    if (!isDrawingPath(m_targetPath))
        return;
    ReferenceRepair repair(m_services, m_documents);
    const QString folder = recordProperty(*m_records.at(0), kKeyLocalDownloadFolder);
    // One repair for all files re-points what one repair per file would, but reads and writes
    // each drawing once instead of once per downloaded file.
    if (!repair.repair(m_targetPath, fileNames, folder)) {
        const QString text = tr("The references of %1 could not all be updated:\n%2")
                                 .arg(m_targetPath, repair.errorString());
        report->problem = report->problem.isEmpty() ? text : report->problem + '\n' + text;
    }
}
