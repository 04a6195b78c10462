#include "hostsystemservices.h"

#include "commandlinewidget.h"
#include "dockingpanemanager.h"
#include "hostdocumentmanager.h"
#include "mainwindow.h"

#include <cfxstring.h>

#include <QTextStream>

HostSystemServices::HostSystemServices(HostDocumentManager *documents, DockingPaneManager *panes,
                                       CFxUiCustomizationManager *ui,
                                       OdDbHostAppServices *appServices, int language)
    : m_documents(documents)
    , m_panes(panes)
    , m_ui(ui)
    , m_appServices(appServices)
    , m_language(language)
{
}

CFxDocumentManager *HostSystemServices::GetDocumentManager()
{
    return m_documents;
}

CFxDockingPaneManager *HostSystemServices::GetDockingPaneManager()
{
    return m_panes;
}

CFxUiCustomizationManager *HostSystemServices::GetUiCustomizationManager()
{
    return m_ui;
}

OdDbHostAppServices *HostSystemServices::GetHostAppServices()
{
    return m_appServices;
}

void HostSystemServices::WriteMessage(const CFxString &text)
{
    // Shown on standard error as well, as the commands' own messages are, where scripts and
    // the programs that run the host read them.
    QTextStream(stderr) << text.toQString() << '\n';
    if (auto *window = qobject_cast<MainWindow *>(m_mainWindow))
        window->commandLine()->appendMessage(text.toQString());
}
