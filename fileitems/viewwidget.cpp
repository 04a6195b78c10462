#include "viewwidget.h"

#include "fileitemsconstants.h"
#include "filepreview.h"
#include "filestatus.h"
#include "iconmenu.h"
#include "listviewactionmenu.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"

#include <fzfileinfo.h>

#include <QBoxLayout>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace {
const char kBorderlessLabel[] = "QLabel{border: none}";
const char kHighlightedPreviewStyle[] = "QLabel{background-color: #ffffff; border: 1px solid  #368ec4}";
const char kPlainPreviewStyle[] = "QLabel{background-color: #ffffff; border: 1px solid  #e2e4e3}";

constexpr int kGridSide = 98;
constexpr int kGridNameHeight = 26;
constexpr int kGridHeight = kGridSide + kGridNameHeight;
// The grid's name and space are elided to the cell less a small inset.
constexpr int kGridTextWidth = 94;
constexpr int kGridMinimumTextPixels = 7;
constexpr int kTileHeight = 62;
constexpr int kTilePreviewSide = 50;
constexpr int kStatusSide = 20;
const QRect kTileBadge(30, 2, 16, 16);
const QRect kGridBadge(70, 0, 32, 32);
const QRect kMoreActionGeometry(190, 15, 15, 15);
} // namespace

ViewWidget::ViewWidget(const QString &localPath, const FileItemContext &context,
                       QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_localPath(localPath)
{
    build();
    setStatus(FileStatusSyncing);
    setLockState(NotLocked);
    setKnown(false);
}

ViewWidget::ViewWidget(const FzFileInfo &record, const FileItemContext &context,
                       QWidget *parent)
    : QWidget(parent)
    , m_record(std::make_unique<FzFileInfo>(record))
    , m_context(context)
    , m_title(recordTitle(record))
{
    m_displayName = m_title;
    build();
    const QString lockedBy = recordProperty(record, kKeyLockedBy);
    setLockToolTip(lockOwnerMessage(lockedBy));
    setStatus(FileStatusUnknown);
    setKnown(true);
    setLockState(lockStateFor(lockedBy.simplified(), m_context.currentUser));
}

ViewWidget::~ViewWidget() = default;

void ViewWidget::build()
{
    setObjectName(QStringLiteral("ViewWidget"));
    m_previewLabel = new QLabel(this);
    m_previewLabel->setAlignment(Qt::AlignCenter);
    m_lockBadge = new QLabel(m_previewLabel);
    m_lockBadge->setScaledContents(true);
    m_nameLabel = new QLabel(this);
    m_nameLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The grid cell's name and space share two lines of a fixed height: the label's font is
    // made small enough for both to show in full height.
    QFont nameFont = m_nameLabel->font();
    for (int pixels = QFontInfo(nameFont).pixelSize();
         pixels > kGridMinimumTextPixels && 2 * QFontMetrics(nameFont).lineSpacing() > kGridNameHeight;)
        nameFont.setPixelSize(--pixels);
    m_nameLabel->setFont(nameFont);
    m_textLabel = new QLabel(this);
    m_textLabel->setFont(QFont(QStringLiteral("Arial")));
    m_textLabel->setStyleSheet(QLatin1String(kBorderlessLabel));
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("status_label"));
    m_statusLabel->setFixedSize(kStatusSide, kStatusSide);
    m_statusLabel->setStyleSheet(QLatin1String(kBorderlessLabel));

    m_moreActionButton = new QPushButton(this);
    m_moreActionButton->setObjectName(QStringLiteral("MoreActionButton"));
    m_moreActionButton->setGeometry(kMoreActionGeometry);
    m_moreActionButton->setStyleSheet(QLatin1String(kMoreActionStyle));
    m_moreActionButton->setIcon(resourceIcon(QLatin1String(kMoreActionIcon)));
    m_moreActionButton->setToolTip(tr("More Action"));

    // Laid out right to left in tiles (the preview ends up left of the text) and top to bottom
    // in the grid, where the hidden status and text take no room.
    m_layout = new QBoxLayout(QBoxLayout::TopToBottom, this);
    m_layout->addWidget(m_statusLabel);
    m_layout->addWidget(m_textLabel, 1);
    m_layout->addWidget(m_previewLabel);
    m_layout->addWidget(m_nameLabel);
    setMouseTracking(true);
    applyGridLayout();
}

QString ViewWidget::detailsText() const
{
    return m_textLabel->text();
}

void ViewWidget::setPreview(const QString &source)
{
    // Read once at the grid's size; the tiles show it smaller.
    m_preview = loadPreview(source, QSize(kGridSide, kGridSide));
    showPreview();
}

void ViewWidget::showPreview()
{
    const QSize size = m_previewLabel->size();
    m_previewLabel->setPixmap(m_preview.isNull() || m_preview.width() <= size.width()
                                  ? m_preview
                                  : m_preview.scaled(size, Qt::KeepAspectRatio,
                                                     Qt::SmoothTransformation));
}

void ViewWidget::setName(const QString &name)
{
    m_displayName = name;
    if (m_textLabel->text().isEmpty())
        m_textLabel->setText(name);
    if (m_nameLabel->text().isEmpty())
        m_nameLabel->setText(m_nameLabel->fontMetrics().elidedText(name, Qt::ElideMiddle, kGridTextWidth));
}

void ViewWidget::setStatus(int status)
{
    m_status = status;
    m_statusLabel->setPixmap(fileStatusPixmap(status));
    m_statusLabel->setToolTip(fileStatusText(status));
}

void ViewWidget::setLockState(int lockState)
{
    m_lockState = lockState;
    const QString icon = lockIconPath(lockState);
    m_lockBadge->setPixmap(icon.isEmpty() ? QPixmap() : QPixmap(icon));
    if (m_menu)
        m_menu->setLockState(lockState);
    updatePlatformParts();
}

void ViewWidget::setLockToolTip(const QString &text)
{
    m_lockBadge->setToolTip(text);
}

void ViewWidget::setText(const QString &fileName, const QString &platformStamp,
                         const QString &collaborativeSpace)
{
    const QString text = fileDetailsText(fileName, platformStamp, collaborativeSpace);
    m_textLabel->setText(text);
    m_textLabel->setToolTip(text);
    setToolTip(text);
    const QFontMetrics metrics = m_nameLabel->fontMetrics();
    QString gridText = metrics.elidedText(fileName, Qt::ElideMiddle, kGridTextWidth);
    if (!collaborativeSpace.isEmpty())
        gridText += QLatin1Char('\n')
            + metrics.elidedText(collaborativeSpace, Qt::ElideMiddle, kGridTextWidth);
    m_nameLabel->setText(gridText);
}

void ViewWidget::setKnown(bool known)
{
    m_known = known;
    // Made for files the platform knows only: a list of hundreds of local files needs none.
    if (known && !m_menu) {
        m_menu = new ListViewActionMenu(m_moreActionButton, m_context, m_localPath,
                                        m_record.get());
        // A local file's tile offers lock and unlock only.
        m_menu->deleteAction()->setVisible(m_record != nullptr);
        m_menu->setLockState(m_lockState);
        m_moreActionButton->setMenu(m_menu);
        connect(m_menu, &ListViewActionMenu::EmitLockStatus, this, &ViewWidget::LockStatusSlot);
        connect(m_menu, &ListViewActionMenu::EmitListViewItemDelete, this,
                &ViewWidget::ListViewItemDelete);
    }
    updatePlatformParts();
}

void ViewWidget::LockStatusSlot(int lockState)
{
    setLockState(lockState);
}

void ViewWidget::updatePlatformParts()
{
    m_moreActionButton->setVisible(m_known && m_detailsMode);
    m_lockBadge->setVisible(m_known && !lockIconPath(m_lockState).isEmpty());
}

void ViewWidget::setHighlighted(bool highlighted)
{
    m_previewLabel->setStyleSheet(QLatin1String(highlighted ? kHighlightedPreviewStyle
                                                            : kPlainPreviewStyle));
}

void ViewWidget::setPreviewSize(int side)
{
    m_previewLabel->setFixedSize(side, side);
    showPreview();
}

void ViewWidget::applyTileLayout()
{
    m_detailsMode = true;
    m_layout->setDirection(QBoxLayout::RightToLeft);
    m_layout->setSpacing(6);
    m_layout->setContentsMargins(6, 6, 6, 6);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumWidth(0);
    setMaximumWidth(QWIDGETSIZE_MAX);
    setFixedHeight(kTileHeight);
    setPreviewSize(kTilePreviewSide);
    m_lockBadge->setGeometry(kTileBadge);
    m_textLabel->show();
    m_statusLabel->show();
    m_nameLabel->hide();
    updatePlatformParts();
}

void ViewWidget::applyGridLayout()
{
    m_detailsMode = false;
    m_layout->setDirection(QBoxLayout::TopToBottom);
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(0, 0, 0, 0);
    setFixedSize(kGridSide, kGridHeight);
    setPreviewSize(kGridSide);
    m_lockBadge->setGeometry(kGridBadge);
    m_nameLabel->setFixedSize(kGridSide, kGridNameHeight);
    m_nameLabel->show();
    m_textLabel->hide();
    m_statusLabel->hide();
    updatePlatformParts();
}
