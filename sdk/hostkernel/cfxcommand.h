#pragma once

#include "cfxstring.h"
#include "hostkernelexport.h"

#include <odedcommand.h>

// Normal completion status of a host command.
constexpr int RTNORM = 5100;
// Status of a command that could not do what it was asked.
constexpr int RTERROR = -5001;

// Base of the host's commands. A command states its names and its action; execute runs the
// action and hands its status back to the command stack.
class HOSTKERNEL_EXPORT CFxCommand : public OdEdCommand
{
public:
    // Flag of commands that may run while a modeless dialog of the same module is open.
    static constexpr int kModelessAware = 0x40000000;

    const OdString groupName() const override;
    int flags() const override;
    int execute(OdEdCommandContext *context) final;

    virtual void undefine(bool undefined);
    bool isUndefined() const { return m_undefined; }
    virtual CFxString Help() const;
    virtual int GetHelpId() const;

protected:
    void AddFlags(int flags);
    // What the command does; returns its completion status (RTNORM when it completed).
    virtual int action(OdEdCommandContext *context) = 0;

private:
    int m_flags = kModal;
    bool m_undefined = false;
};
