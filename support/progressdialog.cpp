#include "progressdialog.h"

#include "aurexjob.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kStepMilliseconds = 500;
// A call that takes longer than this gets a Cancel button in its box.
constexpr int kCancelAfterMs = 2000;
constexpr int kMaxDots = 3;
}

ProgressDialog::ProgressDialog(QWidget *parent)
    : QDialog(parent)
    , m_label(new QLabel(tr("Please wait"), this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("ProgressDialog"));
    // A box that only waits has no help to offer.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);
    setFixedSize(200, 50);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label, 0, Qt::AlignVCenter);
    m_timer->setObjectName(QStringLiteral("ProgressTimer"));
    connect(m_timer, &QTimer::timeout, this, &ProgressDialog::update);
    m_timer->start(kStepMilliseconds);
}

QString ProgressDialog::text() const
{
    return m_label->text();
}

void ProgressDialog::update()
{
    if (m_dots == kMaxDots + 1)
        m_dots = 0;
    m_label->setText(tr("Please wait") + QString(m_dots, QLatin1Char('.')));
    ++m_dots;
}

ProgressDialog *ProgressDialog::showFor(QWidget *parent, AurexJob *job)
{
    auto *box = new ProgressDialog(parent); // deletes itself when closed
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(job, &AurexJob::result, box, &QDialog::accept);
    connect(box, &QDialog::rejected, job, &AurexJob::kill);
    QTimer::singleShot(kCancelAfterMs, box, [box] {
        auto *cancel = new QPushButton(tr("Cancel"), box);
        cancel->setObjectName(QStringLiteral("ProgressCancelButton"));
        connect(cancel, &QPushButton::clicked, box, &QDialog::reject);
        box->layout()->addWidget(cancel);
        box->setFixedSize(box->width(), box->height() + cancel->sizeHint().height() + 6);
    });
    box->show();
    return box;
}
