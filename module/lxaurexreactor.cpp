#include "lxaurexreactor.h"

#include "menubuilder.h"
#include "modulelogging.h"

#include "session/showaurextaskpane.h"
#include "session/signedin.h"
#include "support/hostaccess.h"
#include "workingcopy/filedatabase.h"

#include <cfxdocument.h>
#include <cfxdocumentmanager.h>
#include <cfxstring.h>
#include <odedcommand.h>
#include <odedcommandstack.h>
#include <odeditor.h>

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {
// The host commands after which the active drawing's set of files may differ; the names are
// compared exactly, as the host reports them.
const char *const kFileSetCommands[] = {"_SAVE", "_SAVEAS", "_ATTACHDRAWING", "_ATTACHIMAGE",
                                        "_ATTACHPDF", "_DETACHDRAWING", "_DETACHIMAGE",
                                        "_DETACHPDF"};
const char *const kSaveCommands[] = {"_SAVE", "_SAVEAS"};

template <std::size_t N>
bool isOneOf(const QString &name, const char *const (&names)[N])
{
    for (const char *candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

QString comparablePath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(FileDatabase::keyForPath(path)).absoluteFilePath());
}

// Closes the drawing at path once the host has finished activating it: closing it inside the
// notification would pull the document away under the host's own activation.
void closeLater(const QString &path)
{
    QTimer::singleShot(0, [path]() {
        CFxDocumentManager *documents = HostAccess::documents();
        if (CFxDocument *document = documents ? documents->FindDocument(path) : nullptr)
            documents->CloseDocument(document);
    });
}
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

    if (CFxDocumentManager *documents = HostAccess::documents())
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

    if (CFxDocumentManager *documents = HostAccess::documents())
        documents->RemoveReactor(static_cast<CFxDocumentManagerReactor *>(this));
    odedEditor()->removeReactor(static_cast<OdEditorReactor *>(this));
}

void LxAurexReactor::DocumentActivated(CFxDocument *document)
{
    ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
    if (signedIn() && document) {
        // The launcher asked for its model; a drawing the host activates first (its blank
        // start-up drawing) is not what the user came for.
        const QString path = document->GetPathName().toQString();
        if (session->isLauncherOpenPending()
            && comparablePath(path) != comparablePath(session->launcherModelPath())) {
            session->setLauncherOpenPending(false);
            qCDebug(lcModule) << "closing" << path << "activated before the launcher's model";
            closeLater(path);
        }
    }
    emit session->DocumentActivatedSignal();
}

void LxAurexReactor::saveComplete(OdDbDatabase *, const OdString &actualName)
{
    m_lastSavedFileName = CFxString(actualName).toQString();
}

void LxAurexReactor::mainFrameToBeClosed(void *)
{
    MenuBuilder::withdraw();
}

void LxAurexReactor::commandEnded(OdEdCommand *command, OdEdCommandContext *)
{
    const QString name = CFxString(command->globalName()).toQString();
    if (!isOneOf(name, kFileSetCommands))
        return;
    ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
    if (isOneOf(name, kSaveCommands)) {
        // A file the database does not know stays unknown: it is new to the platform anyway.
        FileDatabase database(session->tenant());
        database.recordLocalSave(FileDatabase::keyForPath(m_lastSavedFileName));
    }
    emit session->DocumentActivatedSignal();
}
