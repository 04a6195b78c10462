#pragma once

#include <cfxcommand.h>

class LoggingController;
class ShowAurexTaskPane;

// Base of the module's six host commands: one name, global and local alike, the command's
// flags and, for the commands that need a signed-in user, the sign-in gate in front of what
// they do. Every command completes normally, whatever happened. The module object owns one of
// each and hands it the sign-in controller (and so the session) before it registers it; main
// thread.
class CFxAurexCommand : public CFxCommand
{
public:
    const OdString globalName() const final;
    const OdString localName() const final;
    // controller outlives the command.
    void setController(LoggingController *controller) { m_controller = controller; }

protected:
    enum class Gate { None, SignIn };

    // name must outlive the command (a string literal).
    CFxAurexCommand(const char *name, int flags, Gate gate);

    // What the command does once past its gate.
    virtual void run(OdEdCommandContext *context) = 0;
    LoggingController *controller() const { return m_controller; }
    ShowAurexTaskPane *session() const;

private:
    int action(OdEdCommandContext *context) final;

    const char *m_name;
    Gate m_gate;
    LoggingController *m_controller = nullptr;
};
