#pragma once

#include <QDialog>
#include <QTemporaryDir>

#include <memory>

class SaveDialogTreeDelegate;
class SaveDialogTreeModel;
class SaveDialogTreeView;
class SaveSet;

namespace Ui {
class SaveToCSDialog;
}

// Saves the active drawing and everything it references to a collaborative space. Built per
// use without parent (it deletes itself when closed): it saves the drawing to disk, collects
// its files, asks the platform about them and proposes an action per file; Save checks the
// rows, then sends them in one check-in and records the result in the file database. Main
// thread.
class SaveToCSDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SaveToCSDialog(QWidget *parent = nullptr);
    ~SaveToCSDialog() override;

    // What the save command and the task pane's save button do: a new dialog titled "Save to
    // Collaborative Space" without the add-text row, shown without waiting for it.
    static SaveToCSDialog *showForActiveDrawing();

    // The add-text row: label, prefix/suffix choice, text and its button.
    void setAddTextRowVisible(bool visible);

    SaveSet *saveSet() const { return m_set.get(); }
    SaveDialogTreeModel *model() const { return m_model; }

private slots:
    void SavePushButtonClicked();
    void ChangeAllTreeItemName();
    void currentIndexChangedSlot(const QString &space);
    void CheckForDuplicatesSlot();
    void HelpPushButtonClicked();
    void ResetSlot();

private:
    void buildRows();
    void fillSpaces();
    // Recounts the rows and shows the error label when some row to save is in error.
    void updateErrorLabel();
    void showUploadError(const QString &details);

    Ui::SaveToCSDialog *m_ui;
    SaveDialogTreeView *m_view;
    SaveDialogTreeDelegate *m_delegate;
    SaveDialogTreeModel *m_model = nullptr;
    std::unique_ptr<SaveSet> m_set;
    QTemporaryDir m_previewFolder;
    QString m_tenant;
    QString m_currentUser;
    bool m_firstSelection = true;
};
