#include "cfxaurexcommand.h"

#include "session/cslogindialog.h"
#include "session/launchersignin.h"
#include "session/loggingcontroller.h"
#include "session/showaurextaskpane.h"

CFxAurexCommand::CFxAurexCommand(const char *name, int flags, Gate gate)
    : m_name(name)
    , m_gate(gate)
{
    AddFlags(flags);
}

const OdString CFxAurexCommand::globalName() const
{
    return OdString(m_name);
}

const OdString CFxAurexCommand::localName() const
{
    return globalName();
}

ShowAurexTaskPane *CFxAurexCommand::session() const
{
    return m_controller->session();
}

int CFxAurexCommand::action(OdEdCommandContext *context)
{
    // Signed out, the user is offered the sign-in dialog, or the welcome box that explains the
    // set-up when no server is configured; a user who does not sign in ends the command quietly.
    if (m_gate == Gate::SignIn && !session()->isSignedIn() && !ensureLauncherConfigured())
        m_controller->signInDialog()->exec();
    if (m_gate == Gate::None || session()->isSignedIn())
        run(context);
    return RTNORM;
}
