#pragma once

#include "cfxaurexdashboardmenucommand.h"
#include "cfxaurexlogoutmenucommand.h"
#include "cfxaurexopenmenucommand.h"
#include "cfxaurexsaveacceleratorcommand.h"
#include "cfxaurexsavemenucommand.h"
#include "cfxaurexworkofflinecommand.h"

#include "workingcopy/localsaverecorder.h"

#include <cfxdocumentmanagerreactor.h>
#include <cfxeditorreactor.h>
#include <lxodrxmodule.h>
#include <odstaticrxobject.h>

#include <QObject>

#include <array>

class ShowAurexTaskPane;

// The module object: the host's handle on the module, owner of its six commands, and its
// listener on the host's documents and editor, which hands each notification to the folder that
// owns the work (session, file database, task pane). One instance, created by
// odrxCreateModuleObject (wrapped in OdRxWin32Module) and destroyed by deleteModuleObject; main
// thread only.
class LxAurexReactor : public lx_OdRxModule,
                       public CFxDocumentManagerReactor,
                       public CFxEditorReactor
{
public:
    void initApp() override;
    void uninitApp() override;

    // A drawing became active: the task pane shows its files. While the launcher's model is
    // being opened, the first other drawing to become active is closed.
    void DocumentActivated(CFxDocument *document) override;
    // The host wrote a drawing: remembers under which name, for the save command's end.
    void saveComplete(OdDbDatabase *database, const OdString &actualName) override;
    // The main window is closing: the module takes its menu entries and ribbon panel back.
    void mainFrameToBeClosed(void *mainFrame) override;
    // A save, attach or detach changed the active drawing's files: a saved file counts as
    // changed locally in the file database, and the task pane shows the files again.
    void commandEnded(OdEdCommand *command, OdEdCommandContext *context) override;

protected:
    LxAurexReactor();
    ~LxAurexReactor() override;

private:
    std::array<CFxAurexCommand *, 6> allCommands();

    OdStaticRxObject<CFxAurexOpenMenuCommand> m_openCommand;
    OdStaticRxObject<CFxAurexSaveMenuCommand> m_saveCommand;
    OdStaticRxObject<CFxAurexDashboardMenuCommand> m_dashboardCommand;
    OdStaticRxObject<CFxAurexLogOutMenuCommand> m_signInOutCommand;
    OdStaticRxObject<CFxAurexSaveAcceleratorCommand> m_saveAcceleratorCommand;
    OdStaticRxObject<CFxAurexWorkOfflineCommand> m_workOfflineCommand;
    LocalSaveRecorder m_localSaves;
    ShowAurexTaskPane *m_session = nullptr; // the module's, from initApp on
    QMetaObject::Connection m_offlineMenu; // keeps the menu's "Work Offline" check mark
};
