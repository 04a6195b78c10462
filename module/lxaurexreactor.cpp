#include "lxaurexreactor.h"

#include "session/showaurextaskpane.h"

#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <cfxsystemservices.h>
#include <odedcommand.h>
#include <odedcommandstack.h>
#include <odeditor.h>

namespace {
// The host commands after which the active drawing's set of files may differ.
const char *const kFileSetCommands[] = {"_SAVE", "_SAVEAS", "_ATTACHDRAWING", "_ATTACHIMAGE",
                                        "_ATTACHPDF", "_DETACHDRAWING", "_DETACHIMAGE",
                                        "_DETACHPDF"};
} // namespace

LxAurexReactor::LxAurexReactor() = default;
LxAurexReactor::~LxAurexReactor() = default;

void LxAurexReactor::initApp()
{
    OdEdCommandStack *commands = odedRegCmds();
    commands->addCommand(&m_openCommand);
    commands->addCommand(&m_saveCommand);
    commands->addCommand(&m_dashboardCommand);
    commands->addCommand(&m_signInOutCommand);
    commands->addCommand(&m_saveAcceleratorCommand);

    CFxSystemServices *services = GetFxSystemServices();
    if (CFxDocumentManager *documents = services ? services->GetDocumentManager() : nullptr)
        documents->AddReactor(static_cast<CFxDocumentManagerReactor *>(this));

    odedEditor()->addReactor(static_cast<OdEditorReactor *>(this));
}

void LxAurexReactor::uninitApp()
{
    // The host destroys the module object right after this while it keeps running: nothing may
    // keep pointing at the commands or the reactors.
    OdEdCommandStack *commands = odedRegCmds();
    for (const CFxCommand *command :
         { static_cast<const CFxCommand *>(&m_openCommand), static_cast<const CFxCommand *>(&m_saveCommand),
           static_cast<const CFxCommand *>(&m_dashboardCommand),
           static_cast<const CFxCommand *>(&m_signInOutCommand),
           static_cast<const CFxCommand *>(&m_saveAcceleratorCommand) })
        commands->removeCmd(command->groupName(), command->globalName());

    CFxSystemServices *services = GetFxSystemServices();
    if (CFxDocumentManager *documents = services ? services->GetDocumentManager() : nullptr)
        documents->RemoveReactor(static_cast<CFxDocumentManagerReactor *>(this));
    odedEditor()->removeReactor(static_cast<OdEditorReactor *>(this));
}

void LxAurexReactor::DocumentActivated(CFxDocument *)
{
    emit ShowAurexTaskPane::instance()->DocumentActivatedSignal();
}

void LxAurexReactor::commandEnded(OdEdCommand *command, OdEdCommandContext *)
{
    const QString name = CFxString(command->globalName()).toQString();
    for (const char *watched : kFileSetCommands) {
        if (name == QLatin1String(watched)) {
            emit ShowAurexTaskPane::instance()->DocumentActivatedSignal();
            return;
        }
    }
}
