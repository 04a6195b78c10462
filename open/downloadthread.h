#pragma once

#include "connector/recordlist.h"

#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

class CFxDocumentManager;
class OdDbHostAppServices;

// What one download came to, for the dialog that started it.
struct DownloadReport
{
    // The transfer failed (nothing was recorded or repaired); details says why, per file.
    bool failed = false;
    QStringList details;
    // Local files holding work the platform did not have that were replaced, each with the
    // copy kept beside it.
    QStringList replacedLocalFiles;
    QStringList keptCopies;
    // After a good transfer: what went wrong recording or repairing the files, or "".
    QString problem;
};
Q_DECLARE_METATYPE(DownloadReport)

// Downloads the records of one open into their folder, records each file in the file database
// and repairs the reference paths of the downloaded drawings. Created per download on the main
// thread without parent, then moved to a thread of its own, where Download() runs; it reaches
// the dialog only through its queued signals.
class DownloadThread : public QObject
{
    Q_OBJECT

public:
    // services read the downloaded drawings for their repair; documents (may be null) says
    // which drawings the host has open, which are left alone. Both outlive the worker.
    DownloadThread(OdDbHostAppServices *services, const CFxDocumentManager *documents,
                   QObject *parent = nullptr);

    // Takes the records (each with its "_LOCALDOWNLOADFOLDER"), the drawing to repair and open
    // afterwards, and the tenant whose file database records the files. Call before Download.
    void setDownload(RecordList records, const QString &targetPath, const QString &tenant);

public slots:
    void Download();

signals:
    // Emitted just before DownloadFinished.
    void downloadReported(const DownloadReport &report);
    void DownloadFinished();

private:
    DownloadReport run();
    void recordAndRepair(DownloadReport *report);

    OdDbHostAppServices *m_services;
    const CFxDocumentManager *m_documents;
    QMutex m_mutex; // guards m_records, m_targetPath, m_tenant and serialises Download()
    RecordList m_records;
    QString m_targetPath;
    QString m_tenant;
};
