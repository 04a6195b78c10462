#include "newerversionbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

NewerVersionBar::NewerVersionBar(QWidget *parent)
    : QFrame(parent)
    , m_label(new QLabel(this))
    , m_reload(new QPushButton(tr("Reload"), this))
    , m_later(new QPushButton(tr("Later"), this))
{
    setObjectName(QStringLiteral("NewerVersionBar"));
    m_reload->setObjectName(QStringLiteral("ReloadNewerButton"));
    m_later->setObjectName(QStringLiteral("LaterNewerButton"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("#NewerVersionBar { background: #fff4ce; border: 1px solid "
                                 "#e0c060; border-radius: 3px; }"));
    m_label->setWordWrap(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_reload);
    layout->addWidget(m_later);
    connect(m_reload, &QPushButton::clicked, this, [this] {
        hide();
        emit reloadAsked();
    });
    connect(m_later, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void NewerVersionBar::showNewer(const QString &user, const QString &title)
{
    m_label->setText(tr("%1 saved a newer version of %2.").arg(user, title));
    show();
}

QString NewerVersionBar::text() const
{
    return m_label->text();
}
