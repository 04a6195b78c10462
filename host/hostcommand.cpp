#include "hostcommand.h"

HostCommand::HostCommand(const char *globalName, Action action)
    : m_name(globalName)
    , m_action(std::move(action))
{
}

int HostCommand::action(OdEdCommandContext *context)
{
    return m_action ? m_action(context) : RTNORM;
}
