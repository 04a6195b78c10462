#include "savetocsdialog.h"
#include "ui_savetocsdialog.h"

#include "checkinrecords.h"
#include "duplicatesearch.h"
#include "outbox.h"
#include "savecheckin.h"
#include "savedialogtreedelegate.h"
#include "savedialogtreemodel.h"
#include "savedialogtreeview.h"
#include "savelogging.h"
#include "saveset.h"
#include "sharedfilenotes.h"
#include "savetreeitem.h"

#include "connector/aurexplatform.h"
#include "drawingset/filedetailsjob.h"
#include "drawingset/referencetree.h"
#include "drawingset/referencetreebuilder.h"
#include "open/earlierversionfolder.h"
#include "session/showaurextaskpane.h"
#include "support/dialogjobs.h"
#include "support/fontscale.h"
#include "support/helpaddress.h"
#include "support/hostaccess.h"
#include "support/jobsequence.h"
#include "support/valuejob.h"
#include "support/keyboardaccess.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/localsaverecorder.h"
#include "workingcopy/workingcopy.h"
#include "workingcopy/offlineplatform.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include <fzfileinfo.h>

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QLineEdit>
#include <QMessageBox>
#include <QSet>

#include <algorithm>

namespace {

const char kLineEditStyle[] =
    "QLineEdit{border: 1px solid #898b8e; border-radius: 3px; padding: 1px 18px 1px 3px;}"
    "QLineEdit:hover{border: 1px solid #368ec4;}";
constexpr int kCommentLength = 2000;

} // namespace

SaveToCSDialog::SaveToCSDialog(ShowAurexTaskPane *session, QWidget *parent)
    : QDialog(parent),
      m_ui(new Ui::SaveToCSDialog),
      m_platform(session->platform()),
      m_offline(session->isOffline()),
      m_session(session),
      m_view(new SaveDialogTreeView(this)),
      m_delegate(new SaveDialogTreeDelegate(this)),
      m_jobs(new DialogJobs(this)),
      m_tenant(session->tenant()),
      m_currentUser(session->currentUser())
{
    m_ui->setupUi(this);
    growWithFont(this);
    KeyboardAccess::install(this);
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->HelpPushButton->hide();

    connect(m_ui->ApplyToAllPushButton, &QPushButton::clicked, this,
            &SaveToCSDialog::ChangeAllTreeItemName);
    connect(m_ui->ActiveSpaceComboBox, &QComboBox::currentTextChanged, this,
            &SaveToCSDialog::currentIndexChangedSlot);
    connect(m_ui->CheckDuplicatePushButton, &QPushButton::clicked, this,
            &SaveToCSDialog::CheckForDuplicatesSlot);
    connect(m_ui->ResetPushButton, &QPushButton::clicked, this, &SaveToCSDialog::ResetSlot);

    m_ui->ToggleComboBox->addItems({tr("Prefix"), tr("Suffix")});
    m_ui->lineEdit->setStyleSheet(QLatin1String(kLineEditStyle));

    m_view->setObjectName(QStringLiteral("SaveDialogTreeView"));
    m_view->setGeometry(9, 99, 501, 331);
    m_view->setMinimumSize(501, 331);
    m_ui->treeLayout->insertWidget(0, m_view, 1);
    m_delegate->setRowHeight(35);
    m_view->setItemDelegate(m_delegate);

    buildRows(saveActiveDrawing());

    connect(m_ui->SavePushButton, &QPushButton::clicked, this,
            &SaveToCSDialog::SavePushButtonClicked);
    connect(m_ui->CancelPushButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->HelpPushButton, &QPushButton::clicked, this,
            &SaveToCSDialog::HelpPushButtonClicked);

    m_ui->FilePropertiesLabel->hide();
    m_comment = new QLineEdit(this);
    m_comment->setObjectName(QStringLiteral("CheckInCommentEdit"));
    m_comment->setPlaceholderText(tr("Describe your changes"));
    // The platform keeps one comment of at most this many characters per check-in.
    m_comment->setMaxLength(kCommentLength);
    m_comment->setStyleSheet(QLatin1String(kLineEditStyle));
    m_ui->mainLayout->insertWidget(m_ui->mainLayout->indexOf(m_ui->buttonLayout), m_comment);
    m_errorText = m_ui->error_label->text();
    m_sharedLabel = new QLabel(this);
    m_sharedLabel->setObjectName(QStringLiteral("SharedFilesLabel"));
    m_sharedLabel->setWordWrap(true);
    m_sharedLabel->hide();
    m_ui->mainLayout->insertWidget(m_ui->mainLayout->indexOf(m_ui->error_label), m_sharedLabel);
    updateErrorLabel();
}

SaveToCSDialog::~SaveToCSDialog()
{
    delete m_ui;
}

SaveToCSDialog *SaveToCSDialog::showForActiveDrawing(ShowAurexTaskPane *session)
{
    // A version opened from a file's history is there to be looked at, never saved back.
    const CFxDocument *active = HostAccess::activeDocument();
    const QString refusal = EarlierVersionFolder::saveRefusal(
        active ? active->GetPathName().toQString() : QString());
    if (!refusal.isEmpty()) {
        auto *box = new QMessageBox(QMessageBox::Information, tr("Save"), refusal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setObjectName(QStringLiteral("SaveRefusedBox"));
        box->show();
        return nullptr;
    }
    auto *dialog = new SaveToCSDialog(session);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Save to Collaborative Space"));
    dialog->setAddTextRowVisible(false);
    if (dialog->isBusy())
        connect(dialog, &SaveToCSDialog::rowsShown, dialog, &QWidget::show);
    else
        dialog->show();
    return dialog;
}

void SaveToCSDialog::setAddTextRowVisible(bool visible)
{
    for (QWidget *widget : std::initializer_list<QWidget *>{
             m_ui->add_label, m_ui->ToggleComboBox, m_ui->lineEdit, m_ui->ApplyToAllPushButton})
        widget->setVisible(visible);
}

QString SaveToCSDialog::saveActiveDrawing()
{
    // The file that is saved is the one on disk: bring it up to date first. The host may
    // decline; the dialog goes on with the file as it is.
    CFxDocument *document = HostAccess::activeDocument();
    if (!document)
        return QString();
    if (!document->Save()) {
        qCDebug(lcSave) << "the host did not save the active drawing";
        return QString();
    }
    return document->GetPathName().toQString();
}

void SaveToCSDialog::buildRows(const QString &savedPath)
{
    m_set = std::make_unique<SaveSet>(m_currentUser);
    auto tree = std::make_shared<ReferenceTree>();
    const ReferenceNode *root = buildActiveReferenceTree(*tree);
    if (!root) {
        m_ui->SavePushButton->setEnabled(false);
        m_ui->CheckDuplicatePushButton->setEnabled(false);
        m_ui->label->setText(tr("Open a drawing to save it to a collaborative space."));
        return;
    }
    AurexPlatform *platform = m_platform;
    auto *flow = new JobSequence(this);
    flow->runUnder(m_jobs);
    // The save just made is recorded as a save in the host is, so that a save cancelled here
    // still shows the drawing as changed, and the rows below see it.
    flow->step([this, savedPath]() -> AurexJob * {
        return savedPath.isEmpty()
            ? nullptr
            : m_session->workingCopy()->changeJob(LocalSaveRecorder::savedEdit(savedPath));
    });
    // The user's spaces first (those offered for new files: the ones the user may save to),
    // then the platform's word on each file.
    using Spaces = std::pair<QStringList, QStringList>; // all, writable
    flow->step<ValueJob<Spaces>>(
        [platform] {
            return new ValueJob<Spaces>([platform](JobControl &, Spaces &names) {
                names = {platform->spaces(), platform->writableSpaces()};
                return QString();
            });
        },
        [this](ValueJob<Spaces> &spaces) {
            if (!m_offline)
                OfflinePlatform::rememberSpaces(m_tenant, spaces.value().first);
            m_set->setWritableSpaces(spaces.value().second);
            fillSpaces(spaces.value().second);
        });
    // The tree stays with the query until its answer has come.
    flow->step<FileDetailsJob>(
        [this, tree] { return new FileDetailsJob(m_platform, m_tenant, tree->paths()); },
        [this, tree](FileDetailsJob &query) {
            m_set->build(*tree->root(), query.details(), *m_session->workingCopy()->snapshot());
        });
    // New files whose titles the space has already show red as the dialog opens.
    flow->step<DuplicateSearch>(
        [this]() -> DuplicateSearch * {
            return m_set->titlesToCheck().isEmpty()
                ? nullptr
                : new DuplicateSearch(m_platform, *m_set, m_tenant);
        },
        [this](DuplicateSearch &search) {
            m_set->evaluateDuplicates(search.duplicates());
            // Reset goes back to the rows as the user first saw them, red ones red.
            m_set->keepAsMade();
        });
    // Changed files that drawings outside this save use too: said under the rows.
    flow->step<ValueJob<SharedFileNotes>>(
        [this]() -> ValueJob<SharedFileNotes> * {
            const SharedFileNotes notes(m_set->top());
            if (m_offline || notes.isEmpty())
                return nullptr;
            AurexPlatform *platform = m_platform;
            return new ValueJob<SharedFileNotes>(
                [notes, platform](JobControl &, SharedFileNotes &asked) {
                    asked = notes;
                    asked.ask(platform);
                    return QString();
                });
        },
        [this](ValueJob<SharedFileNotes> &asked) { m_sharedNotes = asked.value(); });
    connect(flow, &JobSequence::finished, this, [this](JobSequence *ended) {
        ended->deleteLater();
        if (ended->error() == AurexJob::NoError)
            showRows();
        else if (ended->error() != AurexJob::KilledError)
            rowsNotBuilt(ended->errorString());
    });
    flow->start();
}

void SaveToCSDialog::rowsNotBuilt(const QString &reason)
{
    // Without the platform's answers no row can be decided: the user hears why, and the
    // dialog does not show.
    showError(reason);
    if (testAttribute(Qt::WA_DeleteOnClose))
        deleteLater();
}

void SaveToCSDialog::showError(const QString &reason)
{
    // Not a child of the dialog, which may go while the box stays.
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Error"), reason, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("SaveErrorBox"));
    box->show();
}

void SaveToCSDialog::showRows()
{
    m_model = new SaveDialogTreeModel(m_set->root(), m_previewFolder.path(), this);
    m_view->setModel(m_model);
    // A row the user leaves out or overwrites may end what the error line says.
    connect(m_model, &QAbstractItemModel::dataChanged, this, &SaveToCSDialog::updateErrorLabel);
    QHeaderView *header = m_view->header();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->moveSection(SaveDialogTreeModel::TypeColumn, 0);
    m_view->expandAll();
    fitColumns();
    updateErrorLabel();
    emit rowsShown();
}

void SaveToCSDialog::fitColumns()
{
    // At least the widths the dialog was drawn with; more where the header or a cell needs it
    // (larger fonts, longer translations, deep references). The space column takes the rest.
    const std::pair<int, int> columns[] = {{SaveDialogTreeModel::DisplayNameColumn, 250},
                                           {SaveDialogTreeModel::TypeColumn, 40},
                                           {SaveDialogTreeModel::StatusColumn, 60},
                                           {SaveDialogTreeModel::ActionColumn, 150}};
    QHeaderView *header = m_view->header();
    int total = 0;
    for (const auto &[column, drawn] : columns) {
        const int width = std::max({drawn, header->sectionSizeHint(column),
                                    m_view->widthNeeded(column)});
        header->resizeSection(column, width);
        total += width;
    }
    const int space = qMax(header->sectionSizeHint(SaveDialogTreeModel::SpaceColumn),
                           m_view->widthNeeded(SaveDialogTreeModel::SpaceColumn));
    // Wide enough to show every column without scrolling sideways: the dialog grows with it.
    m_view->setMinimumWidth(total + space + m_view->frameWidth() * 2
                            + m_view->verticalScrollBar()->sizeHint().width());
}

bool SaveToCSDialog::isBusy() const
{
    return m_jobs->isBusy();
}

void SaveToCSDialog::refreshRows()
{
    if (m_model)
        m_model->refresh();
}

void SaveToCSDialog::fillSpaces(const QStringList &spaces)
{
    m_delegate->setSpaces(spaces);
    // The first insertion selects the first space; m_firstSelection keeps that from changing
    // any row.
    m_ui->ActiveSpaceComboBox->addItems(spaces);
}

void SaveToCSDialog::updateErrorLabel()
{
    m_set->recount();
    m_ui->error_label->setVisible(m_set->hasError());
    // The design's sentence, and under it the first reason, which the red row's tool tip gives
    // in full too.
    const QString reason = m_set->firstErrorReason();
    m_ui->error_label->setText(reason.isEmpty() ? m_errorText : m_errorText + '\n' + reason);
    const QString shared = m_sharedNotes.text(m_set->top());
    m_sharedLabel->setText(shared);
    m_sharedLabel->setVisible(!shared.isEmpty());
}

void SaveToCSDialog::currentIndexChangedSlot(const QString &space)
{
    if (m_firstSelection) {
        m_firstSelection = false;
    } else {
        m_set->setSpace(space);
    }
    refreshRows();
}

void SaveToCSDialog::CheckForDuplicatesSlot()
{
    auto *flow = new JobSequence(this);
    flow->runUnder(m_jobs);
    checkDuplicates(flow);
    connect(flow, &JobSequence::finished, this, [this](JobSequence *ended) {
        ended->deleteLater();
        if (ended->error() != AurexJob::NoError && ended->error() != AurexJob::KilledError)
            showError(ended->errorString());
    });
    flow->start();
}

void SaveToCSDialog::checkDuplicates(JobSequence *flow)
{
    flow->step<DuplicateSearch>(
        [this] { return new DuplicateSearch(m_platform, *m_set, m_tenant); },
        [this](DuplicateSearch &search) {
            m_set->evaluateDuplicates(search.duplicates());
            m_view->clearSelection();
            refreshRows();
        });
}

void SaveToCSDialog::ResetSlot()
{
    m_set->reset();
    refreshRows();
}

void SaveToCSDialog::ChangeAllTreeItemName()
{
    // The text goes before or after the base name of every file saved as new, whose display
    // name is its title on the platform.
    const QString text = m_ui->lineEdit->text();
    const bool prefix = m_ui->ToggleComboBox->currentIndex() == 0;
    if (text.isEmpty())
        return;
    for (SaveTreeItem *row : m_set->rows()) {
        if (row->action != SaveAction::SaveAsNew)
            continue;
        const QFileInfo file(row->displayName);
        const QString suffix = file.suffix().isEmpty() ? QString() : "." + file.suffix();
        row->displayName = prefix ? text + row->displayName
                                  : file.completeBaseName() + text + suffix;
    }
    refreshRows();
}

void SaveToCSDialog::HelpPushButtonClicked()
{
    HelpAddress::open(HelpAddress::SaveDialog);
}

void SaveToCSDialog::SavePushButtonClicked()
{
    // The duplicate check comes first; the check-in follows when it leaves nothing in error.
    auto *flow = new JobSequence(this);
    flow->runUnder(m_jobs);
    checkDuplicates(flow);
    flow->then([this, flow] {
        if (m_set->rowsToSave() == 0) {
            accept();
            flow->stop();
        } else if (m_set->hasError()) {
            // Rows in error stay for the user to correct; the red rows and the label say why.
            m_view->clearSelection();
            flow->stop();
        } else if (m_offline) {
            queueCheckIn();
            flow->stop();
        }
    });
    flow->transfer<SaveCheckIn>(
        [this] {
            auto *job = new SaveCheckIn(m_platform, m_tenant, m_currentUser,
                                        m_previewFolder.path());
            job->setRows(*m_set->top(), m_set->rowsToSave());
            job->setComment(m_comment->text().trimmed());
            job->setKey(m_saveKey);
            return job;
        },
        [this](SaveCheckIn &job) {
            HostAccess::writeToCommandLine(job.summary());
            m_session->activeFilesChanged();
            accept();
        });
    connect(flow, &JobSequence::finished, this, [this](JobSequence *ended) {
        ended->deleteLater();
        if (auto *refused = qobject_cast<SaveCheckIn *>(ended->failedJob())) {
            // The rows the platform refused turn red, so the user can overwrite or leave them
            // out.
            const QStringList reasons = refused->explainRefusal(m_set->top());
            refreshRows();
            showUploadError(reasons.isEmpty() ? refused->errorString()
                                              : reasons.join(QLatin1Char('\n')));
        } else if (ended->error() != AurexJob::NoError && ended->error() != AurexJob::KilledError) {
            showError(ended->errorString());
        }
    });
    flow->start();
}

void SaveToCSDialog::queueCheckIn()
{
    // A file referenced twice goes once.
    QSet<QString> sent;
    for (const SaveTreeItem *row : m_set->top()->subtree()) {
        if (CheckInRecords::isSent(row))
            sent.insert(row->path);
    }
    const int files = sent.size();
    if (files == 0) {
        HostAccess::writeToCommandLine(
            tr("Nothing to save: the files are as they were at the last exchange."));
        accept();
        return;
    }
    Outbox outbox(m_tenant);
    if (!outbox.append(*m_set->top(), m_set->rowsToSave(), m_comment->text().trimmed())) {
        showUploadError(outbox.errorString());
        return;
    }
    HostAccess::writeToCommandLine(
        files == 1 ? tr("Working offline: 1 file waits in the outbox until you go online.")
                   : tr("Working offline: %1 files wait in the outbox until you go online.")
                         .arg(files));
    m_session->activeFilesChanged();
    accept();
}

void SaveToCSDialog::showUploadError(const QString &details)
{
    qCDebug(lcSave).noquote() << "check-in refused:" << details;
    // The box goes when answered; the command line keeps what happened and why.
    const QString reasons = details.split(QLatin1Char('\n')).join(QLatin1String("; "));
    HostAccess::writeToCommandLine(tr("Nothing was saved: %1").arg(reasons));
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Error"),
                                tr("An error occurred during upload"), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("SaveErrorBox"));
    box->setInformativeText(details);
    box->open();
}
