#pragma once

#include "downloadthread.h"

#include "connector/recordlist.h"

#include <QDialog>
#include <QString>

class ProgressDialog;

namespace Ui {
class OpenFromCollaborativeSpace;
}

// The download-options dialog of one open: how local copies of the drawing's files are treated
// (update only the ones present, overwrite all, use only local files). Created by the open
// dialog as its child for one open, run modally when some file is present locally, else never
// shown (the download starts at once). Main thread; each download runs a DownloadThread on a
// QThread of its own.
class OpenFromCollaborativeSpace : public QDialog
{
    Q_OBJECT

public:
    explicit OpenFromCollaborativeSpace(QWidget *parent = nullptr);
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
    ProgressDialog *m_progress;
    RecordList m_records;
    QString m_targetPath;
    DownloadReport m_report;
};
