#include "openfromcsdialog.h"
#include "ui_openfromcsdialog.h"

#include "cssearch.h"
#include "filehistorydialog.h"
#include "whereuseddialog.h"
#include "openfromcollaborativespace.h"
#include "openlogging.h"
#include "structurelisting.h"

#include "connector/aurexplatform.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "fileitems/csfiledeletedialog.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/filepreview.h"
#include "fileitems/filestatus.h"
#include "fileitems/iconmenu.h"
#include "fileitems/lxlistwidgetitem.h"
#include "fileitems/sortingactions.h"
#include "fileitems/viewwidget.h"
#include "session/showaurextaskpane.h"
#include "support/calljob.h"
#include "support/dialogjobs.h"
#include "support/fontscale.h"
#include "support/hostaccess.h"
#include "support/valuejob.h"
#include "support/keyboardaccess.h"
#include "support/openmessagebox.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopy.h"

#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <fzfileinfo.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const char kEnabledButtonStyle[] =
    "QPushButton{color:#1f2326; border: 1px solid #8d9095; border-radius: 3px; padding: 6px; "
    "height: 25px;\tbackground-color: qlineargradient(spread:pad, x1:1, y1:0.570, x2:1, y2:0, "
    "stop:0 rgba(226,228,227, 255), stop:1 rgba(245,246,247, 255));}QPushButton:hover{border: "
    "1px solid #368ec4; color: #368ec4; }QPushButton:pressed{color:#5b5d5e; border: 1px solid "
    "#5b5d5e;\tbackground-color: qlineargradient(spread:pad, x1:1, y1:0.570, x2:1, y2:0, stop:0 "
    "rgba(240,241,242, 255), stop:1 rgba(225,227,227, 255));}";
const char kDisabledButtonStyle[] =
    "QPushButton{color:#a9abae; border: 1px solid #d3d5d8; border-radius: 3px; padding: 6px; "
    "height: 25px;"
    "\tbackground-color:qlineargradient(spread:pad, x1:1, y1:0.0, x2:1, y2:0, stop:0 "
    "rgba(226,228,227, 255), stop:1 rgba(245,246,247, 255)); }";
const char kComboStyle[] =
    "QComboBox{border: 1px solid #717374; border-radius: 3px; padding: 1px 18px 1px 3px; height: "
    "25px;}QComboBox:hover{border: 1px solid #368ec4;}QComboBox::drop-down:hover{border-left: "
    "1px solid #368ec4;}QComboBox::drop-down:button{border-top-right-radius: 3px; "
    "border-bottom-right-radius: 3px; width: 26px; border-left: 1px solid #717374; "
    "background-color: qlineargradient(spread:pad, x1:1, y1:0.570, x2:1, y2:0, stop:0 rgba(220, "
    "222, 224, 255), stop:1 rgba(237, 238, 238, 255));}QComboBox::down-arrow{ width: 20px; "
    "height: 20px;image: url(:/embedded/UI/Resources/FzxUiDropDownArrowNormal.png);}"
    "QComboBox::down-arrow:hover{ width: 20px; height: 20px;image: "
    "url(:/embedded/UI/Resources/FzxUiDropDownArrowHoverPress.png);}";
const char kTilesListStyle[] =
    "QListView::item{background-color: #ffffff; border:  1px solid  #e2e4e3; border-top-color:none}"
    "QListView::item:hover{background-color: #e2e4e3; border: 1px solid  #e2e4e3}"
    "QListView::item:selected{ background: #e2e4e3; border: 1px solid #368ec4; "
    "border-left-color:none; border-right-color:none}QListView {show-decoration-selected: 0;}";
const char kGridListStyle[] = "QListView::item:hover {background-color: none; border: none}";
const char kGridIcon[] = ":/embedded/UI/Resources/FzxUiGridView.png";
const char kTilesIcon[] = ":/embedded/UI/Resources/FzxUiListView.png";
constexpr int kViewIconSide = 22;

QString firstLocation(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::standardLocations(location).value(0);
}

} // namespace

OpenFromCSDialog::OpenFromCSDialog(ShowAurexTaskPane *session, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::OpenFromCSDialogClass)
    , m_platform(session->platform())
    , m_offline(session->isOffline())
    , m_session(session)
    , m_jobs(new DialogJobs(this))
{
    AurexPlatform *platform = m_platform;
    m_ui->setupUi(this);
    growWithFont(this);
    KeyboardAccess::install(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    for (QWidget *button : {static_cast<QWidget *>(m_ui->searchButton),
                            static_cast<QWidget *>(m_ui->browseButton),
                            static_cast<QWidget *>(m_ui->cancelButton)})
        button->setStyleSheet(QLatin1String(kEnabledButtonStyle));
    m_ui->CollabSpaceSelectorComboBox->setStyleSheet(QLatin1String(kComboStyle));
    buildViewMenu();

    m_ui->CollabSpaceSelectorComboBox->addItem(tr("All Collaborative Spaces"));
    if (m_offline) {
        // The copies open where they are: no folder to choose.
        for (QWidget *widget : {static_cast<QWidget *>(m_ui->label_3),
                                static_cast<QWidget *>(m_ui->downloadFolderLocationLineEdit),
                                static_cast<QWidget *>(m_ui->browseButton)})
            widget->hide();
        m_ui->searchStringLabel->setText(
            tr("Working offline: search the drawings this computer has copies of."));
    }
    // The user's spaces come from the platform, in a job: a platform slow to answer leaves the
    // dialog usable (searching all spaces) and the wait cancellable.
    auto *spaces = new ValueJob<QStringList>([platform](JobControl &, QStringList &names) {
        names = platform->spaces();
        return QString();
    });
    // Cancelled before the spaces came, the dialog has not shown and goes (DialogJobs).
    m_jobs->run(spaces, [this, spaces] {
        m_ui->CollabSpaceSelectorComboBox->addItems(spaces->value());
        emit spacesShown();
    });

    auto *sorting = new SortingActions(m_ui->sortButton);
    connect(sorting, &SortingActions::AscendingSortEmitted, this,
            &OpenFromCSDialog::AscendingSortSlot);
    sorting->show(m_session->sortOrder());
    setButtonEnabled(m_ui->openButton, !m_ui->downloadFolderLocationLineEdit->text().isEmpty());

    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->listWidget, &QListWidget::itemSelectionChanged, this,
            &OpenFromCSDialog::itemSelectionChanged);
    connect(m_ui->listWidget, &QWidget::customContextMenuRequested, this,
            &OpenFromCSDialog::showContextMenuForWidget);
    // Enter on a result opens it, as the Open button would.
    connect(m_ui->listWidget, &QAbstractItemView::activated, this, [this] {
        if (m_ui->openButton->isEnabled())
            m_ui->openButton->click();
    });
    connect(m_ui->searchButton, &QPushButton::clicked, this, &OpenFromCSDialog::SearchButtonPressed);
    connect(m_ui->SearchLineEditBox, &QLineEdit::returnPressed, this,
            &OpenFromCSDialog::SearchButtonPressed);
    connect(m_ui->browseButton, &QPushButton::clicked, this,
            &OpenFromCSDialog::BrowseButton_triggered);
    connect(m_ui->openButton, &QPushButton::clicked, this, &OpenFromCSDialog::OpenButton_triggered);
    connect(m_ui->CollabSpaceSelectorComboBox, QOverload<int>::of(&QComboBox::activated), this,
            &OpenFromCSDialog::SelectCollabSpaceComboBoxItem);
}

OpenFromCSDialog::~OpenFromCSDialog()
{
    delete m_ui;
}

OpenFromCSDialog *OpenFromCSDialog::showNew(ShowAurexTaskPane *session)
{
    // No parent: deletes itself when closed.
    auto *dialog = new OpenFromCSDialog(session);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Shown once it can offer the user's spaces.
    if (dialog->isBusy())
        connect(dialog, &OpenFromCSDialog::spacesShown, dialog, &QWidget::show);
    else
        dialog->show();
    return dialog;
}

void OpenFromCSDialog::buildViewMenu()
{
    QMenu *menu = createIconMenu(m_ui->viewButton);
    QAction *grid = addIconAction(menu, kGridIcon, kViewIconSide, tr("Show Grid View"),
                                  "gridViewAction");
    connect(grid, &QAction::triggered, this, &OpenFromCSDialog::actionGridView_triggered);
    QAction *tiles = addIconAction(menu, kTilesIcon, kViewIconSide, tr("Show Tiles"),
                                   "tilesViewAction");
    connect(tiles, &QAction::triggered, this, &OpenFromCSDialog::actionListView_triggered);
    m_ui->viewButton->setMenu(menu);
    m_ui->viewButton->setIconSize(QSize(kViewIconSide, kViewIconSide));
    m_ui->viewButton->setIcon(scaledIcon(kGridIcon, kViewIconSide));
}

void OpenFromCSDialog::setButtonEnabled(QWidget *button, bool enabled)
{
    button->setStyleSheet(QLatin1String(enabled ? kEnabledButtonStyle : kDisabledButtonStyle));
    button->setEnabled(enabled);
}

QList<ViewWidget *> OpenFromCSDialog::resultWidgets() const
{
    QList<ViewWidget *> widgets;
    for (int i = 0; i < m_ui->listWidget->count(); ++i)
        widgets.append(widgetOf(m_ui->listWidget->item(i)));
    return widgets;
}

ViewWidget *OpenFromCSDialog::widgetOf(QListWidgetItem *item) const
{
    return item ? qobject_cast<ViewWidget *>(m_ui->listWidget->itemWidget(item)) : nullptr;
}

void OpenFromCSDialog::SelectCollabSpaceComboBoxItem(int)
{
}

void OpenFromCSDialog::SearchButtonPressed()
{
    const int index = m_ui->CollabSpaceSelectorComboBox->currentIndex();
    const QString space = index > 0 ? m_ui->CollabSpaceSelectorComboBox->currentText() : QString();
    auto *search = new CSSearch(m_platform, CSSearch::query(space, m_ui->SearchLineEditBox->text()),
                                firstLocation(QStandardPaths::TempLocation));
    // The box is modal: nothing can start a second platform call while the search runs.
    m_jobs->run(search, [this, search] { searchEnded(search); });
}

bool OpenFromCSDialog::isBusy() const
{
    return m_jobs->isBusy();
}

void OpenFromCSDialog::searchEnded(CSSearch *search)
{
    if (search->error() != AurexJob::NoError) {
        openMessageBox(this, QMessageBox::Warning, tr("Error"), search->errorString());
        return;
    }
    fillResults(search->takeResults(), search->previewFolder());
    m_ui->searchStringLabel->setVisible(m_offline);
}

FileItemContext OpenFromCSDialog::itemContext() const
{
    ShowAurexTaskPane *session = m_session;
    FileItemContext context{m_platform, m_session->tenant(), m_session->currentUser(),
                            m_session->workingCopy(),
                            [session](const QString &name, const QString &title) {
                                FileHistoryDialog::showNew(session, name, title);
                            }};
    context.showWhereUsed = [session](const QString &name, const QString &title) {
        WhereUsedDialog::showNew(session, name, title);
    };
    return context;
}

void OpenFromCSDialog::fillResults(RecordList results, const QString &previewFolder)
{
    QListWidget *list = m_ui->listWidget;
    list->clear();
    QPalette palette = list->palette();
    palette.setColor(QPalette::Highlight, Qt::white);
    list->setPalette(palette);
    list->setDragEnabled(false);
    // Items are added unsorted and sorted once at the end by the order chosen last.
    list->setSortingEnabled(false);
    const FileItemContext context = itemContext();
    for (const FzFileInfo *record : results) {
        const QString title = recordTitle(*record);
        const QString stamp = recordProperty(*record, kKeyFileModified);
        auto *item = new LxListWidgetItem; // owned by the list once added
        auto *widget = new ViewWidget(*record, context); // owned by the list once set on the item
        connect(widget, &ViewWidget::ListViewItemDelete, this,
                &OpenFromCSDialog::deleteSelectedViewItemSlot);
        widget->setText(title, stamp, recordProperty(*record, kKeySpace));
        const QString preview =
            QDir(previewFolder).filePath(QFileInfo(title).completeBaseName() + QLatin1String(".jpg"));
        if (QFileInfo(preview).isFile())
            widget->setPreview(preview);
        else if (m_offline) // no previews offline: the local copy's picture
            widget->setPreview(previewSourceFor(recordProperty(*record, kKeyFileName)));
        item->setData(FileNameRole, title);
        item->setData(FileModifiedRole, platformStampMSecs(stamp));
        list->addItem(item);
        list->setItemWidget(item, widget);
    }
    applyView();
    list->setSortingEnabled(true);
    applySortOrder();
    m_ui->searchResult->setText(tr("%n Results", nullptr, int(results.size())));
    m_ui->sortButton->setToolTip(tr("Sorting options"));
    setButtonEnabled(m_ui->openButton, false);
}

void OpenFromCSDialog::actionListView_triggered()
{
    m_viewMode = TilesView;
    applyView();
}

void OpenFromCSDialog::actionGridView_triggered()
{
    m_viewMode = GridView;
    applyView();
}

void OpenFromCSDialog::applyView()
{
    QListWidget *list = m_ui->listWidget;
    const bool tiles = m_viewMode == TilesView;
    m_ui->viewButton->setIcon(scaledIcon(tiles ? kTilesIcon : kGridIcon, kViewIconSide));
    list->setViewMode(tiles ? QListView::ListMode : QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setStyleSheet(QLatin1String(tiles ? kTilesListStyle : kGridListStyle));
    for (int i = 0; i < list->count(); ++i) {
        ViewWidget *widget = widgetOf(list->item(i));
        if (!widget)
            continue;
        if (tiles)
            widget->applyTileLayout();
        else
            widget->applyGridLayout();
        list->item(i)->setSizeHint(widget->sizeHint());
    }
    list->setSpacing(tiles ? 0 : 9);
}

void OpenFromCSDialog::AscendingSortSlot(int order)
{
    m_session->setSortOrder(order);
    applySortOrder();
}

void OpenFromCSDialog::applySortOrder()
{
    const int order = m_session->sortOrder();
    setSortByName(m_ui->listWidget, SortingActions::isByName(order));
    if (order > 0)
        m_ui->listWidget->sortItems(SortingActions::direction(order));
}

void OpenFromCSDialog::itemSelectionChanged()
{
    setButtonEnabled(m_ui->openButton, false);
    QListWidget *list = m_ui->listWidget;
    for (int i = 0; i < list->count(); ++i) {
        if (ViewWidget *widget = widgetOf(list->item(i)))
            widget->setHighlighted(list->item(i)->isSelected());
    }
    const QList<QListWidgetItem *> selected = list->selectedItems();
    ViewWidget *widget = selected.size() == 1 ? widgetOf(selected.first()) : nullptr;
    if (!widget || !widget->isEnabled() || !widget->record())
        return;
    // A file exchanged before is offered for download into the folder that holds it.
    const std::unique_ptr<FileDatabase> database = m_session->workingCopy()->snapshot();
    m_ui->downloadFolderLocationLineEdit->setEnabled(true);
    m_ui->downloadFolderLocationLineEdit->setText(
        downloadFolderFor(*database, recordProperty(*widget->record(), kKeyName),
                          recordTitle(*widget->record())));
    setButtonEnabled(m_ui->openButton, true);
}

void OpenFromCSDialog::chooseFolder()
{
    // Not waited for: the dialog may close (and go) while the folder dialog is up.
    auto *chooser = new QFileDialog(this, tr("Default download folder"),
                                    browseStartFolder(m_ui->downloadFolderLocationLineEdit->text()));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setFileMode(QFileDialog::Directory);
    chooser->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    connect(chooser, &QDialog::accepted, this, [this, chooser] {
        const QString folder = chooser->selectedFiles().value(0);
        if (folder.isEmpty())
            return;
        m_ui->downloadFolderLocationLineEdit->setText(folder);
        // A folder alone opens nothing: Open stays for one platform file chosen.
        const QList<QListWidgetItem *> selected = m_ui->listWidget->selectedItems();
        const ViewWidget *widget = selected.size() == 1 ? widgetOf(selected.first()) : nullptr;
        setButtonEnabled(m_ui->openButton, widget && widget->isEnabled() && widget->record());
    });
    chooser->open();
}

void OpenFromCSDialog::BrowseButton_triggered()
{
    chooseFolder();
}

void OpenFromCSDialog::OpenButton_triggered()
{
    // Typed with a separator at the end or "." and ".." parts, it is still the one folder.
    const QString folder =
        FileDatabase::keyForPath(m_ui->downloadFolderLocationLineEdit->text().trimmed());
    if (folder.isEmpty()) {
        openMessageBox(this, QMessageBox::Warning, tr("Message"),
                       tr("Please enter default download folder location."));
        return;
    }
    ViewWidget *widget = widgetOf(m_ui->listWidget->currentItem());
    if (!widget || !widget->record())
        return;
    if (m_offline) {
        openLocalCopy(*widget->record());
        return;
    }
    QString targetPath = folder + QLatin1Char('/') + recordTitle(*widget->record());
    targetPath.replace(QLatin1Char('/'), QLatin1Char('\\'));

    CFxDocumentManager *documents = HostAccess::documents();
    if (documents && documents->FindDocument(CFxString(targetPath))) {
        QMessageBox *box = openMessageBox(
            this, QMessageBox::Warning, tr("Warning"),
            tr("A document with the same name exists in the selected folder and is "
               "currently open in Lintra.Press Use Existing to switch to the open "
               "document or press Browse... to download to a different folder"),
            QMessageBox::NoButton);
        QPushButton *useExisting = box->addButton(tr("Use Existing"), QMessageBox::ActionRole);
        box->addButton(tr("Browse.."), QMessageBox::ActionRole);
        connect(box, &QMessageBox::buttonClicked, this,
                [this, useExisting, targetPath](QAbstractButton *answer) {
                    if (answer != useExisting) {
                        chooseFolder();
                        return;
                    }
                    // Found again: the drawing may have been closed while the box was up.
                    CFxDocumentManager *documents = HostAccess::documents();
                    if (CFxDocument *open =
                            documents ? documents->FindDocument(CFxString(targetPath)) : nullptr)
                        documents->ActivateDocument(open);
                    close();
                });
        return;
    }
    download(*widget->record(), folder, targetPath);
}

void OpenFromCSDialog::openLocalCopy(const FzFileInfo &result)
{
    const QString path = QDir::toNativeSeparators(recordProperty(result, kKeyFileName));
    CFxDocumentManager *documents = HostAccess::documents();
    if (!documents || path.isEmpty())
        return;
    if (CFxDocument *open = documents->FindDocument(CFxString(path)))
        documents->ActivateDocument(open);
    else
        documents->OpenDocument(CFxString(path));
    close();
}

void OpenFromCSDialog::download(const FzFileInfo &result, const QString &folder,
                                const QString &targetPath)
{
    // A folder named in the field but not made yet (the documents folder of a new account) is
    // made, as a download into it implies.
    if (!QDir().mkpath(folder)) {
        openMessageBox(this, QMessageBox::Warning, tr("Error"),
                       tr("The folder %1 cannot be created.").arg(folder));
        return;
    }
    auto *listing = new StructureListing(m_platform, result);
    m_jobs->run(listing, [=] { structureListed(listing, folder, targetPath); });
}

void OpenFromCSDialog::structureListed(StructureListing *listing, const QString &folder,
                                       const QString &targetPath)
{
    if (listing->error() != AurexJob::NoError) {
        openMessageBox(this, QMessageBox::Warning, tr("Error"), listing->errorString());
        return;
    }
    RecordList records = listing->takeRecords();
    const bool presentLocally =
        prepareDownload(*m_session->workingCopy()->snapshot(), folder, records.records());
    auto *options = new OpenFromCollaborativeSpace(m_platform, m_session->tenant(), this);
    options->setAttribute(Qt::WA_DeleteOnClose);
    options->setRecords(std::move(records));
    options->setTargetPath(targetPath);
    if (presentLocally)
        options->open();
    else
        options->OverwriteAllLocalSlot();
}

void OpenFromCSDialog::showContextMenuForWidget(const QPoint &position)
{
    // Not waited for, as the boxes are: the dialog may close while the menu is open.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("ContextMenu"));
    QAction *remove = menu->addAction(tr("Delete"));
    QAction *history = menu->addAction(tr("History..."));
    history->setObjectName(QStringLiteral("HistoryMenu"));
    QAction *whereUsed = menu->addAction(tr("Where Used..."));
    whereUsed->setObjectName(QStringLiteral("WhereUsedMenu"));
    const QList<QListWidgetItem *> selected = m_ui->listWidget->selectedItems();
    ViewWidget *first = selected.isEmpty() ? nullptr : widgetOf(selected.first());
    if (first && first->record()) {
        const QString lockedBy = recordProperty(*first->record(), kKeyLockedBy);
        const bool lockedByOther =
            !lockedBy.isEmpty() && lockedBy != m_session->currentUser();
        remove->setEnabled(!lockedByOther && first->isEnabled()
                           && recordMayDelete(*first->record(), m_session->currentUser()));
    } else {
        remove->setEnabled(false);
    }
    history->setEnabled(selected.size() == 1 && first && first->record() && first->isEnabled());
    whereUsed->setEnabled(history->isEnabled());
    connect(remove, &QAction::triggered, this, [this, remove] { deleteItem(remove); });
    if (history->isEnabled()) {
        // Taken now: a new search may replace the results while the menu is open.
        const QString name = recordProperty(*first->record(), kKeyName);
        const QString title = recordTitle(*first->record());
        connect(history, &QAction::triggered, this,
                [this, name, title] { FileHistoryDialog::showNew(m_session, name, title); });
        connect(whereUsed, &QAction::triggered, this,
                [this, name, title] { WhereUsedDialog::showNew(m_session, name, title); });
    }
    KeyboardAccess::assignMnemonics(menu);
    menu->popup(m_ui->listWidget->viewport()->mapToGlobal(position));
}

void OpenFromCSDialog::deleteItem(QAction *)
{
    m_deleteItems = m_ui->listWidget->selectedItems();
    if (CSFileDeleteDialog::instance()->confirmDelete())
        deleteListed();
}

void OpenFromCSDialog::deleteSelectedViewItemSlot(QWidget *parent)
{
    m_deleteItems.clear();
    for (int i = 0; i < m_ui->listWidget->count(); ++i) {
        if (widgetOf(m_ui->listWidget->item(i)) == parent)
            m_deleteItems.append(m_ui->listWidget->item(i));
    }
    // The tile's own menu has asked for confirmation already.
    deleteListed();
}

void OpenFromCSDialog::deleteListed()
{
    RecordList records;
    QStringList names;
    QStringList deleted; // "title (name)" as the trash message tells them
    QString space;
    for (QListWidgetItem *item : qAsConst(m_deleteItems)) {
        if (ViewWidget *widget = widgetOf(item); widget && widget->record()) {
            records.addCopy(*widget->record());
            names.append(recordProperty(*widget->record(), kKeyName));
            deleted.append(QStringLiteral("%1 (%2)").arg(recordTitle(*widget->record()),
                                                         names.constLast()));
            space = recordProperty(*widget->record(), kKeySpace);
        }
    }
    if (records.empty() || m_jobs->isBusy())
        return;
    auto shared = std::make_shared<RecordList>(std::move(records));
    AurexPlatform *platform = m_platform;
    auto *job = new CallJob([platform, shared](JobControl &) {
        if (platform->remove(*shared))
            return QString();
        // The platform's own reason, when it refused (a role that may not delete).
        const QString refusal = platform->lastRefusal();
        const QString text = tr("An error occurred during deleting CS file.");
        return refusal.isEmpty() ? text : text + QLatin1Char('\n') + refusal;
    });
    m_jobs->run(job, [this, job, names, deleted, space] {
        if (deleteEnded(job, names))
            openMessageBox(this, QMessageBox::Information, tr("Moved to the trash"),
                           trashText(deleted, space));
    });
}

QString OpenFromCSDialog::trashText(const QStringList &deleted, const QString &space)
{
    return tr("Moved to the trash of %1: %2.\n\nNothing is lost yet: you, a manager of %1 or "
              "your platform administrator can bring back what you deleted from the trash, where "
              "deleted files stay for 30 days unless the administrator set another time.")
        .arg(space, deleted.join(QStringLiteral(", ")));
}

bool OpenFromCSDialog::deleteEnded(AurexJob *job, const QStringList &names)
{
    if (job->error() != AurexJob::NoError) {
        openMessageBox(this, QMessageBox::Warning, tr("Error"), job->errorString());
        m_ui->listWidget->viewport()->update();
        return false;
    }
    for (QListWidgetItem *item : qAsConst(m_deleteItems)) {
        if (ViewWidget *widget = widgetOf(item))
            widget->setEnabled(false);
        item->setSelected(false);
        m_ui->listWidget->removeItemWidget(item);
        delete m_ui->listWidget->takeItem(m_ui->listWidget->row(item));
    }
    m_deleteItems.clear();
    m_session->workingCopy()->change([names](FileDatabase &database) {
        for (const QString &name : names)
            database.removeFilesNamed(name);
    });
    m_ui->listWidget->viewport()->update();
    return true;
}
