#include "imageviewdialog.h"

#include "ui_imageviewdialog.h"

#include "fileitemorder.h"
#include "fileitemsconstants.h"
#include "filepreview.h"
#include "filestatus.h"
#include "iconmenu.h"
#include "listviewactionmenu.h"

#include <QTreeWidgetItem>

namespace {
constexpr int kIconSide = 20;
} // namespace

ImageViewDialog::ImageViewDialog(const QString &localPath, QTreeWidgetItem *item,
                                 const FileItemContext &context, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::ImageViewDialog)
    , m_localPath(localPath)
    , m_item(item)
    , m_context(context)
{
    m_ui->setupUi(this);
    // A row inside a list, never a window of its own. Its view places it, so the dialog's
    // centring over the parent on first show, which walks every top-level widget, is skipped.
    setWindowFlags(Qt::Widget);
    setAttribute(Qt::WA_Moved);
    m_ui->NameLabel->setElideMode(Qt::ElideMiddle);
    m_ui->LockButton->setIconSize(QSize(kIconSide, kIconSide));
    m_ui->moreActionPushButton->setStyleSheet(QLatin1String(kMoreActionStyle));
    m_ui->moreActionPushButton->setIcon(resourceIcon(QLatin1String(kMoreActionIcon)));
    m_ui->moreActionPushButton->setIconSize(QSize(kIconSide, kIconSide));
    m_ui->moreActionPushButton->setCursor(Qt::PointingHandCursor);
    m_ui->moreActionPushButton->hide();
    setStatus(FileStatusSyncing);
    setLockState(NotLocked);
}

ImageViewDialog::~ImageViewDialog()
{
    delete m_ui;
}

QString ImageViewDialog::name() const
{
    return m_ui->NameLabel->text();
}

void ImageViewDialog::setPreview(const QString &source)
{
    m_ui->ImgLabel->setPixmap(loadPreview(source, m_ui->ImgLabel->maximumSize()));
}

void ImageViewDialog::setName(const QString &name)
{
    m_ui->NameLabel->setText(name);
    if (m_ui->NameLabel->toolTip().isEmpty())
        m_ui->NameLabel->setToolTip(name);
}

void ImageViewDialog::setStatus(int status)
{
    m_status = status;
    m_ui->StatusLabel->setPixmap(fileStatusPixmap(status));
    m_ui->StatusLabel->setToolTip(fileStatusText(status));
    m_ui->stateLabel->setStatus(status);
    if (m_menu)
        m_menu->setNewerOnPlatform(status == FileStatusOutOfDate);
}

void ImageViewDialog::setLockState(int lockState)
{
    m_lockState = lockState;
    m_locked = lockState == LockedByMe || lockState == LockedByOther;
    const QString icon = lockIconPath(lockState);
    m_ui->LockButton->setIcon(icon.isEmpty() ? QIcon() : resourceIcon(icon));
    m_ui->LockButton->setVisible(!icon.isEmpty());
    m_ui->stateLabel->setLockState(lockState);
    if (m_menu)
        m_menu->setLockState(lockState);
}

void ImageViewDialog::setLockOwner(const QString &owner)
{
    m_ui->LockButton->setToolTip(owner.isEmpty() ? QString() : lockOwnerMessage(owner));
    m_ui->stateLabel->setLockOwner(owner);
}

void ImageViewDialog::setText(const QString &fileName, const QString &platformStamp,
                              const QString &collaborativeSpace)
{
    m_detailsText = fileDetailsText(fileName, platformStamp, collaborativeSpace);
    m_ui->NameLabel->setToolTip(fileToolTipText(m_detailsText, m_versionStory));
}

void ImageViewDialog::setVersionStory(const QString &story)
{
    m_versionStory = story;
    if (!m_detailsText.isEmpty())
        m_ui->NameLabel->setToolTip(fileToolTipText(m_detailsText, m_versionStory));
}

void ImageViewDialog::setModified(qint64 msecsSinceEpoch)
{
    if (m_item)
        m_item->setData(0, FileModifiedRole, msecsSinceEpoch);
}

void ImageViewDialog::makeActionMenu(int lockState)
{
    m_menu = new ListViewActionMenu(m_ui->moreActionPushButton, m_context, m_localPath);
    m_menu->deleteAction()->setVisible(false);
    m_menu->setLockState(lockState);
    m_menu->setNewerOnPlatform(m_status == FileStatusOutOfDate);
    connect(m_menu, &ListViewActionMenu::EmitLockStatus, this, &ImageViewDialog::LockStatusSlot);
    m_ui->moreActionPushButton->setMenu(m_menu);
    m_ui->moreActionPushButton->show();
}

void ImageViewDialog::setKnown(bool known)
{
    // Each details answer says so again: the menu made for the first stays.
    if (known && !m_menu)
        makeActionMenu(m_lockState);
}

void ImageViewDialog::LockStatusSlot(int lockState)
{
    setLockState(lockState);
}
