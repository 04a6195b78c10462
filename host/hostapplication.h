#pragma once

#include "hostoptions.h"

#include <QImage>
#include <QObject>

#include <memory>
#include <vector>

class ApplicationCommands;
class CommandProcessor;
class FileCommands;
class HostServices;
class ReferenceCommands;
class UiCommands;
class ViewCommands;
class LoadedModule;
class MainWindow;

// The CAD application: installs the system services and the host's menus, loads the modules
// (entry points, initApp), builds the main window and the modules' panes, then runs what the
// command line asked for. Owns everything it creates; lives on the main thread.
class HostApplication : public QObject
{
    Q_OBJECT

public:
    explicit HostApplication(const HostOptions &options, QObject *parent = nullptr);
    ~HostApplication() override;

    // Starts up and, unless asked to exit at once, runs the event loop. Returns the exit code.
    int run();

    // The module folder used when none is given: "modules" beside the program.
    static QString defaultModuleDir();
    // The user-interface language number the host runs with (setting, or --language).
    static int languageSetting(const HostOptions &options);
    // The folders searched for referenced files: --support-path, then the setting.
    static QStringList supportFolders(const HostOptions &options);

private:
    void loadModules();
    void loadModule(const QString &path);
    void printModules() const;
    // Runs the script of the command line; returns how many of its lines failed.
    int runScript();
    void printUi() const;
    void saveScreenshot(const QString &path) const;
    // The main window with the dialogs shown over it.
    QImage windowPicture() const;
    void showModuleViews();
    void shutdown();
    void report(const QString &text) const;

    HostOptions m_options;
    std::unique_ptr<HostServices> m_host;
    std::unique_ptr<CommandProcessor> m_processor;
    std::unique_ptr<ApplicationCommands> m_applicationCommands;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<ReferenceCommands> m_referenceCommands;
    std::unique_ptr<UiCommands> m_uiCommands;
    std::unique_ptr<ViewCommands> m_viewCommands;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::vector<std::unique_ptr<LoadedModule>> m_modules;
    bool m_shutDown = false;
};
