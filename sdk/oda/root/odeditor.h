#pragma once

#include "odedcommandstackreactor.h"
#include "odstring.h"
#include "tdrootexport.h"

#include <functional>
#include <vector>

class OdDbDatabase;
class OdRxEventReactor;

// The editor: the one place where reactors on drawing events are registered. A reactor that is
// also an OdEdCommandStackReactor receives the command stack's notifications through it.
// Used on the application's main thread only.
class TD_ROOT_EXPORT OdEditor : public OdEdCommandStackReactor
{
public:
    OdEditor();
    ~OdEditor() override;

    void addRef() override { }
    void release() override { }

    void addReactor(OdRxEventReactor *reactor);
    void removeReactor(OdRxEventReactor *reactor);
    std::vector<OdRxEventReactor *> reactors() const;

    // Calls notify for every registered reactor, on a copy of the list so that reactors may
    // register or unregister while being notified.
    void forEachReactor(const std::function<void(OdRxEventReactor *)> &notify) const;

    void fire_dwgFileOpened(OdDbDatabase *database, const OdString &fileName) const;
    void fire_databaseConstructed(OdDbDatabase *database) const;
    void fire_databaseToBeDestroyed(OdDbDatabase *database) const;
    void fire_beginSave(OdDbDatabase *database, const OdString &intendedName) const;
    void fire_saveComplete(OdDbDatabase *database, const OdString &actualName) const;
    void fire_abortSave(OdDbDatabase *database) const;

    // Command stack notifications, handed on to the reactors that listen to commands.
    void commandWillStart(OdEdCommand *command, OdEdCommandContext *context) override;
    void commandEnded(OdEdCommand *command, OdEdCommandContext *context) override;
    void commandCancelled(OdEdCommand *command, OdEdCommandContext *context) override;
    void commandFailed(OdEdCommand *command, OdEdCommandContext *context) override;

private:
    void forEachCommandReactor(const std::function<void(OdEdCommandStackReactor *)> &notify) const;

    std::vector<OdRxEventReactor *> m_reactors;
};

// The process-wide editor; created with the command stack's notifications routed through it.
TD_ROOT_EXPORT OdEditor *odedEditor();
