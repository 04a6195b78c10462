#include "probedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Rows: text, tool tip, name role, time role.
struct Choice
{
    const char *text;
    const char *toolTip;
    const char *name;
    qint64 time;
};
const Choice kChoices[] = {
    { "alpha", "first choice", "Alpha title", 1700000000000 },
    { "beta", "second choice", "Beta title", 1700000001000 },
    { "gamma", "third choice", "Gamma title", 1700000002000 },
};

} // namespace

ProbeDialog::ProbeDialog(const QString &name, QWidget *parent)
    : QDialog(parent)
    , m_name(new QLineEdit(this))
    , m_agree(new QCheckBox(QStringLiteral("Agree"), this))
    , m_choices(new QListWidget(this))
    , m_echo(new QLabel(this))
{
    setObjectName(name);
    setWindowTitle(name);
    m_name->setObjectName(QStringLiteral("NameEdit"));
    m_agree->setObjectName(QStringLiteral("AgreeCheck"));
    m_choices->setObjectName(QStringLiteral("ChoiceList"));
    m_echo->setObjectName(QStringLiteral("EchoLabel"));
    for (const Choice &choice : kChoices) {
        auto *item = new QListWidgetItem(QString::fromLatin1(choice.text), m_choices);
        item->setToolTip(QString::fromLatin1(choice.toolTip));
        item->setData(16, QString::fromLatin1(choice.name));
        item->setData(17, choice.time);
    }
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("OkButton"));
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_name);
    layout->addWidget(m_agree);
    layout->addWidget(m_choices);
    layout->addWidget(m_echo);
    layout->addWidget(buttons);
    // Only what users do reaches the echo: typing, clicking the box, clicking a row.
    connect(m_name, &QLineEdit::textEdited, this, &ProbeDialog::echo);
    connect(m_agree, &QCheckBox::clicked, this, &ProbeDialog::echo);
    connect(m_choices, &QListWidget::itemClicked, this, &ProbeDialog::echo);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString ProbeDialog::answer() const
{
    const QListWidgetItem *current = m_choices->currentItem();
    return QStringLiteral("%1, %2, %3")
        .arg(m_name->text(), m_agree->isChecked() ? QStringLiteral("on") : QStringLiteral("off"),
             current ? current->text() : QString());
}

void ProbeDialog::echo()
{
    m_echo->setText(answer());
}
