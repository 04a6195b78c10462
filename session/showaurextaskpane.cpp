#include "showaurextaskpane.h"

#include "eventsubscription.h"
#include "sessionlogging.h"
#include "signedin.h"

#include "connector/connectorplatform.h"
#include "support/calljob.h"
#include "support/hostaccess.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopy.h"

#include <lintraaurexconnectorwrapper.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>

namespace {
// The design's signedIn(): fed by the session (the module has one) as it starts and ends.
std::atomic<bool> g_signedIn { false };
// Counts sessions, so that a refusal noticed during one session never ends a later one.
std::atomic<int> g_sessionNumber { 0 };

// The file whose presence says that the tenant works offline.
QString offlineMarker(const QString &tenant)
{
    const QString database = FileDatabase::locationFor(tenant);
    return database.isEmpty() ? QString()
                              : QFileInfo(database).absolutePath() + QLatin1String("/offline");
}
}

bool signedIn()
{
    return g_signedIn.load();
}

ShowAurexTaskPane *ShowAurexTaskPane::instance()
{
    // Lives until the process ends, like the widgets it refers to.
    static ShowAurexTaskPane *session = [] {
        auto *made = new ShowAurexTaskPane(ConnectorPlatform::shared());
        LintraAurexConnectorWrapper::GetInstance()->SetSessionEndedHandler(
            [made] { made->platformEndedSession(); });
        return made;
    }();
    return session;
}

ShowAurexTaskPane::ShowAurexTaskPane(AurexPlatform *online, QObject *parent)
    : QObject(parent)
    , m_online(online)
    , m_workingCopy(new WorkingCopy(QString(), this))
    , m_events(new EventSubscription(this))
{
    // The stream is read while the user is signed in and online.
    const auto follow = [this] {
        if (m_signedIn && !m_offline && m_online)
            m_events->start(m_online);
        else
            m_events->stop();
    };
    connect(this, &ShowAurexTaskPane::signedInChanged, m_events, follow);
    connect(this, &ShowAurexTaskPane::offlineChanged, m_events, follow);
}

AurexPlatform *ShowAurexTaskPane::platform()
{
    Q_ASSERT(QThread::currentThread() == thread());
    return m_offline ? static_cast<AurexPlatform *>(&m_offlinePlatform) : m_online;
}

void ShowAurexTaskPane::startSession(const QString &tenant)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_workingCopy->tenant() != tenant) {
        delete m_workingCopy;
        m_workingCopy = new WorkingCopy(tenant, this);
    }
    m_tenant = tenant;
    m_offlinePlatform.setTenant(tenant);
    m_signInNotice.clear();
    ++g_sessionNumber;
    const bool wasSignedIn = m_signedIn;
    m_signedIn = true;
    g_signedIn.store(true);
    QFile marker(offlineMarker(tenant));
    m_offline = marker.open(QIODevice::ReadOnly);
    if (m_offline) {
        // "login\ndisplay name": who worked offline, for a session the platform cannot confirm.
        const QStringList user = QString::fromUtf8(marker.readAll()).split(QLatin1Char('\n'));
        if (user.size() >= 2 && !user.at(0).isEmpty()) {
            m_currentUser = user.at(0);
            m_displayName = user.at(1);
        }
        emit offlineChanged(true);
    }
    // Folders of many local copies are looked through: on a job, as every disk walk.
    auto *cleanup = new CallJob([tenant](JobControl &) {
        if (const int removed = removeDownloadLeftovers(tenant))
            qCInfo(lcSession) << "removed" << removed << "downloads a stopped program left behind";
        return QString();
    }, this);
    cleanup->setNoProgressTimeout(0);
    connect(cleanup, &AurexJob::result, cleanup, &QObject::deleteLater);
    cleanup->start();
    if (!wasSignedIn)
        emit signedInChanged(true);
}

void ShowAurexTaskPane::endSession()
{
    Q_ASSERT(QThread::currentThread() == thread());
    const bool wasSignedIn = m_signedIn;
    m_signedIn = false;
    g_signedIn.store(false);
    m_tenant.clear();
    m_currentUser.clear();
    m_displayName.clear();
    m_platformSignIn = nullptr;
    if (m_offline) {
        m_offline = false;
        emit offlineChanged(false);
    }
    if (wasSignedIn)
        emit signedInChanged(false);
}

void ShowAurexTaskPane::setOffline(bool offline)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (offline == m_offline || !m_signedIn || m_goingOnline)
        return;
    if (!offline && m_platformSignIn) {
        // Signs in first, as a job: the host goes on meanwhile, and the session goes online
        // once the platform took the sign-in.
        m_goingOnline = new CallJob([signIn = m_platformSignIn](JobControl &) {
            return signIn() ? QString() : QStringLiteral("not signed in");
        }, this);
        const int session = g_sessionNumber.load();
        connect(m_goingOnline, &AurexJob::result, this, [this, session] {
            const bool ok = m_goingOnline->error() == AurexJob::NoError;
            m_goingOnline->deleteLater();
            m_goingOnline = nullptr;
            if (session != g_sessionNumber.load() || !m_signedIn || !m_offline)
                return;
            if (!ok) {
                HostAccess::writeToCommandLine(tr("The AUREX Platform does not take the sign-in "
                                                  "yet: still working offline."));
                return;
            }
            m_platformSignIn = nullptr;
            applyOffline(false);
        });
        m_goingOnline->start();
        return;
    }
    applyOffline(offline);
}

void ShowAurexTaskPane::applyOffline(bool offline)
{
    m_offline = offline;
    const QString marker = offlineMarker(m_tenant);
    QFile file(marker);
    if (offline && file.open(QIODevice::WriteOnly))
        file.write((m_currentUser + QLatin1Char('\n') + m_displayName).toUtf8());
    else if (!offline)
        file.remove();
    qCInfo(lcSession) << (offline ? "working offline" : "working online");
    emit offlineChanged(offline);
}

bool ShowAurexTaskPane::wasLeftOffline(const QString &tenant)
{
    const QString marker = offlineMarker(tenant);
    return !marker.isEmpty() && QFile::exists(marker);
}

QString ShowAurexTaskPane::tenant() const
{
    Q_ASSERT(QThread::currentThread() == thread());
    return m_tenant;
}

void ShowAurexTaskPane::platformEndedSession()
{
    // The connector may notice on a worker; the session is the main thread's.
    const int refused = g_sessionNumber.load();
    QMetaObject::invokeMethod(
        this,
        [this, refused] {
            // Later refusals of the same session, and those after a sign-out, change nothing.
            if (!m_signedIn || refused != g_sessionNumber.load())
                return;
            qCDebug(lcSession) << "the platform ended the session";
            endSession();
            emit sessionExpired();
        },
        Qt::QueuedConnection);
}

void ShowAurexTaskPane::refreshTaskPane()
{
    emit taskPaneRefreshRequested();
}

void ShowAurexTaskPane::activeFilesChanged()
{
    emit DocumentActivatedSignal();
}
