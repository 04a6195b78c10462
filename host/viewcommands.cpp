#include "viewcommands.h"

#include "drawingview.h"
#include "hostcommandcontext.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ViewCommands", text);
}

} // namespace

ViewCommands::ViewCommands(std::function<DrawingView *()> currentView)
{
    m_registration.add("_ZOOM", [currentView](OdEdCommandContext *context) {
        const QString option =
            HostCommandContext::askText(context, tr("Zoom [Extents]")).toUpper();
        DrawingView *view = currentView();
        if (!view) {
            HostCommandContext::report(context, tr("_ZOOM: no drawing is open."));
            return RTERROR;
        }
        if (option != QLatin1String("E") && option != QLatin1String("EXTENTS")) {
            HostCommandContext::report(context, tr("_ZOOM: unknown option \"%1\"; E shows the "
                                                   "whole drawing.")
                                                    .arg(option));
            return RTERROR;
        }
        view->zoomExtents();
        return RTNORM;
    });
}
