#include "csfiledeletedialog.h"

#include "ui_csfiledeletedialog.h"

#include "support/keyboardaccess.h"

CSFileDeleteDialog *CSFileDeleteDialog::instance()
{
    // Lives until the process ends, with the user's "Don't show again" choice.
    static CSFileDeleteDialog *dialog = new CSFileDeleteDialog;
    return dialog;
}

CSFileDeleteDialog::CSFileDeleteDialog()
    : m_ui(new Ui::CSFileDeleteDialog)
{
    m_ui->setupUi(this);
    KeyboardAccess::install(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(size());
    connect(m_ui->continueButton, &QPushButton::clicked, this, &CSFileDeleteDialog::deleteCSFile);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CSFileDeleteDialog::~CSFileDeleteDialog()
{
    delete m_ui;
}

bool CSFileDeleteDialog::isDontShowAgainChecked() const
{
    return m_ui->dontShowAgainCheckBox->isChecked();
}

bool CSFileDeleteDialog::confirmDelete()
{
    return isDontShowAgainChecked() || exec() == QDialog::Accepted;
}

void CSFileDeleteDialog::deleteCSFile()
{
    emit deleteViewItem();
    accept();
}
