#include "liveupdates.h"

#include "newerversionbar.h"
#include "taskpanelogging.h"
#include "taskpanemodel.h"

#include "open/downloadthread.h"
#include "open/latestversions.h"
#include "session/eventsubscription.h"
#include "session/showaurextaskpane.h"
#include "support/dialogjobs.h"
#include "support/hostaccess.h"
#include "support/jobsequence.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include <cfxstring.h>

#include <QDir>
#include <QFileInfo>

LiveUpdates::LiveUpdates(ShowAurexTaskPane *session, TaskPaneModel *model, NewerVersionBar *bar,
                         QWidget *pane)
    : QObject(pane)
    , m_session(session)
    , m_model(model)
    , m_bar(bar)
    , m_jobs(new DialogJobs(pane))
{
    connect(session->events(), &EventSubscription::eventArrived, this,
            &LiveUpdates::eventArrived);
    connect(session->events(), &EventSubscription::eventsMissed, this,
            &LiveUpdates::refreshWanted);
    // Asking for the statuses tells whether the platform is still there, and the connection
    // line says so when it is not.
    connect(session->events(), &EventSubscription::streamDropped, this,
            &LiveUpdates::refreshWanted);
    connect(bar, &NewerVersionBar::reloadAsked, this, &LiveUpdates::reload);
    // Another drawing, or a new listing: what was newer is the new listing's business.
    connect(model, &TaskPaneModel::listed, this, [this] {
        // The reload's own closing and opening of the drawing list it again too.
        if (m_reloading)
            return;
        m_newer.clear();
        m_bar->hide();
    });
}

void LiveUpdates::eventArrived(const PlatformEvent &event)
{
    // A reload under way says so until it ends; the events go on to the rows meanwhile.
    if (!m_model->applyEvent(event) || event.user == m_session->currentUser())
        return;
    switch (event.kind) {
    case PlatformEvent::CheckIn:
        HostAccess::writeToCommandLine(
            tr("%1 saved %2 (version %3).").arg(event.user, event.title).arg(event.revision));
        break;
    case PlatformEvent::Restore:
        HostAccess::writeToCommandLine(tr("%1 restored an earlier version of %2 (now version %3).")
                                           .arg(event.user, event.title)
                                           .arg(event.revision));
        break;
    case PlatformEvent::Lock:
        HostAccess::writeToCommandLine(tr("%1 locked %2.").arg(event.user, event.title));
        break;
    case PlatformEvent::Unlock:
        HostAccess::writeToCommandLine(tr("%1 unlocked %2.").arg(event.user, event.title));
        break;
    case PlatformEvent::Delete:
        HostAccess::writeToCommandLine(
            tr("%1 deleted %2 from the platform.").arg(event.user, event.title));
        break;
    case PlatformEvent::Undelete:
    case PlatformEvent::Resync:
    case PlatformEvent::Unknown:
        break;
    }
    if (event.isNewVersion()) {
        if (!m_newer.contains(event.name))
            m_newer.append(event.name);
        if (!m_reloading)
            m_bar->showNewer(event.user, event.title);
    }
}

void LiveUpdates::reload()
{
    if (m_reloading || m_newer.isEmpty()) {
        m_bar->hide();
        return;
    }
    m_bar->showReloading();
    const QStringList names = m_newer;
    m_newer.clear();
    bringDown(names, [](const DownloadReport &report) {
        return report.downloadedFiles == 1
            ? tr("Reloaded with the newer version of 1 file.")
            : tr("Reloaded with the newer versions of %1 files.").arg(report.downloadedFiles);
    });
}

void LiveUpdates::getLatest(const QString &name)
{
    if (m_reloading)
        return;
    const QString title = QFileInfo(m_model->pathOfName(name)).fileName();
    m_newer.removeAll(name);
    bringDown({name}, [title](const DownloadReport &report) {
        return report.downloadedFiles == 0
            ? tr("%1 is the latest version already.").arg(title)
            : tr("Brought down the latest version of %1.").arg(title);
    });
}

void LiveUpdates::bringDown(const QStringList &names,
                            const std::function<QString(const DownloadReport &)> &doneLine)
{
    const QString drawing = m_model->drawingPath();
    CFxDocumentManager *documents = HostAccess::documents();
    CFxDocument *open = documents ? documents->FindDocument(CFxString(drawing)) : nullptr;
    // Unsaved work goes to the file first, where the download keeps it aside; the drawing is
    // closed so that the download repairs its references too, and opened again afterwards.
    if (open && !open->Save())
        qCWarning(lcTaskPane) << "the host did not save" << drawing << "before the reload";
    if (open)
        documents->CloseDocument(open);

    QList<QPair<QString, QString>> copies;
    for (const QString &name : names) {
        const QString path = m_model->pathOfName(name);
        if (!path.isEmpty())
            copies.append({path, name});
    }
    auto *flow = new JobSequence(this);
    m_reloading = flow;
    flow->runUnder(m_jobs);
    addLatestVersionSteps(
        flow, m_session->platform(), copies, drawing, m_session->tenant(),
        [doneLine](DownloadThread &download) {
            const DownloadReport report = download.report();
            for (const QString &line : report.keptCopyLines())
                HostAccess::writeToCommandLine(line);
            HostAccess::writeToCommandLine(doneLine(report));
        });
    connect(flow, &JobSequence::finished, this, [this, drawing](JobSequence *ended) {
        ended->deleteLater();
        const QString problem = latestVersionsProblem(*ended);
        if (!problem.isEmpty())
            HostAccess::writeToCommandLine(tr("The newer versions could not be brought down; "
                                              "nothing was changed: %1").arg(problem));
        // Opened again whichever way it went: the newer version, or the drawing as it was.
        if (CFxDocumentManager *documents = HostAccess::documents())
            documents->OpenDocument(CFxString(QDir::toNativeSeparators(drawing)));
        // Files newer still than what came down keep the bar for their own reload.
        if (m_newer.isEmpty())
            m_bar->hide();
        emit refreshWanted();
        emit reloaded(problem);
    });
    flow->start();
}
