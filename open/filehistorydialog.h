#pragma once

#include "filehistory.h"

#include <QDialog>
#include <QString>

class AurexPlatform;
class DialogJobs;
class EarlierVersionFolder;
class FileHistoryModel;
class JobSequence;
class ShowAurexTaskPane;

namespace Ui {
class FileHistoryDialog;
}

// The history of one platform file: every version, newest first, with the one the working copy
// was made from marked, and what can be done with a version: open it for viewing (with what a
// drawing referenced at the time) in a folder of its own, restore it as the newest version and
// bring the working copy up to it, or save a copy of its bytes elsewhere. Created per use
// without parent by the task pane's and the open dialog's file menus, shown once the list has
// come, deleted when closed. Main thread; every platform call and transfer is a job under the
// please-wait or transfer box, which cancels it. Offline or signed out, it says that the
// history needs the platform.
class FileHistoryDialog : public QDialog
{
    Q_OBJECT

public:
    // The file by its platform name and title. The session outlives the dialog.
    FileHistoryDialog(ShowAurexTaskPane *session, const QString &name, const QString &title,
                      QWidget *parent = nullptr);
    ~FileHistoryDialog() override;

    // Creates the dialog for the file and shows it once its versions are listed.
    static FileHistoryDialog *showNew(ShowAurexTaskPane *session, const QString &name,
                                      const QString &title);

    FileHistoryModel *model() const { return m_model; }
    // A job of the dialog runs.
    bool isBusy() const;
    // What the dialog last told the user below the list ("" when nothing).
    QString message() const;

signals:
    // The list of versions came, or why it did not is shown.
    void listed();

public slots:
    void refresh();
    void openVersion();
    void restoreVersion();
    void saveCopy();

private:
    // The version of the selected row; its revision is 0 when none is selected.
    FileVersion selectedVersion() const;
    void updateButtons();
    void showMessage(const QString &text);
    void versionDownloaded(const EarlierVersionFolder &folder, const QStringList &missing,
                           const QString &problem);
    void restore(int revision);
    // A flow of the dialog's jobs under its boxes, gone when it ends.
    JobSequence *newFlow();
    void writeCopy(int revision, const QString &path);

    Ui::FileHistoryDialog *m_ui;
    ShowAurexTaskPane *m_session;
    AurexPlatform *m_platform; // the session's when the dialog was made
    bool m_available;          // signed in and online: the platform can be asked
    FileHistory m_history;
    FileHistoryModel *m_model;
    DialogJobs *m_jobs;
    QString m_newestStamp; // of the newest version listed: what a restore builds on
};
