// A module for the host's script tests: "_PROBEMODELESS" shows a dialog and returns at once;
// "_PROBEMODAL" shows one modally and, once it is closed, reports how and with what answer.

#include "probedialog.h"

#include <cfxcommand.h>
#include <lxodrxmodule.h>
#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odrxwin32module.h>
#include <odstaticrxobject.h>

#include <QPointer>

#include <functional>

#define PROBE_EXPORT __attribute__((visibility("default")))

namespace {

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
            .arg(result == QDialog::Accepted ? QStringLiteral("accepted") : QStringLiteral("rejected"),
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
