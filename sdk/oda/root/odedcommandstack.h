#pragma once

#include "odedcommand.h"
#include "odrxobject.h"
#include "odsmartptr.h"
#include "odstring.h"
#include "tdrootexport.h"

#include <vector>

class OdEdCommandContext;
class OdEdCommandStackReactor;

// The registry of commands, looked up by global or local name without regard to case. Running a
// command through executeCommand tells the stack's reactors that it starts and how it ended.
// Commands and reactors are used on the application's main thread only.
class TD_ROOT_EXPORT OdEdCommandStack : public OdRxObject
{
public:
    // Status returned by executeCommand for a name that names no command.
    static constexpr int kUnknownCommand = -1;

    void addRef() override { }
    void release() override { }

    void addCommand(OdEdCommand *command);
    void removeCmd(const OdString &groupName, const OdString &globalName);
    void removeGroup(const OdString &groupName);
    OdEdCommand *lookupCmd(const OdString &name) const;
    std::vector<OdEdCommand *> commands() const;

    void addReactor(OdEdCommandStackReactor *reactor);
    void removeReactor(OdEdCommandStackReactor *reactor);

    // Runs the named command: commandWillStart, the command, then commandEnded (or
    // commandFailed when it threw). Returns the command's status, kUnknownCommand when no
    // command has that name and no reactor supplied one.
    int executeCommand(const OdString &name, OdEdCommandContext *context);

private:
    void removeAt(std::size_t index);

    std::vector<OdSmartPtr<OdEdCommand>> m_commands;
    std::vector<OdEdCommandStackReactor *> m_reactors;
};

// The process-wide command stack.
TD_ROOT_EXPORT OdEdCommandStack *odedRegCmds();
