#include "viewwidget.h"

#include "fileitemsconstants.h"
#include "filepreview.h"
#include "filestatelabel.h"
#include "filestatus.h"
#include "iconmenu.h"
#include "listviewactionmenu.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "support/displaytext.h"

#include <fzfileinfo.h>

#include <QBoxLayout>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace {
const char kBorderlessLabel[] = "QLabel{border: none}";
const char kHighlightedPreviewStyle[] = "QLabel{background-color: #ffffff; border: 1px solid  #368ec4}";
const char kPlainPreviewStyle[] = "QLabel{background-color: #ffffff; border: 1px solid  #e2e4e3}";

constexpr int kGridSide = 98;
// Under a grid cell's preview: name, drawing number (the title is in the tiles and the tool
// tip: a cell is narrow), space, lock holder.
constexpr int kGridTextLines = 4;
// A grid cell is at least this many average characters of its captions wide, so that a usual
// name and space show in full at any font size, and wide enough for the lock line of a holder
// with a name of usual length in the module's language; its lines are elided to the cell less a
// small inset.
constexpr int kGridCharacters = 17;
constexpr int kUsualHolderCharacters = 5;
constexpr int kGridTextInset = 4;
constexpr int kTileMargin = 6;
constexpr int kTilePreviewSide = 50;
constexpr int kStatusSide = 20;
constexpr int kTileBadgeSide = 16;
const QRect kGridBadge(70, 0, 32, 32);
constexpr int kMoreActionSide = 20;
} // namespace

ViewWidget::ViewWidget(const QString &localPath, const FileItemContext &context,
                       QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_localPath(localPath)
{
    build();
    const QFileInfo file(localPath);
    if (file.exists())
        m_size = file.size();
    m_stateLabel->setSize(m_size);
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
    , m_drawingNumber(singleLineText(recordProperty(record, kKeyDrawingNumber)))
    , m_drawingCaption(drawingCaption(record))
    , m_titleBlockText(titleBlockText(record))
{
    m_displayName = m_title;
    build();
    m_size = recordProperty(record, kKeySize).toLongLong();
    m_stateLabel->setSize(m_size);
    const QString lockedBy = recordProperty(record, kKeyLockedBy).simplified();
    setLockOwner(lockedBy);
    setStatus(FileStatusUnknown);
    setKnown(true);
    setLockState(lockStateFor(lockedBy, m_context.currentUser));
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
    m_nameLabel->setFont(secondaryFont(m_nameLabel->font()));
    m_textLabel = new QLabel(this);
    // Arial at the lists' size: a bare QFont("Arial") would be 12 points, larger than the rest.
    QFont textFont = m_textLabel->font();
    textFont.setFamily(QStringLiteral("Arial"));
    m_textLabel->setFont(textFont);
    m_textLabel->setStyleSheet(QLatin1String(kBorderlessLabel));
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("status_label"));
    m_statusLabel->setFixedSize(kStatusSide, kStatusSide);
    m_statusLabel->setStyleSheet(QLatin1String(kBorderlessLabel));
    m_stateLabel = new FileStateLabel(this);
    m_stateLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    m_moreActionButton = new QPushButton(this);
    m_moreActionButton->setObjectName(QStringLiteral("MoreActionButton"));
    m_moreActionButton->setFixedSize(kMoreActionSide, kMoreActionSide);
    m_moreActionButton->setStyleSheet(QLatin1String(kMoreActionStyle));
    m_moreActionButton->setIcon(resourceIcon(QLatin1String(kMoreActionIcon)));
    m_moreActionButton->setToolTip(tr("More Action"));

    // Laid out right to left in tiles (the preview ends up left of the text and its state line)
    // and top to bottom in the grid, where the hidden status and text take no room.
    auto *textColumn = new QVBoxLayout;
    textColumn->setContentsMargins(0, 0, 0, 0);
    textColumn->setSpacing(0);
    textColumn->addWidget(m_textLabel);
    textColumn->addWidget(m_stateLabel);
    m_layout = new QBoxLayout(QBoxLayout::TopToBottom, this);
    m_layout->addWidget(m_moreActionButton);
    m_layout->addWidget(m_statusLabel);
    m_layout->addLayout(textColumn, 1);
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
    if (m_fileName.isEmpty()) {
        m_fileName = name;
        showGridText();
    }
}

void ViewWidget::setStatus(int status)
{
    m_status = status;
    m_statusLabel->setPixmap(fileStatusPixmap(status));
    m_statusLabel->setToolTip(fileStatusText(status));
    m_stateLabel->setStatus(status);
}

void ViewWidget::setLockState(int lockState)
{
    m_lockState = lockState;
    const QString icon = lockIconPath(lockState);
    m_lockBadge->setPixmap(icon.isEmpty() ? QPixmap() : QPixmap(icon));
    m_stateLabel->setLockState(lockState);
    if (m_menu)
        m_menu->setLockState(lockState);
    updatePlatformParts();
    showGridText();
}

void ViewWidget::setLockOwner(const QString &owner)
{
    m_lockOwner = owner;
    m_lockBadge->setToolTip(owner.isEmpty() ? QString() : lockOwnerMessage(owner));
    m_stateLabel->setLockOwner(owner);
    showGridText();
}

void ViewWidget::setText(const QString &fileName, const QString &platformStamp,
                         const QString &collaborativeSpace)
{
    m_detailsText = fileDetailsText(fileName, platformStamp, collaborativeSpace);
    // What the title block says stands right under the name.
    if (!m_drawingCaption.isEmpty()) {
        const int nameEnd = m_detailsText.indexOf(QLatin1Char('\n'));
        m_detailsText.insert(nameEnd < 0 ? m_detailsText.size() : nameEnd,
                             QLatin1Char('\n') + m_drawingCaption);
    }
    m_textLabel->setText(m_detailsText);
    showToolTip();
    m_fileName = fileName;
    m_space = collaborativeSpace;
    showGridText();
}

void ViewWidget::setVersionStory(const QString &story)
{
    m_versionStory = story;
    showToolTip();
}

void ViewWidget::showToolTip()
{
    QString text = fileToolTipText(m_detailsText, m_versionStory);
    if (!m_titleBlockText.isEmpty())
        text += QLatin1Char('\n') + m_titleBlockText;
    m_textLabel->setToolTip(text);
    setToolTip(text);
}

void ViewWidget::showGridText()
{
    // Date and size are in the tile view and the tool tip; the grid keeps to what fits.
    const QStringList lines = {m_fileName, m_drawingNumber, m_space,
                               lockWord(m_lockState, m_lockOwner)};
    const QFontMetrics metrics = m_nameLabel->fontMetrics();
    const int width = gridWidth() - kGridTextInset;
    QStringList shown;
    for (const QString &line : lines) {
        if (!line.isEmpty())
            shown << metrics.elidedText(line, Qt::ElideMiddle, width);
    }
    m_nameLabel->setText(shown.join(QLatin1Char('\n')));
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
    m_layout->setContentsMargins(kTileMargin, kTileMargin, kTileMargin, kTileMargin);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumWidth(0);
    setMaximumWidth(QWIDGETSIZE_MAX);
    // The details text's three lines (four with a title block's) and the state line, or the
    // preview when it is taller.
    const QString lines = m_drawingCaption.isEmpty() ? QStringLiteral("X\nX\nX")
                                                     : QStringLiteral("X\nX\nX\nX");
    const int textHeight = m_textLabel->fontMetrics().size(0, lines).height()
        + m_stateLabel->sizeHint().height() + 4;
    const int side = qMax(kTilePreviewSide, textHeight);
    setFixedHeight(side + 2 * kTileMargin);
    setPreviewSize(side);
    m_layout->setAlignment(m_previewLabel, Qt::Alignment());
    // In the preview's top right corner.
    m_lockBadge->setGeometry(side - kTileBadgeSide - 4, 2, kTileBadgeSide, kTileBadgeSide);
    m_textLabel->show();
    m_statusLabel->show();
    m_stateLabel->show();
    m_nameLabel->hide();
    updatePlatformParts();
}

int ViewWidget::gridWidth() const
{
    const QFontMetrics metrics = m_nameLabel->fontMetrics();
    const QString lockLine =
        lockWord(LockedByOther, QString(kUsualHolderCharacters, QLatin1Char('x')));
    return qMax(qMax(kGridSide, kGridCharacters * metrics.averageCharWidth()),
                metrics.horizontalAdvance(lockLine) + kGridTextInset);
}

void ViewWidget::applyGridLayout()
{
    m_detailsMode = false;
    m_layout->setDirection(QBoxLayout::TopToBottom);
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(0, 0, 0, 0);
    const int textHeight = kGridTextLines * m_nameLabel->fontMetrics().lineSpacing() + 2;
    const int width = gridWidth();
    setFixedSize(width, kGridSide + textHeight);
    setPreviewSize(kGridSide);
    m_layout->setAlignment(m_previewLabel, Qt::AlignHCenter);
    m_lockBadge->setGeometry(kGridBadge);
    m_nameLabel->setFixedSize(width, textHeight);
    m_nameLabel->show();
    m_textLabel->hide();
    m_statusLabel->hide();
    m_stateLabel->hide();
    updatePlatformParts();
}
