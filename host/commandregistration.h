#pragma once

#include "hostcommand.h"

#include <odsmartptr.h>

#include <vector>

// Registers host commands with the command stack for as long as it lives.
class CommandRegistration
{
public:
    CommandRegistration() = default;
    ~CommandRegistration();
    CommandRegistration(const CommandRegistration &) = delete;
    CommandRegistration &operator=(const CommandRegistration &) = delete;

    void add(const char *globalName, HostCommand::Action action);

private:
    std::vector<OdSmartPtr<OdEdCommand>> m_commands;
};
