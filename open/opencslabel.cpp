#include "opencslabel.h"

#include "openlogging.h"

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

void OpenCSLabel::enterEvent(QEvent *event)
{
    setStyleSheet(QLatin1String(kHoverStyle));
    setCursor(Qt::PointingHandCursor);
    if (!keepsItsContent() && !m_ownText.isEmpty())
        setText(m_ownText);
    QLabel::enterEvent(event);
}

void OpenCSLabel::leaveEvent(QEvent *event)
{
    setStyleSheet(QLatin1String(kNormalStyle));
    unsetCursor();
    if (!keepsItsContent())
        setPixmap(m_picture);
    QLabel::leaveEvent(event);
}

void OpenCSLabel::mousePressEvent(QMouseEvent *event)
{
    qCDebug(lcOpen) << "mouse clicked";
    emit clicked();
    event->accept();
}
