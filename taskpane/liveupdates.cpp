#include "liveupdates.h"

#include "newerversionbar.h"
#include "taskpanelogging.h"
#include "taskpanemodel.h"

#include "connector/aurexplatform.h"
#include "connector/filetype.h"
#include "connector/recordbuilder.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "open/downloadthread.h"
#include "session/eventsubscription.h"
#include "session/showaurextaskpane.h"
#include "support/calljob.h"
#include "support/dialogjobs.h"
#include "support/hostaccess.h"
#include "support/jobsequence.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <fzfileinfo.h>

#include <QDir>
#include <QFileInfo>

#include <memory>

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
    connect(bar, &NewerVersionBar::reloadAsked, this, &LiveUpdates::reload);
    // Another drawing, or a new listing: what was newer is the new listing's business.
    connect(model, &TaskPaneModel::listed, this, [this] {
        m_newer.clear();
        m_bar->hide();
    });
}

void LiveUpdates::eventArrived(const PlatformEvent &event)
{
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
    case PlatformEvent::Resync:
    case PlatformEvent::Unknown:
        break;
    }
    if (event.isNewVersion()) {
        if (!m_newer.contains(event.name))
            m_newer.append(event.name);
        m_bar->showNewer(event.user, event.title);
    }
}

void LiveUpdates::reload()
{
    if (m_reloading || m_newer.isEmpty())
        return;
    const QString drawing = m_model->drawingPath();
    CFxDocumentManager *documents = HostAccess::documents();
    CFxDocument *open = documents ? documents->FindDocument(CFxString(drawing)) : nullptr;
    // Unsaved work goes to the file first, where the download keeps it aside; the drawing is
    // closed so that the download repairs its references too, and opened again afterwards.
    if (open && !open->Save())
        qCWarning(lcTaskPane) << "the host did not save" << drawing << "before the reload";
    if (open)
        documents->CloseDocument(open);

    auto records = std::make_shared<RecordList>();
    for (const QString &name : qAsConst(m_newer)) {
        const QString path = m_model->pathOfName(name);
        if (path.isEmpty())
            continue;
        FzFileInfo *request = records->add(makeNameRequest(name, fileTypeForPath(path)));
        setRecordProperty(*request, kKeyLocalDownloadFolder, QFileInfo(path).absolutePath());
    }
    m_newer.clear();
    AurexPlatform *platform = m_session->platform();
    const QString tenant = m_session->tenant();
    auto *flow = new JobSequence(this);
    m_reloading = flow;
    flow->runUnder(m_jobs);
    flow->step([platform, records] {
        return new CallJob([platform, records](JobControl &) {
            return platform->details(*records) ? QString() : platform->noAnswerText();
        });
    });
    flow->transfer([platform, records, drawing, tenant] {
        auto *download = new DownloadThread(platform, HostAccess::appServices(),
                                            HostAccess::documents());
        download->setDownload(std::move(*records), drawing, tenant);
        return download;
    });
    connect(flow, &JobSequence::finished, this, [this, drawing](JobSequence *ended) {
        ended->deleteLater();
        QString problem;
        if (auto *download = qobject_cast<DownloadThread *>(ended->failedJob()))
            problem = download->report().details.join(QLatin1Char(' '));
        else if (ended->error() != 0)
            problem = ended->errorString();
        if (!problem.isEmpty())
            HostAccess::writeToCommandLine(tr("The newer versions could not be brought down; "
                                              "nothing was changed: %1").arg(problem));
        // Opened again whichever way it went: the newer version, or the drawing as it was.
        if (CFxDocumentManager *documents = HostAccess::documents())
            documents->OpenDocument(CFxString(QDir::toNativeSeparators(drawing)));
        emit refreshWanted();
        emit reloaded(problem);
    });
    flow->start();
}
