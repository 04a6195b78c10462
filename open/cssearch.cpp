#include "cssearch.h"

#include "connector/recordbuilder.h"
#include "support/progressdialog.h"

#include <fzfileinfo.h>
#include <lintraaurexconnectorwrapper.h>

#include <QEventLoop>
#include <QThread>

CSSearch::CSSearch(std::unique_ptr<FzFileInfo> query, const QString &previewFolder)
    : m_query(std::move(query))
    , m_previewFolder(previewFolder)
{
}

CSSearch::~CSSearch() = default;

std::unique_ptr<FzFileInfo> CSSearch::query(const QString &space, const QString &text)
{
    return space.isEmpty() ? makeAllSpacesSearchQuery(text) : makeSpaceSearchQuery(space, text);
}

void CSSearch::run()
{
    LintraAurexConnectorWrapper *connector = LintraAurexConnectorWrapper::GetInstance();
    // The search list is the connector's shared state: it is copied right after the search.
    connector->SearchPattern(m_query.get());
    m_hitCount = connector->GetSearchListSize();
    const RecordList hits = RecordList::copiesOf(
        m_hitCount, [connector](int i) { return connector->GetSearchFileAt(i); });
    connector->SetWorkingDirectory(m_previewFolder);
    connector->DownloadPreviews(hits.records());
    RecordList requests;
    for (const FzFileInfo *hit : hits)
        requests.add(makeDetailRequest(*hit));
    connector->Details(requests.records());
    m_results = RecordList::copiesOf(connector->GetTransactionListSize(), [connector](int i) {
        return connector->GetTransactionFileAt(i);
    });
}

void CSSearch::runWaiting(QWidget *parent)
{
    ProgressDialog progress(parent);
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([this] { run(); }));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    progress.show();
    worker->start();
    // Paints and timers go on; input waits, so nothing can start a second platform call.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
}
