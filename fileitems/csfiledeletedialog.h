#pragma once

#include <QDialog>

namespace Ui {
class CSFileDeleteDialog;
}

// The confirmation asked before a file is deleted from the collaborative space. One instance for
// the whole process, created on first use and kept until it ends, so that "Don't show again in
// this session" holds for the rest of the session; main thread only.
class CSFileDeleteDialog : public QDialog
{
    Q_OBJECT

public:
    static CSFileDeleteDialog *instance();
    ~CSFileDeleteDialog() override;

    // The user asked not to be asked again.
    bool isDontShowAgainChecked() const;
    // Whether a delete may go ahead: true at once when the user asked not to be asked again,
    // else the answer of the dialog run modally.
    bool confirmDelete();

signals:
    void deleteViewItem();

public slots:
    void deleteCSFile();

private:
    CSFileDeleteDialog();

    Ui::CSFileDeleteDialog *m_ui;
};
