#include "dialogjobs.h"

#include "aurexjob.h"
#include "progressdialog.h"
#include "transferprogressdialog.h"

#include <QWidget>

DialogJobs::DialogJobs(QWidget *dialog)
    : QObject(dialog)
    , m_dialog(dialog)
{
}

void DialogJobs::run(AurexJob *job, std::function<void()> done, Box box)
{
    job->setParent(this);
    ++m_running;
    connect(job, &AurexJob::result, this, [this, job, done = std::move(done)] {
        --m_running;
        job->deleteLater();
        if (job->error() != AurexJob::KilledError) {
            done();
            return;
        }
        // Cancelled before the dialog showed (it waits for its job's answer to show): it will
        // not show, and one that deletes itself when closed goes.
        if (m_dialog && !m_dialog->isVisible() && m_dialog->testAttribute(Qt::WA_DeleteOnClose))
            m_dialog->deleteLater();
    });
    if (box == Transfer)
        TransferProgressDialog::showFor(m_dialog, job);
    else
        ProgressDialog::showFor(m_dialog, job);
    job->start();
}
