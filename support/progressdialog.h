#pragma once

#include <QDialog>

class AurexJob;
class QLabel;
class QTimer;

// The modal "Please wait" box shown around long platform calls. Its label gains a dot every
// half second, cycling through one, two, three and no dots.
class ProgressDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressDialog(QWidget *parent = nullptr);

    QString text() const;

    // A box over parent that shows while job runs and goes (deleted) with its result; Escape
    // cancels the job, and a Cancel button comes when the job takes longer than a moment.
    static ProgressDialog *showFor(QWidget *parent, AurexJob *job);

public slots:
    void update();

private:
    QLabel *m_label;
    QTimer *m_timer;
    int m_dots = 1;
};
