#pragma once

class CFxDockingPaneManager;
class CFxDocument;
class CFxDocumentManager;
class CFxUiCustomizationManager;
class OdDbHostAppServices;
class QString;
class QUrl;

// The host's services as the module reaches them. Each look-up copes with a host that has not
// installed its services (or lacks one of them) by returning null, 0 or doing nothing. Main
// thread only.
class HostAccess
{
public:
    static CFxDocumentManager *documents();
    // The document the user works on, or null.
    static CFxDocument *activeDocument();
    static CFxDockingPaneManager *panes();
    static CFxUiCustomizationManager *ui();
    static OdDbHostAppServices *appServices();
    // The host's user-interface language number; 0 without services.
    static int language();
    // Shows a line of text on the host's command line.
    static void writeToCommandLine(const QString &text);
    // Opens a web address with the desktop's browser; when none opens it (or there is no
    // address), the command line says so and shows the address, so the user can copy it.
    static bool openWebAddress(const QUrl &url);
};
