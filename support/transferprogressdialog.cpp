#include "transferprogressdialog.h"

#include "aurexjob.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr double kKilobyte = 1024.0;
constexpr double kMegabyte = 1024.0 * 1024.0;
// The bar counts in kilobytes, so that files of several gigabytes fit its integer range.
constexpr qint64 kBarUnit = 1024;

// "X of Y MB", in kilobytes while the whole is less than a megabyte; one decimal below ten.
QString amountOf(qint64 done, qint64 total)
{
    const bool small = total < kMegabyte;
    const double unit = small ? kKilobyte : kMegabyte;
    const auto number = [unit](qint64 bytes) {
        return QString::number(bytes / unit, 'f', bytes < 10 * unit ? 1 : 0);
    };
    return small ? TransferProgressDialog::tr("%1 of %2 KB").arg(number(done), number(total))
                 : TransferProgressDialog::tr("%1 of %2 MB").arg(number(done), number(total));
}

QString duration(qint64 seconds)
{
    if (seconds == 1)
        return TransferProgressDialog::tr("1 second left");
    if (seconds < 60)
        return TransferProgressDialog::tr("%1 seconds left").arg(seconds);
    const qint64 minutes = (seconds + 59) / 60;
    return minutes == 1 ? TransferProgressDialog::tr("1 minute left")
                        : TransferProgressDialog::tr("%1 minutes left").arg(minutes);
}

} // namespace

TransferProgressDialog::TransferProgressDialog(AurexJob *job, QWidget *parent)
    : QDialog(parent)
    , m_job(job)
    , m_bar(new QProgressBar(this))
    , m_file(new QLabel(this))
    , m_amounts(new QLabel(this))
    , m_timeLeft(new QLabel(this))
    , m_cancel(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("TransferProgressDialog"));
    setWindowTitle(tr("AUREX Platform"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(420);
    m_cancel->setObjectName(QStringLiteral("CancelTransferButton"));
    m_file->setObjectName(QStringLiteral("TransferFileLabel"));
    m_amounts->setObjectName(QStringLiteral("TransferAmountLabel"));
    m_timeLeft->setObjectName(QStringLiteral("TransferTimeLeftLabel"));
    m_file->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_file);
    layout->addWidget(m_bar);
    layout->addWidget(m_amounts);
    layout->addWidget(m_timeLeft);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    m_clock.start();
    connect(job, &AurexJob::progressed, this, &TransferProgressDialog::update);
    connect(job, &AurexJob::result, this, &QDialog::accept);
    // Cancel, Escape and closing the box stop the transfer; the job's result closes it.
    connect(m_cancel, &QPushButton::clicked, job, &AurexJob::kill);
    connect(this, &QDialog::rejected, job, &AurexJob::kill);
    update();
}

TransferProgressDialog *TransferProgressDialog::showFor(QWidget *parent, AurexJob *job)
{
    auto *box = new TransferProgressDialog(job, parent); // deletes itself when closed
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    return box;
}

QString TransferProgressDialog::fileText() const
{
    return m_file->text();
}

QString TransferProgressDialog::amountText() const
{
    return m_amounts->text();
}

void TransferProgressDialog::update()
{
    const JobProgress progress = m_job->progress();
    m_file->setText(progress.currentName.isEmpty() ? tr("Preparing the transfer...")
                                                   : progress.currentName);
    m_amounts->setText(tr("%1 of %n files, %3", nullptr, int(progress.totalFiles))
                           .arg(progress.processedFiles)
                           .arg(amountOf(progress.processedBytes, progress.totalBytes)));
    if (progress.totalBytes > 0) {
        m_bar->setRange(0, int(progress.totalBytes / kBarUnit));
        m_bar->setValue(int(qMin(progress.processedBytes, progress.totalBytes) / kBarUnit));
    } else {
        m_bar->setRange(0, 0); // moving, amount unknown
    }
    // The rate so far gives the time left, once some bytes have gone.
    const qint64 elapsedMs = m_clock.elapsed();
    if (progress.processedBytes > 0 && progress.totalBytes > progress.processedBytes
        && elapsedMs > 0) {
        const double bytesPerMs = double(progress.processedBytes) / double(elapsedMs);
        const qint64 leftMs = qint64((progress.totalBytes - progress.processedBytes) / bytesPerMs);
        m_timeLeft->setText(duration((leftMs + 999) / 1000));
    } else {
        m_timeLeft->clear();
    }
}
