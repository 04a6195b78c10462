#include "taskpanemodel.h"

#include "attachmentscan.h"
#include "cadobjectdetailsthread.h"
#include "filestatusscan.h"
#include "taskpanelogging.h"

#include "drawingset/referencetree.h"
#include "drawingset/referencetreebuilder.h"
#include "session/showaurextaskpane.h"

#include <QDeadlineTimer>

TaskPaneModel::TaskPaneModel(ShowAurexTaskPane *session, QObject *parent)
    : QObject(parent)
    , m_session(session)
{
}

TaskPaneModel::~TaskPaneModel() = default;

void TaskPaneModel::show(std::shared_ptr<ReferenceTree> tree, OdDbHostAppServices *services)
{
    delete m_scan;
    delete m_query;
    delete m_statuses;
    // An answer for the drawing listed before is dropped from now on.
    m_drawingPath = tree->root() ? tree->root()->path : QString();
    m_pending = tree->root() != nullptr;
    if (!tree->root() || !services) {
        m_scannedTree.reset();
        list(*tree);
        return;
    }
    QStringList drawings;
    for (const ReferenceNode *node : tree->nodes()) {
        if (node != tree->root() && node->kind == ReferenceNode::Drawing && !node->path.isEmpty())
            drawings.append(node->path);
    }
    m_scannedTree = std::move(tree);
    m_scan = new AttachmentScan(drawings, services, this);
    connect(m_scan, &AurexJob::result, this, &TaskPaneModel::attachmentsScanned);
    m_scan->start();
}

void TaskPaneModel::attachmentsScanned()
{
    if (!m_scan || !m_scannedTree)
        return;
    const AttachmentScan::Result attachments = m_scan->attachments();
    m_scan->deleteLater();
    const std::shared_ptr<ReferenceTree> tree = std::move(m_scannedTree);
    // A copy: the nodes added below join the list.
    const std::vector<ReferenceNode *> nodes = tree->nodes();
    for (ReferenceNode *node : nodes) {
        const auto found = attachments.constFind(node->path);
        if (node != tree->root() && node->kind == ReferenceNode::Drawing
            && found != attachments.constEnd())
            addAttachmentNodes(*tree, found.value(), node);
    }
    list(*tree);
}

void TaskPaneModel::list(const ReferenceTree &tree)
{
    m_fileList = tree.paths();
    // Offline, the rows' lock and delete menus get the offline platform too, which refuses.
    m_files.reset(FileItemContext{m_session->platform(), m_session->tenant(),
                                  m_session->currentUser(), m_session->workingCopy(),
                                  m_showHistory});
    for (const ReferenceNode *node : tree.nodes())
        m_files.append(node->path);
    emit listed(tree);
    if (tree.root())
        query();
}

void TaskPaneModel::query()
{
    m_query = new CADObjectDetailsThread(m_session->platform(), m_fileList, m_drawingPath,
                                         m_session->tenant(), this);
    connect(m_query, &CADObjectDetailsThread::CADObjectDetailsFinished, this,
            &TaskPaneModel::detailsArrived);
    connect(m_query, &AurexJob::result, this, [this, query = m_query.data()] {
        if (query->error() == AurexJob::NoError || query->error() == AurexJob::KilledError)
            return;
        qCWarning(lcTaskPane).noquote() << query->errorString();
        const QString reason = query->errorString();
        setAnswer(m_knownDetails, true, [this, reason] { emit platformUnreachable(reason); });
    });
    connect(m_query, &AurexJob::result, m_query, &QObject::deleteLater);
    m_query->GetCADObjectDetails();
}

void TaskPaneModel::detailsArrived(const MAPSTRCADOBJ &details, const QString &drawingPath)
{
    if (drawingPath != m_drawingPath) {
        qCDebug(lcTaskPane) << "details of" << drawingPath << "dropped: no longer listed";
        return;
    }
    if (details.isEmpty() && !m_fileList.isEmpty())
        qCWarning(lcTaskPane) << "no platform details for the" << m_fileList.size()
                              << "files of" << drawingPath;
    if (m_session->isOffline()) {
        // What the platform said in this session beats what the last exchange left.
        MAPSTRCADOBJ lastKnown = details;
        for (auto it = m_knownDetails.cbegin(); it != m_knownDetails.cend(); ++it)
            lastKnown.insert(it.key(), it.value());
        setAnswer(lastKnown, true, [this] { emit platformAnswered(); });
    } else {
        for (auto it = details.cbegin(); it != details.cend(); ++it)
            m_knownDetails.insert(it.key(), it.value());
        setAnswer(details, false, [this] { emit platformAnswered(); });
    }
}

void TaskPaneModel::setAnswer(const MAPSTRCADOBJ &details, bool stale,
                              const std::function<void()> &then)
{
    delete m_statuses;
    QStringList paths;
    for (int i = 0; i < m_files.count(); ++i)
        paths.append(m_files.path(i));
    m_statuses = new FileStatusScan(m_session->tenant(), paths, details,
                                    m_files.context().currentUser, stale, this);
    connect(m_statuses, &AurexJob::result, this, [this, scan = m_statuses.data(), then] {
        scan->deleteLater();
        if (scan->error() != AurexJob::NoError)
            return;
        m_files.setAnswer(scan->value());
        m_pending = false;
        emit answered();
        then();
    });
    m_statuses->start();
}

void TaskPaneModel::handOut(const QDeadlineTimer &deadline,
                            const std::function<void(int, const FileItemDetails &)> &show)
{
    while (!deadline.hasExpired()) {
        const int index = m_files.next();
        if (index < 0)
            break;
        show(index, *m_files.details(index));
    }
}

bool TaskPaneModel::isSettled() const
{
    return !m_pending && m_files.isComplete();
}
