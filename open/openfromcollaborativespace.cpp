#include "openfromcollaborativespace.h"
#include "ui_openfromcollaborativespace.h"

#include "openlogging.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/hostaccess.h"
#include "support/keyboardaccess.h"
#include "support/openmessagebox.h"
#include "support/transferprogressdialog.h"

#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <fzfileinfo.h>

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const char kLatestPicture[] = ":/embedded/Resources/OpenFromLocalDirectoryAndCS.png";
const char kOverwritePicture[] = ":/embedded/Resources/OpenFromCSAndOverWriteAllFiles.png";
const char kLocalOnlyPicture[] = ":/embedded/Resources/OpenOnlyLocalFiles.png";

// Asks the host to open the drawing at path, when there is a file to open.
// The target path as this system writes it: the dialogs hand it over with either separator.
QString localPath(const QString &path)
{
    QString local = path;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
}

void openInHost(const QString &path)
{
    const QString local = localPath(path);
    if (!QFileInfo(local).isFile())
        return;
    if (CFxDocumentManager *documents = HostAccess::documents())
        documents->OpenDocument(CFxString(local));
}

void writeMessage(const QString &text)
{
    qCInfo(lcOpen).noquote() << text;
    HostAccess::writeToCommandLine(text);
}

} // namespace

OpenFromCollaborativeSpace::OpenFromCollaborativeSpace(AurexPlatform *platform,
                                                       const QString &tenant, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::OpenFromCollaborativeSpace)
    , m_platform(platform)
    , m_tenant(tenant)
{
    m_ui->setupUi(this);
    KeyboardAccess::install(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);
    m_ui->useLatestFromLocalAndCS_label->setUp(QPixmap(QLatin1String(kLatestPicture)));
    m_ui->overwriteAllLocal_label->setUp(QPixmap(QLatin1String(kOverwritePicture)));
    m_ui->useLocalOnly_label->setUp(QPixmap(QLatin1String(kLocalOnlyPicture)));
    connect(m_ui->useLatestFromLocalAndCS_label, &OpenCSLabel::clicked, this,
            &OpenFromCollaborativeSpace::UseLatestFromLocalAndCSSlot);
    connect(m_ui->overwriteAllLocal_label, &OpenCSLabel::clicked, this,
            &OpenFromCollaborativeSpace::OverwriteAllLocalSlot);
    connect(m_ui->useLocalOnly_label, &OpenCSLabel::clicked, this,
            &OpenFromCollaborativeSpace::UseLocalOnlySlot);
    connect(this, &QDialog::rejected, this, &OpenFromCollaborativeSpace::DialogCancelledSlot);
}

OpenFromCollaborativeSpace::~OpenFromCollaborativeSpace()
{
    delete m_ui;
}

void OpenFromCollaborativeSpace::setRecords(RecordList records)
{
    m_records = std::move(records);
}

void OpenFromCollaborativeSpace::setTargetPath(const QString &targetPath)
{
    m_targetPath = targetPath;
}

void OpenFromCollaborativeSpace::UseLatestFromLocalAndCSSlot()
{
    // Only copies present locally are brought up to date; copies changed locally carry no
    // stamp, so they are never replaced by this option.
    RecordList chosen;
    for (const FzFileInfo *record : m_records) {
        if (!recordProperty(*record, kKeyLocalTimestamp).isEmpty())
            chosen.addCopy(*record);
    }
    startDownload(std::move(chosen));
}

void OpenFromCollaborativeSpace::OverwriteAllLocalSlot()
{
    startDownload(std::move(m_records));
}

void OpenFromCollaborativeSpace::UseLocalOnlySlot()
{
    openInHost(m_targetPath);
    finish();
}

void OpenFromCollaborativeSpace::DialogCancelledSlot()
{
}

void OpenFromCollaborativeSpace::startDownload(RecordList records)
{
    // The box is modal: the dialogs take no input while the download runs.
    auto *download = new DownloadThread(m_platform, HostAccess::appServices(),
                                        HostAccess::documents(), this);
    download->setDownload(std::move(records), m_targetPath, m_tenant);
    connect(download, &DownloadThread::downloadReported, this,
            [this](const DownloadReport &report) { m_report = report; });
    connect(download, &DownloadThread::DownloadFinished, this,
            &OpenFromCollaborativeSpace::DownloadFinishedSlot);
    connect(download, &DownloadThread::DownloadFinished, download, &QObject::deleteLater);
    TransferProgressDialog::showFor(this, download);
    download->Download();
}

void OpenFromCollaborativeSpace::DownloadFinishedSlot()
{
    tellUser(m_report);
    // A failed or cancelled download changed nothing locally: nothing new is opened.
    if (!m_report.failed)
        openInHost(m_targetPath);
    finish();
    emit downloadDone();
}

void OpenFromCollaborativeSpace::finish()
{
    accept();
    if (QWidget *openDialog = parentWidget())
        openDialog->close();
}

void OpenFromCollaborativeSpace::tellUser(const DownloadReport &report)
{
    for (int i = 0; i < report.replacedLocalFiles.size(); ++i) {
        writeMessage(tr("Your local changes to %1 were kept in %2.")
                         .arg(report.replacedLocalFiles.at(i), report.keptCopies.value(i)));
    }
    if (report.cancelled) {
        writeMessage(tr("The download was cancelled; nothing was changed."));
    } else if (report.failed) {
        writeMessage(tr("The download failed; nothing was changed: %1")
                         .arg(report.details.value(0)));
        // Windows of their own: this dialog and the open dialog close as the download ends.
        openMessageBox(nullptr, QMessageBox::Warning, tr("Error"),
                       tr("An error occurred during download"))
            ->setDetailedText(report.details.join(QLatin1Char('\n')));
    } else {
        const QString folder =
            QDir::toNativeSeparators(QFileInfo(localPath(m_targetPath)).absolutePath());
        if (report.downloadedFiles == 0)
            writeMessage(tr("Every file was current in %1; nothing was downloaded.").arg(folder));
        else if (report.downloadedFiles == 1)
            writeMessage(tr("Downloaded 1 file into %1.").arg(folder));
        else
            writeMessage(
                tr("Downloaded %1 files into %2.").arg(report.downloadedFiles).arg(folder));
        if (!report.problem.isEmpty())
            openMessageBox(nullptr, QMessageBox::Warning, tr("Error"), report.problem);
    }
}
