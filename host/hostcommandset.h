#pragma once

#include <odsmartptr.h>

#include <functional>
#include <vector>

class HostDocumentManager;
class OdEdCommand;
class OdEdCommandContext;

// The host's own commands, registered with the command stack for the host's lifetime:
// "_NEW", "_OPEN", "_CLOSE", "_QUIT" and "_MODULEVIEWS".
class HostCommandSet
{
public:
    struct Hooks
    {
        std::function<void()> quit;
        std::function<void()> showModuleViews;
    };

    HostCommandSet(HostDocumentManager *documents, Hooks hooks);
    ~HostCommandSet();

    HostCommandSet(const HostCommandSet &) = delete;
    HostCommandSet &operator=(const HostCommandSet &) = delete;

private:
    void add(const char *name, std::function<int(OdEdCommandContext *)> action);

    std::vector<OdSmartPtr<OdEdCommand>> m_commands;
};
