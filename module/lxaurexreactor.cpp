#include "lxaurexreactor.h"

#include "menubuilder.h"
#include "modulelogging.h"

#include "session/launchersignin.h"
#include "session/loggingcontroller.h"
#include "session/showaurextaskpane.h"
#include "support/aurexjob.h"
#include "support/hostaccess.h"
#include "support/moduletranslator.h"
#include "support/signincaption.h"
#include "taskpane/taskpanerefresh.h"
#include "workingcopy/filedatabase.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <odedcommand.h>
#include <odedcommandstack.h>
#include <odeditor.h>

#include <QCoreApplication>


namespace {
// How long an unloading module waits for platform work to stop, in milliseconds.
constexpr int kStopWorkMs = 10000;
} // namespace

LxAurexReactor::LxAurexReactor() = default;
LxAurexReactor::~LxAurexReactor() = default;

std::array<CFxAurexCommand *, 6> LxAurexReactor::allCommands()
{
    return { &m_openCommand, &m_saveCommand, &m_dashboardCommand, &m_signInOutCommand,
             &m_saveAcceleratorCommand, &m_workOfflineCommand };
}

void LxAurexReactor::initApp()
{
    // Before anything of the module makes a widget or a menu entry: its texts in the host's
    // language.
    ModuleTranslator::install(HostAccess::language());
    // Where the module is wired together: the sign-in controller, and through it the module's
    // session, go to the commands and the notifications that need them.
    LoggingController *controller = LoggingController::instance();
    m_session = controller->session();
    OdEdCommandStack *commands = odedRegCmds();
    for (CFxAurexCommand *command : allCommands()) {
        command->setController(controller);
        commands->addCommand(command);
    }
    m_offlineMenu = QObject::connect(m_session, &ShowAurexTaskPane::offlineChanged,
                                     &SignInCaption::updateWorkOffline);

    if (CFxDocumentManager *documents = HostAccess::documents())
        documents->AddReactor(static_cast<CFxDocumentManagerReactor *>(this));

    odedEditor()->addReactor(static_cast<OdEditorReactor *>(this));

    // The file database may find its file unreadable on a worker thread; the command line is
    // the main thread's.
    FileDatabase::setUserNotifier([](const QString &text) {
        QMetaObject::invokeMethod(
            qApp, [text] { HostAccess::writeToCommandLine(text); }, Qt::QueuedConnection);
    });
}

void LxAurexReactor::uninitApp()
{
    // The host destroys the module object right after this while it keeps running: nothing may
    // keep pointing at the commands or the reactors.
    OdEdCommandStack *commands = odedRegCmds();
    for (const CFxAurexCommand *command : allCommands())
        commands->removeCmd(command->groupName(), command->globalName());
    QObject::disconnect(m_offlineMenu);

    if (CFxDocumentManager *documents = HostAccess::documents())
        documents->RemoveReactor(static_cast<CFxDocumentManagerReactor *>(this));
    odedEditor()->removeReactor(static_cast<OdEditorReactor *>(this));
    FileDatabase::setUserNotifier(nullptr);
    // Platform work still running (a save or download the user left behind when the host
    // closed) is told to stop: its code is unloaded with the module.
    if (!AurexJob::stopAll(kStopWorkMs))
        qCWarning(lcModule) << "platform work still running as the module unloads";
    ModuleTranslator::remove();
}

void LxAurexReactor::DocumentActivated(CFxDocument *document)
{
    if (document) {
        closeDrawingBeforeLauncherModel(m_session, document->GetPathName().toQString());
    }
    TaskPaneRefresh::afterDocumentActivated(m_session);
}

void LxAurexReactor::saveComplete(OdDbDatabase *, const OdString &actualName)
{
    m_localSaves.fileWritten(CFxString(actualName).toQString());
}

void LxAurexReactor::mainFrameToBeClosed(void *)
{
    MenuBuilder::withdraw();
}

void LxAurexReactor::commandEnded(OdEdCommand *command, OdEdCommandContext *)
{
    const QString name = CFxString(command->globalName()).toQString();
    // The file database first: the task pane reads the saved file's new status from it.
    if (LocalSaveRecorder::isSaveCommand(name)) {
        ShowAurexTaskPane *session = m_session;
        m_localSaves.recordLastWrite(session->workingCopy(), [session, name] {
            TaskPaneRefresh::afterCommand(session, name);
        });
        return;
    }
    TaskPaneRefresh::afterCommand(m_session, name);
}
