#pragma once

#include "connector/recordlist.h"
#include "support/aurexjob.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <memory>

class AurexPlatform;
class CFxDocumentManager;
class OdDbHostAppServices;

// What one download came to, for the dialog that started it.
struct DownloadReport
{
    // The transfer failed or was cancelled: no file in the download folder and nothing in the
    // file database changed. details says why, per file.
    bool failed = false;
    bool cancelled = false;
    QStringList details;
    // Local files holding work the platform did not have that were replaced, each with the
    // copy kept beside it.
    QStringList replacedLocalFiles;
    QStringList keptCopies;
    // After a good transfer: what went wrong recording or repairing the files, or "".
    QString problem;
    // Files that came from the platform; the others were current here already.
    int downloadedFiles = 0;

    // One line for the command line per local file replaced: where its changes were kept.
    QStringList keptCopyLines() const;
};
Q_DECLARE_METATYPE(DownloadReport)

// Downloads the records of one open into their folder, records each file in the file database
// and repairs the reference paths of the downloaded drawings: a job whose work runs on a thread
// of its own. The files arrive in a hidden folder beside their place and are moved into place
// only when every one has arrived, so a failed or cancelled download leaves the folder and the
// file database as they were. The job object lives on the main thread, where its signals come.
class DownloadThread : public AurexJob
{
    Q_OBJECT

public:
    // platform, services (read the downloaded drawings for their repair) and documents (may be
    // null: which drawings the host has open, which are left alone) outlive the work.
    DownloadThread(AurexPlatform *platform, OdDbHostAppServices *services,
                   const CFxDocumentManager *documents, QObject *parent = nullptr);
    ~DownloadThread() override;

    // Takes the records (each with its "_LOCALDOWNLOADFOLDER"), the drawing to repair and open
    // afterwards, and the tenant whose file database records the files. Call before Download.
    void setDownload(RecordList records, const QString &targetPath, const QString &tenant);
    // Instead: the files of an earlier version of a drawing, each at the "revision" it carries,
    // into a folder of their own (their "_LOCALDOWNLOADFOLDER", made when missing and removed
    // again when the download does not complete). They are not the working copy: nothing is
    // kept aside and nothing is recorded in the file database.
    void setEarlierVersion(RecordList records, const QString &targetPath);
    // The outcome, once result() has come.
    DownloadReport report() const { return m_report; }

public slots:
    // Starts the job.
    void Download();

signals:
    // Emitted with the result, just before DownloadFinished.
    void downloadReported(const DownloadReport &report);
    void DownloadFinished();

private:
    struct Work;
    void workSucceeded() override;
    void reportResult();

    std::shared_ptr<Work> m_work;
    DownloadReport m_report;
};
