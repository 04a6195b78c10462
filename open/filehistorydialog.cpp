#include "filehistorydialog.h"
#include "ui_filehistorydialog.h"

#include "downloadthread.h"
#include "earlierversionfolder.h"
#include "filehistorymodel.h"
#include "openlogging.h"

#include "connector/aurexplatform.h"
#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "session/showaurextaskpane.h"
#include "support/calljob.h"
#include "support/dialogjobs.h"
#include "support/jobsequence.h"
#include "support/fontscale.h"
#include "support/hostaccess.h"
#include "support/valuejob.h"
#include "support/keyboardaccess.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"
#include "workingcopy/workingcopy.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <fzfileinfo.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPushButton>

namespace {

// "plan (version 2).dwg": what a copy of a version is called unless the user says otherwise.
QString copyName(const QString &title, int revision)
{
    const QFileInfo file(title);
    const QString base = EarlierVersionFolder::documentTitle(file.completeBaseName(), revision);
    return file.suffix().isEmpty() ? base : base + QLatin1Char('.') + file.suffix();
}

CFxDocument *openDocument(const QString &path)
{
    CFxDocumentManager *documents = HostAccess::documents();
    return documents ? documents->FindDocument(CFxString(path)) : nullptr;
}

} // namespace

FileHistoryDialog::FileHistoryDialog(ShowAurexTaskPane *session, const QString &name,
                                     const QString &title, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::FileHistoryDialog)
    , m_session(session)
    , m_platform(session->platform())
    , m_available(session->isSignedIn() && !session->isOffline())
    , m_history(m_platform, *session->workingCopy()->snapshot(), name, title,
                session->currentUser())
    , m_model(new FileHistoryModel(this))
    , m_jobs(new DialogJobs(this))
{
    m_ui->setupUi(this);
    growWithFont(this);
    KeyboardAccess::install(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle(tr("History of %1").arg(title));
    m_ui->HeadingLabel->setText(
        m_history.localPath().isEmpty()
            ? tr("Every version of %1 that the platform keeps. This computer has no copy of it.")
                  .arg(title)
            : tr("Every version of %1 that the platform keeps, with the one your copy was made "
                 "from marked.")
                  .arg(title));
    m_ui->HeadingLabel->setToolTip(QDir::toNativeSeparators(m_history.localPath()));
    m_ui->VersionsView->setModel(m_model);
    m_ui->VersionsView->verticalHeader()->hide();
    m_ui->VersionsView->horizontalHeader()->setStretchLastSection(true);
    m_ui->VersionsView->horizontalHeader()->setSectionResizeMode(
        QHeaderView::ResizeToContents);
    m_ui->MessageLabel->hide();

    connect(m_ui->VersionsView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FileHistoryDialog::updateButtons);
    connect(m_ui->OpenVersionButton, &QPushButton::clicked, this, &FileHistoryDialog::openVersion);
    connect(m_ui->RestoreVersionButton, &QPushButton::clicked, this,
            &FileHistoryDialog::restoreVersion);
    connect(m_ui->SaveCopyButton, &QPushButton::clicked, this, &FileHistoryDialog::saveCopy);
    connect(m_ui->RefreshButton, &QPushButton::clicked, this, &FileHistoryDialog::refresh);
    connect(m_ui->CloseButton, &QPushButton::clicked, this, &QDialog::close);

    if (m_available) {
        refresh();
        return;
    }
    showMessage(session->isOffline()
                    ? tr("The history of a file is kept on the AUREX Platform: go online to see "
                         "it. You are working offline.")
                    : tr("The history of a file is kept on the AUREX Platform: sign in to see "
                         "it."));
    updateButtons();
}

FileHistoryDialog::~FileHistoryDialog()
{
    delete m_ui;
}

FileHistoryDialog *FileHistoryDialog::showNew(ShowAurexTaskPane *session, const QString &name,
                                              const QString &title)
{
    // No parent: deletes itself when closed.
    auto *dialog = new FileHistoryDialog(session, name, title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (dialog->isBusy())
        connect(dialog, &FileHistoryDialog::listed, dialog, &QWidget::show);
    else
        dialog->show();
    return dialog;
}

bool FileHistoryDialog::isBusy() const
{
    return m_jobs->isBusy();
}

QString FileHistoryDialog::message() const
{
    return m_ui->MessageLabel->text();
}

void FileHistoryDialog::showMessage(const QString &text)
{
    m_ui->MessageLabel->setText(text);
    m_ui->MessageLabel->setVisible(!text.isEmpty());
}

FileVersion FileHistoryDialog::selectedVersion() const
{
    const QModelIndexList rows = m_ui->VersionsView->selectionModel()->selectedRows();
    return rows.size() == 1 ? m_model->version(rows.first().row()) : FileVersion();
}

void FileHistoryDialog::updateButtons()
{
    const int revision = selectedVersion().revision;
    const bool chosen = m_available && revision > 0;
    m_ui->OpenVersionButton->setEnabled(chosen);
    m_ui->SaveCopyButton->setEnabled(chosen);
    // The newest version is the current one already.
    m_ui->RestoreVersionButton->setEnabled(
        chosen && revision != m_model->versions().constFirst().revision);
    m_ui->RefreshButton->setEnabled(m_available);
}

void FileHistoryDialog::refresh()
{
    // The working copy may have changed since the dialog was made (a restore brought it up).
    m_history = FileHistory(m_platform, *m_session->workingCopy()->snapshot(), m_history.name(),
                            m_history.title(), m_session->currentUser());
    const FileHistory history = m_history;
    auto *list = new ValueJob<FileVersionList>(
        [history](JobControl &, FileVersionList &versions) {
            return history.listVersions(&versions);
        });
    m_jobs->run(list, [this, list] {
        if (list->error() != AurexJob::NoError) {
            showMessage(list->errorString());
        } else {
            const int revision = selectedVersion().revision;
            m_model->setVersions(list->value(), m_history.localStamp(),
                                 m_history.hasLocalChanges());
            m_newestStamp = list->value().constFirst().modified;
            // The version chosen before stays chosen.
            for (int row = 0; row < m_model->rowCount(); ++row) {
                if (m_model->version(row).revision == revision)
                    m_ui->VersionsView->selectRow(row);
            }
        }
        updateButtons();
        emit listed();
    });
}

void FileHistoryDialog::openVersion()
{
    const int revision = selectedVersion().revision;
    if (revision == 0 || isBusy())
        return;
    const EarlierVersionFolder folder(m_history.downloadFolder(), m_history.title(), revision);
    if (CFxDocument *open = openDocument(folder.filePath())) {
        HostAccess::documents()->ActivateDocument(open);
        return;
    }
    showMessage(QString());
    // The files as they were at that version, then their bytes into a folder of its own.
    const FileHistory history = m_history;
    auto missing = std::make_shared<QStringList>();
    auto files = std::make_shared<RecordList>();
    auto *flow = newFlow();
    flow->step<ValueJob<RecordList>>(
        [history, revision] {
            return new ValueJob<RecordList>([history, revision](JobControl &, RecordList &listed) {
                return history.listAsOf(revision, &listed);
            });
        },
        [folder, missing, files](ValueJob<RecordList> &listing) {
            // Files whose version the platform let go cannot come; the drawing opens without
            // them.
            for (const FzFileInfo *file : listing.value()) {
                if (recordProperty(*file, kKeyVersionPruned) == QLatin1String(kTrue))
                    missing->append(recordTitle(*file));
                else
                    setRecordProperty(*files->addCopy(*file), kKeyLocalDownloadFolder,
                                      folder.path());
            }
        });
    flow->transfer<DownloadThread>(
        [this, files, folder] {
            auto *download = new DownloadThread(m_platform, HostAccess::appServices(),
                                                HostAccess::documents());
            download->setEarlierVersion(std::move(*files), folder.filePath());
            return download;
        },
        [this, folder, missing](DownloadThread &download) {
            versionDownloaded(folder, *missing, download.report().problem);
        });
    connect(flow, &JobSequence::finished, this, [this, folder](JobSequence *ended) {
        if (auto *download = qobject_cast<DownloadThread *>(ended->failedJob())) {
            showMessage(tr("%1 could not be downloaded; nothing was left behind:\n%2")
                            .arg(folder.documentTitle(),
                                 download->report().details.join(QLatin1Char('\n'))));
        } else if (ended->error() != AurexJob::NoError && ended->error() != AurexJob::KilledError) {
            showMessage(ended->errorString());
        }
    });
    flow->start();
}

JobSequence *FileHistoryDialog::newFlow()
{
    auto *flow = new JobSequence(this);
    flow->runUnder(m_jobs);
    connect(flow, &JobSequence::finished, flow, &QObject::deleteLater);
    return flow;
}

void FileHistoryDialog::versionDownloaded(const EarlierVersionFolder &folder,
                                          const QStringList &missing, const QString &problem)
{
    QString error;
    if (!folder.mark(&error)) {
        // Unmarked, the save would take the copy for a file of its own.
        showMessage(tr("%1 was downloaded but is not opened: its folder cannot be written: %2")
                        .arg(folder.documentTitle(), error));
        return;
    }
    QStringList said;
    if (!missing.isEmpty())
        said << tr("The platform no longer keeps these files as they were then; the drawing "
                   "opens without them: %1")
                    .arg(missing.join(QLatin1String(", ")));
    if (!problem.isEmpty())
        said << problem;
    showMessage(said.join(QLatin1Char('\n')));
    qCInfo(lcOpen).noquote() << "opening" << folder.documentTitle() << "from" << folder.path();
    HostAccess::writeToCommandLine(
        tr("Opened %1 for viewing from \"Earlier versions\" in %2; your working copy is "
           "unchanged.")
            .arg(folder.documentTitle(), QDir(m_history.downloadFolder()).dirName()));
    CFxDocumentManager *documents = HostAccess::documents();
    if (CFxDocument *document = documents ? documents->OpenDocument(CFxString(folder.filePath()))
                                          : nullptr)
        document->SetTitle(CFxString(folder.documentTitle()));
}

void FileHistoryDialog::restoreVersion()
{
    const int revision = selectedVersion().revision;
    if (revision == 0 || isBusy())
        return;
    auto *box = new QMessageBox(
        QMessageBox::Question, tr("Restore Version"),
        tr("Make version %1 the current version of %2?\n\nIts contents are saved as a new "
           "version with the comment \"Restored version %1\"; the versions after it stay in the "
           "history.%3")
            .arg(revision)
            .arg(m_history.title(),
                 m_history.localPath().isEmpty()
                     ? QString()
                     : tr(" Your copy is brought up to it; changes you have not saved to the "
                          "platform are kept in a copy beside it.")),
        QMessageBox::Yes | QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("RestoreConfirmation"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Yes)->setText(tr("Restore"));
    box->button(QMessageBox::Yes)->setObjectName(QStringLiteral("RestoreButton"));
    connect(box, &QDialog::finished, this, [this, revision](int button) {
        if (button == QMessageBox::Yes)
            restore(revision);
    });
    box->open();
}

void FileHistoryDialog::restore(int revision)
{
    showMessage(QString());
    // The restore on the platform, then the working copy brought up to it.
    const FileHistory history = m_history;
    const QString base = m_newestStamp;
    const QString localPath = m_history.localPath();
    auto restored = std::make_shared<RecordList>();
    auto said = std::make_shared<QStringList>();
    auto *flow = newFlow();
    flow->step<ValueJob<RecordList>>(
        [history, revision, base] {
            return new ValueJob<RecordList>(
                [history, revision, base](JobControl &, RecordList &records) {
                    return history.restore(revision, base, &records);
                });
        },
        [this, revision, restored, said](ValueJob<RecordList> &job) {
            *restored = job.takeValue();
            *said << tr("Restored version %1 of %2: it is version %3 now.")
                         .arg(revision)
                         .arg(m_history.title(),
                              recordProperty(*restored->at(0), kKeyRevision));
            HostAccess::writeToCommandLine(said->first());
        });
    flow->transfer<DownloadThread>(
        [this, localPath, restored]() -> DownloadThread * {
            if (localPath.isEmpty())
                return nullptr;
            prepareDownload(*m_session->workingCopy()->snapshot(), QFileInfo(localPath).path(),
                            restored->records());
            auto *download = new DownloadThread(m_platform, HostAccess::appServices(),
                                                HostAccess::documents());
            download->setDownload(std::move(*restored), localPath, m_session->tenant());
            return download;
        },
        [this, localPath, said](DownloadThread &download) {
            const DownloadReport report = download.report();
            *said << report.keptCopyLines();
            if (!report.problem.isEmpty())
                *said << report.problem;
            if (openDocument(localPath))
                *said << tr("%1 is open: close it and open it again to see the restored "
                            "version.")
                             .arg(m_history.title());
        });
    connect(flow, &JobSequence::finished, this, [this, said](JobSequence *ended) {
        const bool restoredThere = !said->isEmpty(); // the restore's own step went
        if (auto *download = qobject_cast<DownloadThread *>(ended->failedJob()))
            *said << tr("Your copy could not be brought up to the restored version: %1")
                         .arg(download->report().details.join(QLatin1Char('\n')));
        else if (ended->error() != AurexJob::NoError && ended->error() != AurexJob::KilledError)
            *said << ended->errorString();
        showMessage(said->join(QLatin1Char('\n')));
        // Once restored, the list shows what the platform holds now, whatever the copy did.
        if (restoredThere)
            refresh();
    });
    flow->start();
}

void FileHistoryDialog::saveCopy()
{
    const int revision = selectedVersion().revision;
    if (revision == 0 || isBusy())
        return;
    auto *chooser = new QFileDialog(
        this, tr("Save a Copy of Version %1").arg(revision), m_history.downloadFolder());
    chooser->setObjectName(QStringLiteral("SaveCopyChooser"));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setAcceptMode(QFileDialog::AcceptSave);
    chooser->selectFile(copyName(m_history.title(), revision));
    connect(chooser, &QFileDialog::fileSelected, this,
            [this, revision](const QString &path) { writeCopy(revision, path); });
    chooser->open();
}

void FileHistoryDialog::writeCopy(int revision, const QString &path)
{
    showMessage(QString());
    const FileHistory history = m_history;
    auto *job = new CallJob([history, revision, path](JobControl &control) {
        return history.saveCopy(revision, path, control);
    });
    m_jobs->run(
        job,
        [this, job, revision, path] {
            showMessage(job->error() != AurexJob::NoError
                            ? job->errorString()
                            : tr("Version %1 was saved as %2.")
                                  .arg(revision)
                                  .arg(QDir::toNativeSeparators(path)));
        },
        DialogJobs::Transfer);
}
