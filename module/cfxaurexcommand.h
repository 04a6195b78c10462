#pragma once

#include <cfxcommand.h>

// Base of the module's six host commands: one name, global and local alike, the command's
// flags and, for the commands that need a signed-in user, the sign-in gate in front of what
// they do. Every command completes normally, whatever happened. The module object owns one of
// each; main thread.
class CFxAurexCommand : public CFxCommand
{
public:
    const OdString globalName() const final;
    const OdString localName() const final;

protected:
    enum class Gate { None, SignIn };

    // name must outlive the command (a string literal).
    CFxAurexCommand(const char *name, int flags, Gate gate);

    // What the command does once past its gate.
    virtual void run(OdEdCommandContext *context) = 0;

private:
    int action(OdEdCommandContext *context) final;

    const char *m_name;
    Gate m_gate;
};
