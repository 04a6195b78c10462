#include "eventsubscription.h"

#include "sessionlogging.h"

#include "connector/aurexplatform.h"
#include "support/calljob.h"

#include <QMutex>
#include <QThread>
#include <QTimer>

namespace {
// How often what the job read is handed on: well within the second a colleague's change may
// take to show.
const int kDrainMs = 100;
const int kWaitStepMs = 50;
} // namespace

struct EventSubscription::Inbox
{
    QMutex mutex; // guards the members below
    QVector<PlatformEvent> ready;
    QString lastId;
    bool dropped = false; // a stream that was open ended since the last drain
};

EventSubscription::EventSubscription(QObject *parent)
    : QObject(parent)
    , m_drain(new QTimer(this))
{
    qRegisterMetaType<PlatformEvent>();
    m_drain->setInterval(kDrainMs);
    connect(m_drain, &QTimer::timeout, this, &EventSubscription::drain);
}

EventSubscription::~EventSubscription()
{
    stop();
}

void EventSubscription::start(AurexPlatform *platform)
{
    stop();
    if (!platform)
        return;
    // A new inbox: what an earlier stream's work still hands in goes nowhere.
    m_inbox = std::make_shared<Inbox>();
    const std::shared_ptr<Inbox> inbox = m_inbox;
    const QVector<int> delays = m_retryDelays;
    m_job = new CallJob([platform, inbox, delays](JobControl &control) {
        int attempt = 0;
        while (!control.isCancelled()) {
            QString last;
            {
                QMutexLocker locker(&inbox->mutex);
                last = inbox->lastId;
            }
            bool heard = false;
            const int status = platform->readEvents(
                last,
                [&](const PlatformEvent &event) {
                    QMutexLocker locker(&inbox->mutex);
                    inbox->ready.append(event);
                    if (!event.id.isEmpty())
                        inbox->lastId = event.id;
                    heard = true;
                },
                [&control] { return !control.isCancelled(); });
            if (control.isCancelled())
                break;
            if (status == 401)
                return QStringLiteral("the platform ended the session");
            if (status == 200) {
                QMutexLocker locker(&inbox->mutex);
                inbox->dropped = true;
            }
            attempt = heard ? 0 : attempt;
            const int delay = delays.value(qMin(attempt, delays.size() - 1), 1000);
            ++attempt;
            for (int waited = 0; waited < delay && !control.isCancelled(); waited += kWaitStepMs)
                QThread::msleep(kWaitStepMs);
        }
        return QString();
    }, this);
    // A stream is quiet for as long as nobody changes anything.
    m_job->setNoProgressTimeout(0);
    connect(m_job, &AurexJob::result, this, [this, job = m_job.data()] {
        if (job->error() != AurexJob::NoError && job->error() != AurexJob::KilledError)
            qCInfo(lcSession).noquote() << "event stream ended:" << job->errorString();
        job->deleteLater();
    });
    m_job->start();
    m_drain->start();
}

void EventSubscription::stop()
{
    m_drain->stop();
    if (m_job)
        m_job->kill();
    m_job = nullptr;
    m_inbox.reset();
}

bool EventSubscription::isRunning() const
{
    return m_job && m_job->isRunning();
}

void EventSubscription::drain()
{
    if (!m_inbox)
        return;
    QVector<PlatformEvent> ready;
    bool dropped = false;
    {
        QMutexLocker locker(&m_inbox->mutex);
        ready.swap(m_inbox->ready);
        std::swap(dropped, m_inbox->dropped);
    }
    for (const PlatformEvent &event : qAsConst(ready)) {
        // A file back from the trash brings all it was back with it (its place in drawings,
        // its versions): what is shown is asked for anew, as after missed events.
        if (event.kind == PlatformEvent::Resync || event.kind == PlatformEvent::Undelete)
            emit eventsMissed();
        else
            emit eventArrived(event);
    }
    if (dropped)
        emit streamDropped();
}
