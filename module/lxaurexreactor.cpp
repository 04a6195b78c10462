#include "lxaurexreactor.h"

#include "menubuilder.h"
#include "modulelogging.h"

#include "session/launchersignin.h"
#include "session/showaurextaskpane.h"
#include "support/aurexjob.h"
#include "support/hostaccess.h"
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

#include <initializer_list>

namespace {
// How long an unloading module waits for platform work to stop, in milliseconds.
constexpr int kStopWorkMs = 10000;
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
    commands->addCommand(&m_workOfflineCommand);
    m_offlineMenu = QObject::connect(ShowAurexTaskPane::instance(),
                                     &ShowAurexTaskPane::offlineChanged,
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
    for (const CFxAurexCommand *command : std::initializer_list<const CFxAurexCommand *> {
             &m_openCommand, &m_saveCommand, &m_dashboardCommand, &m_signInOutCommand,
             &m_saveAcceleratorCommand, &m_workOfflineCommand })
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
}

void LxAurexReactor::DocumentActivated(CFxDocument *document)
{
    if (document) {
        closeDrawingBeforeLauncherModel(ShowAurexTaskPane::instance(),
                                        document->GetPathName().toQString());
    }
    TaskPaneRefresh::afterDocumentActivated(ShowAurexTaskPane::instance());
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
    if (LocalSaveRecorder::isSaveCommand(name))
        m_localSaves.recordLastWrite(ShowAurexTaskPane::instance()->tenant());
    TaskPaneRefresh::afterCommand(ShowAurexTaskPane::instance(), name);
}
