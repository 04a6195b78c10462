#pragma once

#include <cfxcommand.h>

#include <functional>

// One of the host's own commands: a global name and what it does.
class HostCommand : public CFxCommand
{
public:
    using Action = std::function<int(OdEdCommandContext *)>;

    HostCommand(const char *globalName, Action action);

    const OdString globalName() const override { return m_name; }

protected:
    int action(OdEdCommandContext *context) override;

private:
    OdString m_name;
    Action m_action;
};
