#pragma once

#include <cfxsystemservices.h>

#include <QStringList>

// The host's services, with what is written on the command line kept for the test. Installed as
// the system services for as long as the object lives; everything else goes to the host's.
class CommandLineRecorder : public CFxSystemServices
{
public:
    CommandLineRecorder();
    ~CommandLineRecorder() override;

    CFxDocumentManager *GetDocumentManager() override;
    CFxDockingPaneManager *GetDockingPaneManager() override;
    CFxUiCustomizationManager *GetUiCustomizationManager() override;
    OdDbHostAppServices *GetHostAppServices() override;
    int GetUILanguage() const override;
    QWidget *GetMainWindow() override;
    void WriteMessage(const CFxString &text) override;

    QStringList lines;

private:
    CFxSystemServices *m_host;
};
