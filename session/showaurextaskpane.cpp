#include "showaurextaskpane.h"

#include "sessionlogging.h"
#include "signedin.h"

#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <lintraaurexconnectorwrapper.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>

namespace {
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
    static ShowAurexTaskPane *session = new ShowAurexTaskPane;
    return session;
}

ShowAurexTaskPane::ShowAurexTaskPane()
{
    LintraAurexConnectorWrapper::GetInstance()->SetSessionEndedHandler(
        [this] { platformEndedSession(); });
}

void ShowAurexTaskPane::startSession(const QString &tenant)
{
    Q_ASSERT(QThread::currentThread() == thread());
    m_tenant = tenant;
    ++g_sessionNumber;
    g_signedIn.store(true);
    const QString marker = offlineMarker(tenant);
    m_offline = !marker.isEmpty() && QFile::exists(marker);
    if (m_offline)
        emit offlineChanged(true);
    if (const int removed = removeDownloadLeftovers(tenant))
        qCInfo(lcSession) << "removed" << removed << "downloads a stopped program left behind";
}

void ShowAurexTaskPane::endSession()
{
    Q_ASSERT(QThread::currentThread() == thread());
    g_signedIn.store(false);
    m_tenant.clear();
    if (m_offline) {
        m_offline = false;
        emit offlineChanged(false);
    }
}

void ShowAurexTaskPane::setOffline(bool offline)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (offline == m_offline || !signedIn())
        return;
    m_offline = offline;
    const QString marker = offlineMarker(m_tenant);
    QFile file(marker);
    if (offline && file.open(QIODevice::WriteOnly))
        file.write(QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8());
    else if (!offline)
        file.remove();
    qCInfo(lcSession) << (offline ? "working offline" : "working online");
    emit offlineChanged(offline);
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
            if (!signedIn() || refused != g_sessionNumber.load())
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
