#include "odedcommandstack.h"

#include "odedcommandstackreactor.h"

#include <algorithm>
#include <exception>

void OdEdCommandStack::addCommand(OdEdCommand *command)
{
    if (!command)
        return;
    // A command registered again under the same name replaces the earlier one.
    for (std::size_t i = 0; i < m_commands.size(); ++i) {
        if (m_commands[i]->globalName().iCompare(command->globalName()) == 0) {
            removeAt(i);
            break;
        }
    }
    m_commands.emplace_back(command);
    const auto reactors = m_reactors;
    for (OdEdCommandStackReactor *reactor : reactors)
        reactor->commandAdded(command);
}

void OdEdCommandStack::removeAt(std::size_t index)
{
    const auto reactors = m_reactors;
    for (OdEdCommandStackReactor *reactor : reactors)
        reactor->commandWillBeRemoved(m_commands[index].get());
    m_commands.erase(m_commands.begin() + static_cast<std::ptrdiff_t>(index));
}

void OdEdCommandStack::removeCmd(const OdString &groupName, const OdString &globalName)
{
    for (std::size_t i = 0; i < m_commands.size(); ++i) {
        if (m_commands[i]->groupName().iCompare(groupName) == 0
            && m_commands[i]->globalName().iCompare(globalName) == 0) {
            removeAt(i);
            return;
        }
    }
}

void OdEdCommandStack::removeGroup(const OdString &groupName)
{
    for (std::size_t i = m_commands.size(); i-- > 0;) {
        if (m_commands[i]->groupName().iCompare(groupName) == 0)
            removeAt(i);
    }
}

OdEdCommand *OdEdCommandStack::lookupCmd(const OdString &name) const
{
    for (const auto &command : m_commands) {
        if (command->globalName().iCompare(name) == 0)
            return command.get();
    }
    for (const auto &command : m_commands) {
        if (command->localName().iCompare(name) == 0)
            return command.get();
    }
    return nullptr;
}

std::vector<OdEdCommand *> OdEdCommandStack::commands() const
{
    std::vector<OdEdCommand *> result;
    result.reserve(m_commands.size());
    for (const auto &command : m_commands)
        result.push_back(command.get());
    return result;
}

void OdEdCommandStack::addReactor(OdEdCommandStackReactor *reactor)
{
    if (reactor && std::find(m_reactors.begin(), m_reactors.end(), reactor) == m_reactors.end())
        m_reactors.push_back(reactor);
}

void OdEdCommandStack::removeReactor(OdEdCommandStackReactor *reactor)
{
    m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), reactor), m_reactors.end());
}

int OdEdCommandStack::executeCommand(const OdString &name, OdEdCommandContext *context)
{
    // Reactors may add or remove themselves while being notified: walk a copy.
    const auto reactors = m_reactors;
    OdSmartPtr<OdEdCommand> command(lookupCmd(name));
    if (!command) {
        for (OdEdCommandStackReactor *reactor : reactors) {
            if (OdEdCommand *supplied = reactor->unknownCommand(name, context)) {
                command = supplied;
                break;
            }
        }
    }
    if (!command)
        return kUnknownCommand;

    for (OdEdCommandStackReactor *reactor : reactors)
        reactor->commandWillStart(command.get(), context);
    int status = 0;
    try {
        status = command->execute(context);
    } catch (const std::exception &) {
        const auto failReactors = m_reactors;
        for (OdEdCommandStackReactor *reactor : failReactors)
            reactor->commandFailed(command.get(), context);
        throw;
    }
    const auto endReactors = m_reactors;
    for (OdEdCommandStackReactor *reactor : endReactors)
        reactor->commandEnded(command.get(), context);
    return status;
}

OdEdCommandStack *odedRegCmds()
{
    static OdEdCommandStack stack;
    return &stack;
}
