#pragma once

#include "downloadthread.h"

#include "connector/recordlist.h"

#include <QDialog>
#include <QString>

class AurexPlatform;

namespace Ui {
class OpenFromCollaborativeSpace;
}

// The download-options dialog of one open: how local copies of the drawing's files are treated
// (update only the ones present, overwrite all, use only local files). Created by the open
// dialog as its child for one open, run modally when some file is present locally, else never
// shown (the download starts at once). Main thread; each download is a DownloadThread job,
// during which a please-wait box covers the dialog (Escape cancels the download).
class OpenFromCollaborativeSpace : public QDialog
{
    Q_OBJECT

public:
    // platform outlives the dialog; tenant: whose file database records the files.
    OpenFromCollaborativeSpace(AurexPlatform *platform, const QString &tenant,
                               QWidget *parent = nullptr);
    ~OpenFromCollaborativeSpace() override;

    // The drawing and everything it references, each with "_LOCALDOWNLOADFOLDER" and, for a
    // copy present locally, "_LOCALTIMESTAMP".
    void setRecords(RecordList records);
    // The drawing to open afterwards: download folder + "\" + title.
    void setTargetPath(const QString &targetPath);

public slots:
    void UseLatestFromLocalAndCSSlot();
    void OverwriteAllLocalSlot();
    void UseLocalOnlySlot();
    void DialogCancelledSlot();
    void DownloadFinishedSlot();

signals:
    // The download ended and its outcome was shown; the target has been handed to the host.
    void downloadDone();

private:
    void startDownload(RecordList records);
    void finish();
    void tellUser(const DownloadReport &report);

    Ui::OpenFromCollaborativeSpace *m_ui;
    AurexPlatform *m_platform;
    QString m_tenant;
    RecordList m_records;
    QString m_targetPath;
    DownloadReport m_report;
};
