// A module for the host's script tests: "_PROBEMODELESS" shows a dialog and returns at once;
// "_PROBEMODAL" shows one modally and, once it is closed, reports how and with what answer.
// Each dialog names the language the host's services report, as a module asks for it.

#include <cfxcommand.h>
#include <cfxsystemservices.h>
#include <lxodrxmodule.h>
#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odrxwin32module.h>
#include <odstaticrxobject.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

#define PROBE_EXPORT __attribute__((visibility("default")))

namespace {

// A line edit, a password edit, a check box, a list and an OK button; a label echoes what the
// user changed, as the widgets' signals report it.
class ProbeDialog : public QDialog
{
public:
    explicit ProbeDialog(const QString &name)
    {
        setObjectName(name);
        m_name->setObjectName(QStringLiteral("NameEdit"));
        m_secret->setObjectName(QStringLiteral("SecretEdit"));
        m_secret->setEchoMode(QLineEdit::Password);
        m_agree->setObjectName(QStringLiteral("AgreeCheck"));
        m_choices->setObjectName(QStringLiteral("ChoiceList"));
        m_size->setObjectName(QStringLiteral("SizeCombo"));
        m_size->addItems({QStringLiteral("small"), QStringLiteral("large")});
        m_echo->setObjectName(QStringLiteral("EchoLabel"));
        m_language->setObjectName(QStringLiteral("LanguageLabel"));
        const CFxSystemServices *services = GetFxSystemServices();
        m_language->setText(services ? QString::number(services->GetUILanguage())
                                     : QStringLiteral("no host services"));
        // Rows with a tool tip, a name in role 16 and a time in role 17.
        const QStringList texts = { "alpha", "beta", "gamma" };
        const QStringList ordinals = { "first", "second", "third" };
        for (int i = 0; i < 3; ++i) {
            auto *item = new QListWidgetItem(texts[i], m_choices);
            item->setToolTip(ordinals[i] + " choice");
            item->setData(16, texts[i].left(1).toUpper() + texts[i].mid(1) + " title");
            item->setData(17, qint64(1700000000000) + i * 1000);
        }
        auto *buttons = new QDialogButtonBox(this);
        buttons->addButton(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
        auto *layout = new QVBoxLayout(this);
        for (QWidget *widget : std::initializer_list<QWidget *>{ m_name, m_secret, m_agree,
                                                                 m_choices, m_size, m_echo,
                                                                 m_language, buttons })
            layout->addWidget(widget);
        // Only what users do reaches the echo, its text and its tool tip: typing, clicking the
        // box, clicking a row.
        const auto echo = [this] {
            m_echo->setText(answer());
            m_echo->setToolTip(answer());
        };
        connect(m_name, &QLineEdit::textEdited, this, echo);
        connect(m_agree, &QCheckBox::clicked, this, echo);
        connect(m_choices, &QListWidget::itemClicked, this, echo);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    }

    // "name, on/off, row text": what the user entered, for the command that showed the dialog.
    QString answer() const
    {
        const QListWidgetItem *current = m_choices->currentItem();
        return QStringLiteral("%1, %2, %3")
            .arg(m_name->text(), QLatin1String(m_agree->isChecked() ? "on" : "off"),
                 current ? current->text() : QString());
    }

private:
    QLineEdit *m_name = new QLineEdit(this);
    QLineEdit *m_secret = new QLineEdit(this);
    QCheckBox *m_agree = new QCheckBox(QStringLiteral("I &agree"), this);
    QListWidget *m_choices = new QListWidget(this);
    QComboBox *m_size = new QComboBox(this);
    QLabel *m_echo = new QLabel(this);
    QLabel *m_language = new QLabel(this);
};

class ProbeCommand : public CFxCommand
{
public:
    ProbeCommand(const char *name, std::function<QString()> action)
        : m_name(name)
        , m_action(std::move(action))
    {
    }

    const OdString globalName() const override { return m_name; }

protected:
    int action(OdEdCommandContext *context) override
    {
        const QString report = m_action();
        if (!report.isEmpty())
            context->putString(CFxString(report).toOdString());
        return RTNORM;
    }

private:
    OdString m_name;
    std::function<QString()> m_action;
};

} // namespace

class ProbeModule : public lx_OdRxModule
{
public:
    void initApp() override
    {
        odedRegCmds()->addCommand(&m_modeless);
        odedRegCmds()->addCommand(&m_modal);
    }

    void uninitApp() override
    {
        odedRegCmds()->removeCmd(m_modeless.groupName(), m_modeless.globalName());
        odedRegCmds()->removeCmd(m_modal.groupName(), m_modal.globalName());
        delete m_modelessDialog;
    }

private:
    QPointer<ProbeDialog> m_modelessDialog;
    OdStaticRxObject<ProbeCommand> m_modeless { "_PROBEMODELESS", [this]() {
        if (!m_modelessDialog)
            m_modelessDialog = new ProbeDialog(QStringLiteral("ProbeModeless"));
        m_modelessDialog->show();
        return QString();
    } };
    OdStaticRxObject<ProbeCommand> m_modal { "_PROBEMODAL", []() {
        ProbeDialog dialog(QStringLiteral("ProbeModal"));
        const int result = dialog.exec();
        return QStringLiteral("Probe dialog %1: %2")
            .arg(QLatin1String(result == QDialog::Accepted ? "accepted" : "rejected"),
                 dialog.answer());
    } };
};

using ProbeModuleObject = OdRxWin32Module<ProbeModule>;

extern "C" PROBE_EXPORT void odrxGetAPIVersion(void *, int &major, int &minor, int &majorBuild,
                                               int &minorBuild)
{
    major = 4;
    minor = 1;
    majorBuild = 0;
    minorBuild = 0;
}

extern "C" PROBE_EXPORT OdRxModule *odrxCreateModuleObject(void *&moduleHandle)
{
    if (!ProbeModuleObject::s_moduleObject) {
        ProbeModuleObject::s_moduleObject = new ProbeModuleObject(moduleHandle);
        moduleHandle = nullptr;
    }
    return ProbeModuleObject::s_moduleObject;
}
