#include "filestatelabel.h"

#include "filestatus.h"

#include <QPainter>
#include <QStringList>

namespace {
const char kOtherLockColour[] = "#c0392b";
const char kNewerColour[] = "#c25e00";
const char kOwnLockColour[] = "#2a7ab8";
const char kPlainColour[] = "#5b5d5e";

const char *colourFor(int status, int lockState)
{
    if (lockState == LockedByOther)
        return kOtherLockColour;
    if (status == FileStatusOutOfDate)
        return kNewerColour;
    if (lockState == LockedByMe)
        return kOwnLockColour;
    return kPlainColour;
}
} // namespace

FileStateLabel::FileStateLabel(QWidget *parent)
    : ElidedLabel(parent)
    , m_status(FileStatusSyncing)
    , m_lockState(NotLocked)
{
    setObjectName(QStringLiteral("stateLabel"));
    setFont(secondaryFont(font()));
    setToolTip(fileStateLegend());
    refresh();
}

void FileStateLabel::setStatus(int status)
{
    m_status = status;
    refresh();
}

void FileStateLabel::setLockState(int lockState)
{
    m_lockState = lockState;
    refresh();
}

void FileStateLabel::setLockOwner(const QString &owner)
{
    m_owner = owner;
    refresh();
}

void FileStateLabel::setSize(qint64 bytes)
{
    m_size = bytes;
    refresh();
}

void FileStateLabel::refresh()
{
    QStringList words;
    if (m_size >= 0)
        words << fileSizeText(m_size);
    const QString status = fileStatusWord(m_status);
    if (!status.isEmpty())
        words << status;
    const QString lock = lockWord(m_lockState, m_owner);
    if (!lock.isEmpty())
        words << lock;
    setText(words.join(QStringLiteral(" \u00b7 ")));
    m_colour = QColor(QLatin1String(colourFor(m_status, m_lockState)));
    update();
}

void FileStateLabel::paintEvent(QPaintEvent *)
{
    // Painted here in the state's colour: a style sheet on a row would override a palette.
    QPainter painter(this);
    painter.setPen(m_colour);
    painter.drawText(contentsRect(), int(alignment()), displayedText());
}
