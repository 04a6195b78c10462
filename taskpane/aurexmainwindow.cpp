#include "aurexmainwindow.h"

#include "ui_aurexmainwindow.h"

#include "activelistviewwidget.h"
#include "activetreeviewwidget.h"
#include "connectionmonitor.h"
#include "liveupdates.h"
#include "newerversionbar.h"
#include "currentplatformmenu.h"
#include "rowsinsight.h"
#include "taskpanemodel.h"

#include "drawingset/referencetree.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/iconmenu.h"
#include "fileitems/sortingactions.h"
#include "open/filehistorydialog.h"
#include "open/whereuseddialog.h"
#include "open/openfromcsdialog.h"
#include "save/outboxdelivery.h"
#include "save/savetocsdialog.h"
#include "session/dashboardlauncher.h"
#include "session/showaurextaskpane.h"
#include "support/helpaddress.h"
#include "support/hostaccess.h"
#include "support/keyboardaccess.h"


#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char kTilesIcon[] = ":/embedded/UI/Resources/FzxUiListView.png";
const char kGridIcon[] = ":/embedded/UI/Resources/FzxUiGridView.png";
const char kTreeIcon[] = ":/embedded/UI/Resources/FzxUiTreeView.png";
const char kDwgFilter[] = "dwg";
const char kDxfFilter[] = "dxf";
constexpr int kMenuIconSide = 20;
constexpr int kViewIconSide = 22;
const QRect kStackedGeometry(9, 120, 267, 541);
} // namespace

AurexMainWindow::AurexMainWindow(ShowAurexTaskPane *session, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::AurexMainWindowClass)
    , m_session(session)
    , m_model(new TaskPaneModel(session, this))
    , m_delivery(new OutboxDelivery(session, this, this))
    , m_monitor(new ConnectionMonitor(session, m_delivery, this))
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
    // The newer-version bar stands right above the lists it speaks of.
    m_newerBar = new NewerVersionBar(this);
    auto *lists = new QWidget(this);
    auto *listsLayout = new QVBoxLayout(lists);
    listsLayout->setContentsMargins(0, 0, 0, 0);
    listsLayout->addWidget(m_newerBar);
    listsLayout->addWidget(m_stackedWidget, 1);
    m_ui->gridLayout_2->addWidget(lists, 3, 0);
    m_live = new LiveUpdates(session, m_model, m_newerBar, this);
    connect(m_live, &LiveUpdates::refreshWanted, this, &AurexMainWindow::DocumentActivatedSlot);
    m_stepTimer = new QTimer(this);
    m_stepTimer->setSingleShot(true);
    m_stepTimer->setInterval(0);
    connect(m_stepTimer, &QTimer::timeout, this, &AurexMainWindow::buildStep);
    buildConnectionLine();
    m_model->setHistoryViewer([session](const QString &name, const QString &title) {
        FileHistoryDialog::showNew(session, name, title);
    });
    m_model->setWhereUsedViewer([session](const QString &name, const QString &title) {
        WhereUsedDialog::showNew(session, name, title);
    });
    m_model->setLatestGetter([this](const QString &name) { m_live->getLatest(name); });
    connect(m_model, &TaskPaneModel::listed, this, &AurexMainWindow::showTree);
    connect(m_model, &TaskPaneModel::answered, this, &AurexMainWindow::showAnswer);
    connect(m_model, &TaskPaneModel::platformAnswered, m_monitor,
            &ConnectionMonitor::platformAnswered);
    connect(m_model, &TaskPaneModel::platformUnreachable, m_monitor,
            &ConnectionMonitor::platformUnreachable);
    connect(m_monitor, &ConnectionMonitor::refreshDue, this,
            &AurexMainWindow::DocumentActivatedSlot);

    connect(m_ui->refreshButton, &QToolButton::clicked, this, &AurexMainWindow::RefreshButtonClicked);
    m_sortingActions = new SortingActions(m_ui->SortToolButton);
    connect(m_sortingActions, &SortingActions::AscendingSortEmitted, this,
            &AurexMainWindow::AscendingSortSlot);
    m_sortingActions->show(m_session->sortOrder());
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

    // The other buttons' tool tips, and the filters' being checkable, come with the form.
    m_ui->UserMenuToolButton->setToolTip(tr("Sign out"));
    // No button of the pane is pressed by Enter typed elsewhere in it.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    actionTreeView_triggered();
}

void AurexMainWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape is left to the window the pane is docked in: the dialog would hide the pane's
    // content and leave its dock empty.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
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
    // After the entries got their texts for this opening.
    KeyboardAccess::install(m_userMenu);
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
    // Signed out there is nobody to name: no blank entry.
    m_identityAction->setVisible(!m_session->displayName().isEmpty());
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
    // The drawing in memory on this thread; the drawings it references are read from disk by
    // the model's job, for their images and PDFs, before the lists are filled.
    ActiveDrawing drawing = m_activeDrawing();
    m_model->show(std::move(drawing.tree), drawing.services);
}

void AurexMainWindow::showTree(const ReferenceTree &tree)
{
    setResultCount(tree.count());
    m_treeWidget->rebuild(tree, &m_model->files());
    m_listWidget->rebuild(tree, &m_model->files());
    applySortOrder();
    m_sortDue = !SortingActions::isByName(m_session->sortOrder());
    applyViewMode();
    m_stepTimer->start();
    if (!tree.root())
        m_ui->refreshButton->setEnabled(true);
}

void AurexMainWindow::CADObjectDetailsFinishedSlot(const MAPSTRCADOBJ &details,
                                                   const QString &drawingPath)
{
    m_model->detailsArrived(details, drawingPath);
}

void AurexMainWindow::showAnswer()
{
    m_sortDue = !SortingActions::isByName(m_session->sortOrder());
    applyViewMode();
    m_stepTimer->start();
    m_ui->refreshButton->setEnabled(true);
}

void AurexMainWindow::buildConnectionLine()
{
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
    connect(m_offlineOffer, &QPushButton::clicked, m_monitor,
            &ConnectionMonitor::workOfflineUntilBack);
    m_ui->gridLayout_2->addWidget(m_offlineOffer, 5, 0);
    connect(m_monitor, &ConnectionMonitor::changed, this, &AurexMainWindow::showConnectionState);
}

void AurexMainWindow::showConnectionState()
{
    m_connectionLabel->setStyleSheet(m_monitor->isProblem() ? QStringLiteral("color: #ea4f37;")
                                                            : QStringLiteral("color: #4a4a4a;"));
    m_connectionLabel->setText(m_monitor->line());
    m_connectionLabel->setVisible(!m_monitor->line().isEmpty());
    m_offlineOffer->setVisible(m_monitor->offersOffline());
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
    m_monitor->say(problem.isEmpty() ? done : problem, !problem.isEmpty());
    HostAccess::writeToCommandLine(problem.isEmpty() ? done : problem);
    DocumentActivatedSlot();
}

QString AurexMainWindow::connectionState() const
{
    return m_connectionLabel->isHidden() ? QString() : m_connectionLabel->text();
}

QString AurexMainWindow::drawingPath() const
{
    return m_model->drawingPath();
}

QStringList AurexMainWindow::fileList() const
{
    return m_model->fileList();
}

void AurexMainWindow::buildStep()
{
    // The rows in sight of the view on show come first, the hidden view's next; then the
    // statuses, worked out once for both views, with what is left of each turn.
    const QDeadlineTimer deadline(RowsInSight::kStepMs);
    const auto tree = [&] { return m_treeWidget->buildStep(deadline); };
    const auto list = [&] { return m_listWidget->buildStep(deadline); };
    const bool done = m_viewMode == StructuredList ? tree() && list() : list() && tree();
    if (done) {
        m_model->handOut(deadline, [this](int index, const FileItemDetails &details) {
            m_treeWidget->showFileDetails(index, details);
            m_listWidget->showFileDetails(index, details);
        });
    }
    if (!done || !m_model->files().isComplete()) {
        m_stepTimer->start();
        return;
    }
    // Every file's modification time is shown now: an order by date can be made, and the rows
    // it brings into sight are made in the next step.
    if (m_sortDue) {
        m_sortDue = false;
        applySortOrder();
        m_stepTimer->start();
    }
}

bool AurexMainWindow::isSettled() const
{
    return m_model->isSettled() && m_treeWidget->isComplete() && m_listWidget->isComplete();
}

void AurexMainWindow::RefreshButtonClicked()
{
    setEnabled(false);
    m_ui->refreshButton->setEnabled(false);
    m_monitor->refreshAsked();
    DocumentActivatedSlot();
    setEnabled(true);
}

void AurexMainWindow::setResultCount(int count)
{
    m_ui->searchResultLabel->setText(tr(" Result: %n File(s)", nullptr, count));
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
    m_session->setSortOrder(order);
    applySortOrder();
    m_stepTimer->start();
}

void AurexMainWindow::applySortOrder()
{
    const int order = m_session->sortOrder();
    setSortByName(m_treeWidget, SortingActions::isByName(order));
    setSortByName(m_listWidget, SortingActions::isByName(order));
    if (order <= 0)
        return;
    m_treeWidget->sortItems(0, SortingActions::direction(order));
    m_listWidget->sortFiles(SortingActions::direction(order));
}
