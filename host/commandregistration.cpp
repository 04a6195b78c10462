#include "commandregistration.h"

#include <odedcommandstack.h>
#include <odrxobjectimpl.h>

CommandRegistration::~CommandRegistration()
{
    for (const auto &command : m_commands)
        odedRegCmds()->removeCmd(command->groupName(), command->globalName());
}

void CommandRegistration::add(const char *globalName, HostCommand::Action action)
{
    OdSmartPtr<OdEdCommand> command =
        OdRxObjectImpl<HostCommand, OdEdCommand>::createObject(globalName, std::move(action));
    odedRegCmds()->addCommand(command.get());
    m_commands.push_back(command);
}
