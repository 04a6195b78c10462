#pragma once

#include "cfxaurexcommand.h"

// "_AurexWorkOffline": switches working offline on and off (File > AUREX Platform > Work
// Offline, and the task pane's user menu). Going online sends what waits in the outbox.
class CFxAurexWorkOfflineCommand : public CFxAurexCommand
{
public:
    CFxAurexWorkOfflineCommand();

protected:
    void run(OdEdCommandContext *context) override;
};
