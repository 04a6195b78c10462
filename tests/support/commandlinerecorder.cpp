#include "commandlinerecorder.h"

#include <cfxstring.h>

CommandLineRecorder::CommandLineRecorder()
    : m_host(GetFxSystemServices())
{
    SetFxSystemServices(this);
}

CommandLineRecorder::~CommandLineRecorder()
{
    SetFxSystemServices(m_host);
}

CFxDocumentManager *CommandLineRecorder::GetDocumentManager()
{
    return m_host->GetDocumentManager();
}

CFxDockingPaneManager *CommandLineRecorder::GetDockingPaneManager()
{
    return m_host->GetDockingPaneManager();
}

CFxUiCustomizationManager *CommandLineRecorder::GetUiCustomizationManager()
{
    return m_host->GetUiCustomizationManager();
}

OdDbHostAppServices *CommandLineRecorder::GetHostAppServices()
{
    return m_host->GetHostAppServices();
}

int CommandLineRecorder::GetUILanguage() const
{
    return m_host->GetUILanguage();
}

QWidget *CommandLineRecorder::GetMainWindow()
{
    return m_host->GetMainWindow();
}

void CommandLineRecorder::WriteMessage(const CFxString &text)
{
    lines << text.toQString();
}
