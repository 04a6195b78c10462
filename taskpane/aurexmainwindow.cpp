#include "aurexmainwindow.h"

#include "ui_aurexmainwindow.h"

#include "activelistviewwidget.h"
#include "activetreeviewwidget.h"
#include "attachmentscan.h"
#include "cadobjectdetailsthread.h"
#include "currentplatformmenu.h"
#include "outboxdelivery.h"
#include "rowsinsight.h"
#include "taskpanelogging.h"

#include "drawingset/referencetree.h"
#include "drawingset/referencetreebuilder.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/iconmenu.h"
#include "fileitems/sortingactions.h"
#include "open/openfromcsdialog.h"
#include "save/outbox.h"
#include "save/savetocsdialog.h"
#include "session/dashboardlauncher.h"
#include "session/showaurextaskpane.h"
#include "support/helpaddress.h"
#include "support/hostaccess.h"
#include "support/valuejob.h"
#include "workingcopy/filedatabase.h"

#include <cfxdocument.h>
#include <oddbdatabase.h>

#include <QDeadlineTimer>
#include <QLabel>
#include <QLocale>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

namespace {
// Marks a details answer as the answer of a finished query, so that a query that found
// nothing still gives every file a computed status.
const char kQueriedMarker[] = "CadObjectDetailsWasQueried";
const char kTilesIcon[] = ":/embedded/UI/Resources/FzxUiListView.png";
const char kGridIcon[] = ":/embedded/UI/Resources/FzxUiGridView.png";
const char kTreeIcon[] = ":/embedded/UI/Resources/FzxUiTreeView.png";
const char kDwgFilter[] = "dwg";
const char kDxfFilter[] = "dxf";
constexpr int kMenuIconSide = 20;
constexpr int kViewIconSide = 22;
const QRect kStackedGeometry(9, 120, 267, 541);
// While the platform cannot be reached, the pane asks again after this long, twice as long
// each time up to the longest.
constexpr int kFirstRetryMs = 5000;
constexpr int kLongestRetryMs = 120000;

// The file of the host's active drawing, native separators; "" without one.
QString activeDrawingPath()
{
    CFxDocument *document = HostAccess::activeDocument();
    return document ? QDir::toNativeSeparators(document->GetPathName().toQString()) : QString();
}

// The services that read the active drawing's references; null without a drawing.
OdDbHostAppServices *activeDrawingServices()
{
    CFxDocument *document = HostAccess::activeDocument();
    OdDbDatabase *database = document ? document->GetFxDatabase() : nullptr;
    return database ? database->appServices() : nullptr;
}
} // namespace

AurexMainWindow::AurexMainWindow(ShowAurexTaskPane *session, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::AurexMainWindowClass)
    , m_session(session)
{
    m_ui->setupUi(this);
    // Embedded in the pane's splitter, never a window of its own.
    setWindowFlags(Qt::Widget);
    m_listWidget = new ActiveListViewWidget(this);
    m_treeWidget = new ActiveTreeViewWidget(this);
    m_stackedWidget = new QStackedWidget(this);
    m_stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    m_stackedWidget->setGeometry(kStackedGeometry);
    m_stackedWidget->addWidget(m_listWidget);
    m_stackedWidget->addWidget(m_treeWidget);
    buildViewMenu();
    m_ui->gridLayout_2->addWidget(m_stackedWidget, 3, 0);
    m_stepTimer = new QTimer(this);
    m_stepTimer->setSingleShot(true);
    m_stepTimer->setInterval(0);
    connect(m_stepTimer, &QTimer::timeout, this, &AurexMainWindow::buildStep);
    m_connectionLabel = new QLabel(this);
    m_connectionLabel->setObjectName(QStringLiteral("ConnectionStateLabel"));
    m_connectionLabel->setWordWrap(true);
    m_connectionLabel->hide();
    m_ui->gridLayout_2->addWidget(m_connectionLabel, 4, 0);
    m_offlineOffer = new QPushButton(tr("Work offline until it is back"), this);
    m_offlineOffer->setObjectName(QStringLiteral("WorkOfflineButton"));
    m_offlineOffer->setFlat(true);
    m_offlineOffer->setFont(m_connectionLabel->font());
    m_offlineOffer->setCursor(Qt::PointingHandCursor);
    m_offlineOffer->setStyleSheet(QStringLiteral("QPushButton { color: #1f6fb2; "
                                                 "text-decoration: underline; text-align: left; "
                                                 "border: none; }"));
    m_offlineOffer->hide();
    connect(m_offlineOffer, &QPushButton::clicked, this, [this] {
        m_session->setOffline(true);
        m_onlineWhenBack = true;
        m_retryTimer->start(m_retryDelayMs);
    });
    m_ui->gridLayout_2->addWidget(m_offlineOffer, 5, 0);
    m_delivery = new OutboxDelivery(session, this, this);
    connect(m_delivery, &OutboxDelivery::progress, this,
            [this](const QString &line) { showConnectionLine(line); });
    connect(m_delivery, &OutboxDelivery::finished, this, [this](const QString &line) {
        showConnectionLine(line, !line.isEmpty());
        // What went is current now; a save that did not go leaves the statuses as they are.
        if (m_delivery->sentCount() > 0)
            DocumentActivatedSlot();
    });
    connect(session, &ShowAurexTaskPane::offlineChanged, this, &AurexMainWindow::offlineChanged);
    m_retryDelayMs = kFirstRetryMs;
    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    connect(m_retryTimer, &QTimer::timeout, this, &AurexMainWindow::retry);

    connect(m_ui->refreshButton, &QToolButton::clicked, this, &AurexMainWindow::RefreshButtonClicked);
    m_sortingActions = new SortingActions(m_ui->SortToolButton);
    connect(m_sortingActions, &SortingActions::AscendingSortEmitted, this,
            &AurexMainWindow::AscendingSortSlot);
    buildUserMenu();

    connect(m_ui->SearchCollabSpace, &QLineEdit::textChanged, this,
            &AurexMainWindow::SearchTextChanged);
    connect(this, &AurexMainWindow::SearchTextChangedSignal, m_listWidget,
            &ActiveListViewWidget::SearchTextChanged);
    connect(m_listWidget, &ActiveListViewWidget::FilterResultCountSignal, this,
            &AurexMainWindow::FilterResultCountSlot);
    connect(m_ui->pushButton, &QPushButton::clicked, this, &AurexMainWindow::HelpPushButtonClicked);
    connect(m_ui->dwgFilterButton, &QPushButton::toggled, this,
            &AurexMainWindow::DWGFilterPushButtonClicked);
    connect(m_ui->dxfFilterButton, &QPushButton::toggled, this,
            &AurexMainWindow::DXFFilterPushButtonClicked);
    connect(m_ui->openCSButton, &QPushButton::clicked, this,
            &AurexMainWindow::OpenCSPushButtonClicked);
    connect(m_ui->saveCSButton, &QPushButton::clicked, this,
            &AurexMainWindow::SavedCSPushButtonClicked);

    m_ui->refreshButton->setToolTip(tr("Refresh"));
    m_ui->pushButton->setToolTip(tr("Help"));
    m_ui->UserMenuToolButton->setToolTip(tr("Sign out"));
    m_ui->SortToolButton->setToolTip(tr("Sorting options"));
    m_ui->SearchCollabSpace->setToolTip(tr("Search"));
    m_ui->dwgFilterButton->setToolTip(tr("DWG"));
    m_ui->dxfFilterButton->setToolTip(tr("DXF"));
    m_ui->dwgFilterButton->setCheckable(true);
    m_ui->dxfFilterButton->setCheckable(true);
    actionTreeView_triggered();
}

AurexMainWindow::~AurexMainWindow()
{
    delete m_ui;
}

void AurexMainWindow::buildViewMenu()
{
    QMenu *menu = createIconMenu(m_ui->ViewFromatToolButton);
    struct Entry {
        const char *text;
        const char *icon;
        const char *objectName;
        void (AurexMainWindow::*slot)();
    };
    const Entry entries[] = {
        {QT_TR_NOOP("Show Tiles"), kTilesIcon, "tilesViewAction",
         &AurexMainWindow::actionListView_triggered},
        {QT_TR_NOOP("Show Grid View"), kGridIcon, "gridViewAction",
         &AurexMainWindow::actionGridView_triggered},
        {QT_TR_NOOP("Show Structured List"), kTreeIcon, "treeViewAction",
         &AurexMainWindow::actionTreeView_triggered},
    };
    for (const Entry &entry : entries) {
        QAction *action = addIconAction(menu, entry.icon, kMenuIconSide, tr(entry.text),
                                        entry.objectName);
        connect(action, &QAction::triggered, this, entry.slot);
    }
    m_ui->ViewFromatToolButton->setMenu(menu);
}

void AurexMainWindow::buildUserMenu()
{
    m_userMenu = new CurrentPlatformMenu(m_ui->UserMenuToolButton);
    m_dashboardAction = m_userMenu->addAction(QString());
    m_separator = m_userMenu->addSeparator();
    m_identityAction = m_userMenu->addAction(QString());
    m_workOfflineAction = m_userMenu->addAction(QString());
    m_workOfflineAction->setObjectName(QStringLiteral("workOfflineAction"));
    m_workOfflineAction->setCheckable(true);
    connect(m_workOfflineAction, &QAction::triggered, this,
            [this](bool offline) { m_session->setOffline(offline); });
    m_discardAction = m_userMenu->addAction(QString());
    m_discardAction->setObjectName(QStringLiteral("discardOutboxAction"));
    connect(m_discardAction, &QAction::triggered, this, &AurexMainWindow::discardOutbox);
    m_signInOutAction = m_userMenu->addAction(QString());
    connect(m_dashboardAction, &QAction::triggered, this,
            &AurexMainWindow::launchHubdeckAction_triggered);
    connect(m_signInOutAction, &QAction::triggered, this,
            &AurexMainWindow::actionLogoutAction_triggered);
    connect(m_userMenu, &QMenu::aboutToShow, this, &AurexMainWindow::ShowMenuItems);
    m_ui->UserMenuToolButton->setMenu(m_userMenu);
}

void AurexMainWindow::setUserLabel(const QString &text)
{
    m_ui->loggedUserLabel->setText(text);
}

void AurexMainWindow::ShowMenuItems()
{
    m_dashboardAction->setText(tr("Launch Hubdeck"));
    // "NAME - TENANT"; a session without a tenant shows the name alone, not a stray dash.
    const QString tenant = m_session->tenant();
    m_identityAction->setText(tenant.isEmpty()
                                  ? m_session->displayName()
                                  : m_session->displayName() + QStringLiteral(" - ") + tenant);
    const bool signedIn = m_session->isSignedIn();
    m_signInOutAction->setText(signedIn ? tr("Log out") : tr("Log in"));
    m_workOfflineAction->setText(tr("Work Offline"));
    m_workOfflineAction->setChecked(m_session->isOffline());
    m_workOfflineAction->setVisible(signedIn);
    const int waiting = m_delivery->waitingCount();
    m_discardAction->setText(tr("Discard Saves Waiting to Upload (%1)...").arg(waiting));
    m_discardAction->setVisible(signedIn && waiting > 0 && !m_delivery->isRunning());
}

void AurexMainWindow::actionLogoutAction_triggered()
{
    if (m_session->isSignedIn())
        emit signOutAsked();
    else
        emit signInAsked();
}

void AurexMainWindow::launchHubdeckAction_triggered()
{
    DashboardLauncher::launch();
}

void AurexMainWindow::HelpPushButtonClicked()
{
    HelpAddress::open(HelpAddress::TaskPane);
}

void AurexMainWindow::OpenCSPushButtonClicked()
{
    OpenFromCSDialog::showNew(m_session);
}

void AurexMainWindow::SavedCSPushButtonClicked()
{
    SaveToCSDialog::showForActiveDrawing(m_session);
}

void AurexMainWindow::DocumentActivatedSlot()
{
    if (!m_session->isSignedIn())
        return;
    // A rebuild asked for while one runs (from a nested event loop) runs right after it.
    if (!m_mutex.tryLock()) {
        m_rebuildPending = true;
        return;
    }
    do {
        m_rebuildPending = false;
        rebuild();
    } while (m_rebuildPending);
    m_mutex.unlock();
}

void AurexMainWindow::rebuild()
{
    // The drawing in memory on this thread; the drawings it references are read from disk by a
    // job, for their images and PDFs, before the lists are filled.
    auto tree = std::make_shared<ReferenceTree>();
    buildActiveReferenceTree(*tree, false);
    delete m_scan;
    delete m_query;
    m_detailsPending = tree->root() != nullptr;
    OdDbHostAppServices *services = activeDrawingServices();
    if (!tree->root() || !services) {
        m_scannedTree.reset();
        showTree(*tree);
        return;
    }
    QStringList drawings;
    for (const ReferenceNode *node : tree->nodes()) {
        if (node != tree->root() && node->kind == ReferenceNode::Drawing && !node->path.isEmpty())
            drawings.append(node->path);
    }
    m_scannedTree = tree;
    m_scan = new AttachmentScan(drawings, services, this);
    connect(m_scan, &AurexJob::result, this, &AurexMainWindow::attachmentsScanned);
    m_scan->start();
}

void AurexMainWindow::attachmentsScanned()
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
    showTree(*tree);
}

void AurexMainWindow::showTree(const ReferenceTree &tree)
{
    m_drawingPath = tree.root() ? tree.root()->path : QString();
    m_fileList = tree.paths();
    setResultCount(tree.count());
    // Offline, the rows' lock and delete menus get the offline platform too, which refuses.
    const FileItemContext context{m_session->platform(), m_session->tenant(),
                                  m_session->currentUser()};
    setSortByName(m_treeWidget, m_session->sortByName());
    setSortByName(m_listWidget, m_session->sortByName());
    m_files.reset(context);
    for (const ReferenceNode *node : tree.nodes())
        m_files.append(node->path);
    m_treeWidget->rebuild(tree, &m_files);
    m_listWidget->rebuild(tree, &m_files);
    applyViewMode();
    m_stepTimer->start();
    if (!tree.root()) {
        m_ui->refreshButton->setEnabled(true);
        return;
    }
    m_query = new CADObjectDetailsThread(m_session->platform(), m_fileList, m_drawingPath,
                                         m_session->tenant(), this);
    connect(m_query, &CADObjectDetailsThread::CADObjectDetailsFinished, this,
            &AurexMainWindow::CADObjectDetailsFinishedSlot);
    connect(m_query, &AurexJob::result, this, [this, query = m_query.data()] {
        if (query->error() != AurexJob::NoError && query->error() != AurexJob::KilledError)
            platformUnreachable(query->errorString());
    });
    connect(m_query, &AurexJob::result, m_query, &QObject::deleteLater);
    m_query->GetCADObjectDetails();
}

void AurexMainWindow::CADObjectDetailsFinishedSlot(const MAPSTRCADOBJ &details,
                                                   const QString &drawingPath)
{
    if (drawingPath != activeDrawingPath()) {
        qCDebug(lcTaskPane) << "details of" << drawingPath << "dropped: no longer active";
        return;
    }
    if (details.isEmpty() && !m_fileList.isEmpty())
        qCWarning(lcTaskPane) << "no platform details for the" << m_fileList.size()
                              << "files of" << drawingPath;
    m_offlineOffer->hide();
    if (m_session->isOffline()) {
        // What the platform said in this session beats what the last exchange left.
        MAPSTRCADOBJ lastKnown = details;
        for (auto it = m_knownDetails.cbegin(); it != m_knownDetails.cend(); ++it)
            lastKnown.insert(it.key(), it.value());
        showConnectionLine(tr("Working offline: statuses as last known; saves wait in the "
                              "outbox until you go online."));
        showDetails(lastKnown, true);
        return;
    }
    m_retryTimer->stop();
    m_retryDelayMs = kFirstRetryMs;
    for (auto it = details.cbegin(); it != details.cend(); ++it)
        m_knownDetails.insert(it.key(), it.value());
    m_knownAt = QDateTime::currentDateTime();
    if (!m_delivery->isRunning())
        showConnectionLine(m_delivery->waitingLine());
    showDetails(details, false);
    if (m_sendOutbox) {
        m_sendOutbox = false;
        m_delivery->start();
    }
}

void AurexMainWindow::offlineChanged(bool offline)
{
    m_retryTimer->stop();
    m_retryDelayMs = kFirstRetryMs;
    m_sendOutbox = !offline;
    m_onlineWhenBack = false;
    m_offlineOffer->hide();
    if (offline)
        showConnectionLine(tr("Working offline."));
    DocumentActivatedSlot();
}

void AurexMainWindow::discardOutbox()
{
    const int waiting = m_delivery->waitingCount();
    if (waiting == 0 || m_delivery->isRunning())
        return;
    const QString saves = waiting == 1 ? tr("1 save made offline waits")
                                       : tr("%1 saves made offline wait").arg(waiting);
    QMessageBox box(QMessageBox::Question, tr("Discard Saves"),
                    tr("%1 to upload. Discard? Your files stay as they are on this computer; a "
                       "later save sends their changes.")
                        .arg(saves),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("DiscardOutboxBox"));
    QPushButton *discard = box.addButton(tr("Discard"), QMessageBox::DestructiveRole);
    discard->setObjectName(QStringLiteral("discardButton"));
    box.addButton(QMessageBox::Cancel)->setObjectName(QStringLiteral("keepButton"));
    box.exec();
    if (box.clickedButton() != discard)
        return;
    const QString problem = m_delivery->discardAll();
    const QString done = waiting == 1 ? tr("Discarded 1 save waiting to upload.")
                                      : tr("Discarded %1 saves waiting to upload.").arg(waiting);
    // Said under the lists until the statuses are fresh.
    showConnectionLine(problem.isEmpty() ? done : problem, !problem.isEmpty());
    HostAccess::writeToCommandLine(problem.isEmpty() ? done : problem);
    DocumentActivatedSlot();
}

void AurexMainWindow::retry()
{
    if (!m_session->isOffline()) {
        DocumentActivatedSlot();
        return;
    }
    if (!m_onlineWhenBack)
        return;
    AurexPlatform *platform = m_session->onlinePlatform();
    auto *probe = new ValueJob<QString>([platform](JobControl &, QString &reason) {
        reason = platform->unreachableReason();
        return QString();
    }, this);
    connect(probe, &AurexJob::result, probe, &QObject::deleteLater);
    connect(probe, &AurexJob::result, this, [this, probe] {
        if (!m_session->isOffline() || !m_onlineWhenBack)
            return;
        if (!probe->value().isEmpty()) {
            m_retryTimer->start(m_retryDelayMs);
            m_retryDelayMs = qMin(m_retryDelayMs * 2, kLongestRetryMs);
            return;
        }
        HostAccess::writeToCommandLine(tr("The AUREX Platform answers again: working online."));
        m_session->setOffline(false);
    });
    probe->start();
}

void AurexMainWindow::showConnectionLine(const QString &line, bool problem)
{
    m_connectionLabel->setStyleSheet(problem ? QStringLiteral("color: #ea4f37;")
                                             : QStringLiteral("color: #4a4a4a;"));
    m_connectionLabel->setText(line);
    m_connectionLabel->setVisible(!line.isEmpty());
}

void AurexMainWindow::showDetails(const MAPSTRCADOBJ &details, bool stale)
{
    MAPSTRCADOBJ answer = details;
    answer.insert(QLatin1String(kQueriedMarker), FileEntry());
    const QSet<QString> waiting = Outbox(m_session->tenant()).waitingKeys();
    m_files.setAnswer(answer, stale, waiting);
    m_detailsPending = false;
    applyViewMode();
    m_stepTimer->start();
    m_ui->refreshButton->setEnabled(true);
}

void AurexMainWindow::platformUnreachable(const QString &reason)
{
    qCWarning(lcTaskPane).noquote() << reason;
    const QString since = m_knownAt.isValid()
        ? tr("Statuses as of %1.").arg(QLocale().toString(m_knownAt, QLocale::ShortFormat))
        : tr("No statuses are known yet.");
    showConnectionLine(reason + QLatin1Char(' ') + since, true);
    m_sendOutbox = true;
    m_offlineOffer->show();
    showDetails(m_knownDetails, true);
    m_retryTimer->start(m_retryDelayMs);
    m_retryDelayMs = qMin(m_retryDelayMs * 2, kLongestRetryMs);
}

QString AurexMainWindow::connectionState() const
{
    return m_connectionLabel->isHidden() ? QString() : m_connectionLabel->text();
}

void AurexMainWindow::buildStep()
{
    // The rows in sight of the view on show come first, the hidden view's next; then the
    // statuses, worked out once for both views, with what is left of each turn.
    const QDeadlineTimer deadline(RowsInSight::kStepMs);
    const auto tree = [&] { return m_treeWidget->buildStep(deadline); };
    const auto list = [&] { return m_listWidget->buildStep(deadline); };
    bool done = m_viewMode == StructuredList ? tree() && list() : list() && tree();
    std::unique_ptr<FileDatabase> database;
    while (done && !deadline.hasExpired()) {
        const int index = m_files.workOutNext(database);
        if (index < 0)
            break;
        const FileItemDetails &details = *m_files.details(index, database);
        m_treeWidget->showFileDetails(index, details);
        m_listWidget->showFileDetails(index, details);
    }
    if (!done || !m_files.isComplete())
        m_stepTimer->start();
}

bool AurexMainWindow::isSettled() const
{
    return !m_detailsPending && m_files.isComplete() && m_treeWidget->isComplete()
        && m_listWidget->isComplete();
}

void AurexMainWindow::RefreshButtonClicked()
{
    setEnabled(false);
    m_ui->refreshButton->setEnabled(false);
    m_sendOutbox = true;
    DocumentActivatedSlot();
    setEnabled(true);
}

void AurexMainWindow::setResultCount(int count)
{
    m_ui->searchResultLabel->setText(tr(" Result: %1 File(s)").arg(count));
}

void AurexMainWindow::FilterResultCountSlot(int count)
{
    setResultCount(count);
}

void AurexMainWindow::applyViewMode()
{
    switch (m_viewMode) {
    case Tiles: actionListView_triggered(); break;
    case Grid: actionGridView_triggered(); break;
    case StructuredList: actionTreeView_triggered(); break;
    }
}

void AurexMainWindow::actionListView_triggered()
{
    m_viewMode = Tiles;
    m_ui->ViewFromatToolButton->setIcon(scaledIcon(kTilesIcon, kViewIconSide));
    m_stackedWidget->setCurrentIndex(0);
    m_listWidget->showTiles();
}

void AurexMainWindow::actionGridView_triggered()
{
    m_viewMode = Grid;
    m_ui->ViewFromatToolButton->setIcon(scaledIcon(kGridIcon, kViewIconSide));
    m_stackedWidget->setCurrentIndex(0);
    m_listWidget->showGrid();
}

void AurexMainWindow::actionTreeView_triggered()
{
    m_viewMode = StructuredList;
    m_ui->ViewFromatToolButton->setIcon(scaledIcon(kTreeIcon, kViewIconSide));
    m_stackedWidget->setCurrentIndex(1);
}

void AurexMainWindow::SearchTextChanged(const QString &text)
{
    if (m_viewMode != Tiles)
        actionListView_triggered();
    emit SearchTextChangedSignal(text);
}

void AurexMainWindow::DWGFilterPushButtonClicked(bool check)
{
    if (check) {
        const QSignalBlocker quiet(m_ui->dxfFilterButton);
        m_ui->dxfFilterButton->setChecked(false);
    }
    filterByType(check, kDwgFilter);
}

void AurexMainWindow::DXFFilterPushButtonClicked(bool check)
{
    if (check) {
        const QSignalBlocker quiet(m_ui->dwgFilterButton);
        m_ui->dwgFilterButton->setChecked(false);
    }
    filterByType(check, kDxfFilter);
}

void AurexMainWindow::filterByType(bool check, const char *type)
{
    if (m_viewMode == StructuredList)
        actionListView_triggered();
    emit SearchTextChangedSignal(check ? QLatin1String(type) : QString());
}

void AurexMainWindow::AscendingSortSlot(int order)
{
    const bool byName =
        order == SortingActions::AscendingName || order == SortingActions::DescendingName;
    m_session->setSortByName(byName);
    setSortByName(m_treeWidget, byName);
    setSortByName(m_listWidget, byName);
    if (order == m_sortState)
        return;
    m_sortState = order;
    const Qt::SortOrder direction =
        order == SortingActions::NewestModified || order == SortingActions::DescendingName
        ? Qt::DescendingOrder
        : Qt::AscendingOrder;
    m_treeWidget->sortItems(0, direction);
    m_listWidget->sortFiles(direction);
    m_stepTimer->start();
}
