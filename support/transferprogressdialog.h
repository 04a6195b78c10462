#pragma once

#include <QDialog>
#include <QElapsedTimer>

class AurexJob;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a download or a check-in: a bar, the file on its way, "N of M files, X of
// Y MB", the time left, and a Cancel button that stops the transfer. Shown over the dialog that
// started the job and gone (deleted) with the job's result; not modal to the host, which keeps
// painting and answering, but to that dialog. Main thread.
class TransferProgressDialog : public QDialog
{
    Q_OBJECT

public:
    TransferProgressDialog(AurexJob *job, QWidget *parent);

    // A box over parent for job, shown at once.
    static TransferProgressDialog *showFor(QWidget *parent, AurexJob *job);

    QString fileText() const;
    QString amountText() const;

private:
    void update();

    AurexJob *m_job;
    QProgressBar *m_bar;
    QLabel *m_file;
    QLabel *m_amounts;
    QLabel *m_timeLeft;
    QPushButton *m_cancel;
    QElapsedTimer m_clock;
};
