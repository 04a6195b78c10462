#include "opencslabel.h"

#include "openlogging.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {
const char kChooseFileLabel[] = "ChoseFile_label";
const char kHoverStyle[] = "font: 8pt \"Times New Roman\";\nborder: 1px solid black;\n"
                           "border-radius: 10px;\nbackground-color: #e2e4e3;";
const char kNormalStyle[] = "font: 8pt \"Times New Roman\";\nborder: 1px solid gray;\n"
                            "border-radius: 10px;\nbackground-color: #ffffff;";
}

OpenCSLabel::OpenCSLabel(QWidget *parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // Tab walks the options; Enter or the space bar takes the one with the focus.
    setFocusPolicy(Qt::StrongFocus);
}

void OpenCSLabel::setUp(const QPixmap &picture)
{
    m_ownText = text();
    m_picture = picture;
    setPixmap(m_picture);
}

bool OpenCSLabel::keepsItsContent() const
{
    return objectName() == QLatin1String(kChooseFileLabel);
}

void OpenCSLabel::highlight(bool on)
{
    setStyleSheet(QLatin1String(on ? kHoverStyle : kNormalStyle));
    if (keepsItsContent())
        return;
    if (on && !m_ownText.isEmpty())
        setText(m_ownText);
    else if (!on)
        setPixmap(m_picture);
}

void OpenCSLabel::enterEvent(QEvent *event)
{
    highlight(true);
    setCursor(Qt::PointingHandCursor);
    QLabel::enterEvent(event);
}

void OpenCSLabel::leaveEvent(QEvent *event)
{
    // The option the keyboard is on stays shown as such.
    highlight(hasFocus());
    unsetCursor();
    QLabel::leaveEvent(event);
}

void OpenCSLabel::focusInEvent(QFocusEvent *event)
{
    highlight(true);
    QLabel::focusInEvent(event);
}

void OpenCSLabel::focusOutEvent(QFocusEvent *event)
{
    highlight(underMouse());
    QLabel::focusOutEvent(event);
}

void OpenCSLabel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit clicked();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void OpenCSLabel::mousePressEvent(QMouseEvent *event)
{
    qCDebug(lcOpen) << "mouse clicked";
    emit clicked();
    event->accept();
}
