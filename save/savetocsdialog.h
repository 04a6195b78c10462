#pragma once

#include "sharedfilenotes.h"

#include <QDialog>
#include <QUuid>
#include <QTemporaryDir>

#include <memory>

class AurexPlatform;
class DialogJobs;
class JobSequence;
class QLabel;
class QLineEdit;
class ReferenceTree;
class SaveCheckIn;
class SaveDialogTreeDelegate;
class SaveDialogTreeModel;
class SaveDialogTreeView;
class SaveSet;
class ShowAurexTaskPane;

namespace Ui {
class SaveToCSDialog;
}

// Saves the active drawing and everything it references to a collaborative space. Built per
// use without parent (it deletes itself when closed): it saves the drawing to disk, collects
// its files, asks the platform about them and proposes an action per file; Save checks the
// rows, then sends them in one check-in and records the result in the file database. Main
// thread; the platform's answers come from jobs, during which a please-wait box covers the
// dialog and the event loop runs on (no call waits inside the dialog's slots). Made while the
// user works offline, it asks the file database instead of the platform and Save puts the save
// into the outbox.
class SaveToCSDialog : public QDialog
{
    Q_OBJECT

public:
    // The session outlives the dialog, which asks the platform it hands out when the dialog is
    // made (the file database's knowledge while the user works offline).
    explicit SaveToCSDialog(ShowAurexTaskPane *session, QWidget *parent = nullptr);
    ~SaveToCSDialog() override;

    // What the save command and the task pane's save button do: a new dialog for the session,
    // titled "Save to Collaborative Space",
    // without the add-text row. It shows once its rows are there (the please-wait box shows
    // meanwhile); nothing here waits for it. Null, with a box that says why, when the active
    // drawing is an earlier version opened from a file's history.
    static SaveToCSDialog *showForActiveDrawing(ShowAurexTaskPane *session);

    // The add-text row: label, prefix/suffix choice, text and its button.
    void setAddTextRowVisible(bool visible);

    // The rows; empty until the platform's details of the files have come.
    SaveSet *saveSet() const { return m_set.get(); }
    // A job of the dialog runs (details, duplicate check or check-in).
    bool isBusy() const;
    SaveDialogTreeModel *model() const { return m_model; }

signals:
    // The rows are built: the platform's details of the files have come.
    void rowsShown();

private slots:
    void SavePushButtonClicked();
    void ChangeAllTreeItemName();
    void currentIndexChangedSlot(const QString &space);
    void CheckForDuplicatesSlot();
    void HelpPushButtonClicked();
    void ResetSlot();

private:
    // Saves the active drawing in the host; its path, or "" when nothing was saved.
    static QString saveActiveDrawing();
    void buildRows(const QString &savedPath);
    void rowsNotBuilt(const QString &reason);
    void showError(const QString &reason);
    void showRows();
    // Sizes the columns to what their header and cells show.
    void fitColumns();
    // Tells the view every row changed, which brings the error label up to date too.
    void refreshRows();
    // Checks the rows' titles against the platform; then checks in when asked to.
    // Adds the duplicate check to flow; the rows show what it found.
    void checkDuplicates(JobSequence *flow);
    // Working offline: puts the save into the outbox instead.
    void queueCheckIn();
    void fillSpaces(const QStringList &spaces);
    // Asks the platform about the tree's files, then shows the rows.
    // Recounts the rows and shows the error label when some row to save is in error.
    void updateErrorLabel();
    void showUploadError(const QString &details);

    Ui::SaveToCSDialog *m_ui;
    AurexPlatform *m_platform; // the session's when the dialog was made
    bool m_offline = false;
    ShowAurexTaskPane *m_session;
    SaveDialogTreeView *m_view;
    SaveDialogTreeDelegate *m_delegate;
    DialogJobs *m_jobs;
    QLineEdit *m_comment; // what the user says of the changes, sent with the check-in
    // This save's key for the platform: pressing Save again after an answer was lost on the
    // way stores nothing twice.
    const QString m_saveKey = QUuid::createUuid().toString(QUuid::WithoutBraces);
    SaveDialogTreeModel *m_model = nullptr;
    std::unique_ptr<SaveSet> m_set;
    QTemporaryDir m_previewFolder;
    QString m_tenant;
    QString m_currentUser;
    bool m_firstSelection = true;
    QString m_errorText; // the error line's sentence, from the layout
    // What the save would change that other drawings use too, and the line that says it.
    SharedFileNotes m_sharedNotes;
    QLabel *m_sharedLabel = nullptr;
};
