#include "taskpanemodel.h"

#include "attachmentscan.h"
#include "cadobjectdetailsthread.h"
#include "filestatusscan.h"
#include "taskpanelogging.h"

#include "connector/platformevent.h"
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
    m_listed = false;
    m_afterListing = nullptr;
    m_fileList.clear();
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
    // The platform is asked about the files known so far while the referenced drawings are
    // read; it is asked again only when they name files the tree did not have.
    m_fileList = tree->paths();
    m_scannedTree = std::move(tree);
    m_scan = new AttachmentScan(drawings, services, this);
    connect(m_scan, &AurexJob::result, this, &TaskPaneModel::attachmentsScanned);
    m_scan->start();
    query();
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
    const QStringList paths = tree.paths();
    const bool askedAlready = !paths.isEmpty() && paths == m_fileList;
    m_fileList = paths;
    // Offline, the rows' lock and delete menus get the offline platform too, which refuses.
    m_files.reset(FileItemContext{m_session->platform(), m_session->tenant(),
                                  m_session->currentUser(), m_session->workingCopy(),
                                  m_showHistory, m_getLatest, m_showWhereUsed});
    for (const ReferenceNode *node : tree.nodes())
        m_files.append(node->path);
    m_listed = true;
    emit listed(tree);
    if (!tree.root())
        return;
    if (!askedAlready) {
        delete m_query;
        m_afterListing = nullptr;
        query();
    } else if (m_afterListing) {
        const std::function<void()> answer = std::move(m_afterListing);
        m_afterListing = nullptr;
        answer();
    }
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
        afterListing([this, reason] {
            setAnswer(m_knownDetails, true, [this, reason] { emit platformUnreachable(reason); });
        });
    });
    connect(m_query, &AurexJob::result, m_query, &QObject::deleteLater);
    m_query->GetCADObjectDetails();
}

void TaskPaneModel::afterListing(const std::function<void()> &answer)
{
    if (m_listed)
        answer();
    else
        m_afterListing = answer;
}

void TaskPaneModel::detailsArrived(const MAPSTRCADOBJ &details, const QString &drawingPath)
{
    if (drawingPath != m_drawingPath) {
        qCDebug(lcTaskPane) << "details of" << drawingPath << "dropped: no longer listed";
        return;
    }
    if (!m_listed) {
        afterListing([this, details, drawingPath] { detailsArrived(details, drawingPath); });
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

bool TaskPaneModel::applyEvent(const PlatformEvent &event)
{
    if (!m_listed || m_pending || !m_answer.contains(event.name))
        return false;
    FileEntry &entry = m_answer[event.name];
    if (event.kind == PlatformEvent::Delete) {
        m_answer.remove(event.name);
        m_knownDetails.remove(event.name);
    } else {
        entry.lockedBy = event.lockedBy;
        if (event.isNewVersion()) {
            entry.fileModified = event.fileModified;
            entry.modifiedBy = event.user;
        }
        m_knownDetails.insert(event.name, entry);
    }
    setAnswer(m_answer, m_answerStale, [] {});
    return true;
}

QString TaskPaneModel::pathOfName(const QString &platformName) const
{
    for (int i = 0; i < m_files.count(); ++i) {
        const FileItemDetails *details = m_files.details(i);
        if (details && details->name == platformName)
            return m_files.path(i);
    }
    return QString();
}

void TaskPaneModel::setAnswer(const MAPSTRCADOBJ &details, bool stale,
                              const std::function<void()> &then)
{
    m_answer = details;
    m_answerStale = stale;
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
