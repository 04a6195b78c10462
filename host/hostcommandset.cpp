#include "hostcommandset.h"

#include "hostcommand.h"
#include "hostdocumentmanager.h"

#include <odedcommandcontext.h>
#include <odedcommandstack.h>
#include <odrxobjectimpl.h>

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("HostCommandSet", text);
}

void report(OdEdCommandContext *context, const QString &text)
{
    context->putString(CFxString(text).toOdString());
}

} // namespace

HostCommandSet::HostCommandSet(HostDocumentManager *documents, Hooks hooks)
{
    add("_NEW", [documents](OdEdCommandContext *) {
        documents->newDocument();
        return RTNORM;
    });
    add("_OPEN", [documents](OdEdCommandContext *context) {
        const QString path = CFxString(context->getFilePath(
                                           CFxString(tr("Drawing to open")).toOdString(),
                                           CFxString(tr("Drawings (*.dwg *.dxf)")).toOdString(),
                                           false))
                                 .toQString();
        if (path.isEmpty())
            return RTNORM;
        if (!documents->OpenDocument(path))
            report(context, tr("Cannot open %1: there is no such file.").arg(path));
        return RTNORM;
    });
    add("_CLOSE", [documents](OdEdCommandContext *) {
        if (CFxDocument *document = documents->GetCurrentDocument())
            documents->CloseDocument(document);
        return RTNORM;
    });
    add("_QUIT", [quit = hooks.quit](OdEdCommandContext *) {
        if (quit)
            quit();
        return RTNORM;
    });
    add("_MODULEVIEWS", [show = hooks.showModuleViews](OdEdCommandContext *) {
        if (show)
            show();
        return RTNORM;
    });
}

HostCommandSet::~HostCommandSet()
{
    for (const auto &command : m_commands)
        odedRegCmds()->removeCmd(command->groupName(), command->globalName());
}

void HostCommandSet::add(const char *name, std::function<int(OdEdCommandContext *)> action)
{
    OdSmartPtr<OdEdCommand> command =
        OdRxObjectImpl<HostCommand, OdEdCommand>::createObject(name, std::move(action));
    odedRegCmds()->addCommand(command.get());
    m_commands.push_back(command);
}
