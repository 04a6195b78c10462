#pragma once

#include <QString>
#include <QStringList>

// What the host was asked to do on its command line.
struct HostOptions
{
    QStringList modules;        // --module PATH, loaded after the module folder's modules
    QString moduleDir;          // --module-dir DIR; empty: the folder "modules" beside the program
    QString script;             // --script FILE: one command per line after start-up
    bool exitAfterStart = false; // --exit: quit once the script (if any) has run
    bool printUi = false;       // --print-ui: menus and ribbon as JSON on standard output
    bool listModules = false;   // --list-modules: loaded modules and their commands
    QString screenshot;         // --screenshot FILE: the main window as a picture, after the script
    QString widgetSnapshot;     // --print-widgets FILE: the shown windows' widgets as JSON
    bool help = false;          // --help: the usage, nothing else
    int language = -1;          // --language N: user-interface language number (-1: setting)
    QStringList supportPaths;   // --support-path DIR: searched for referenced files
    QStringList files;          // drawings to open

    // Parses arguments (without the program name); on error returns false with a message.
    static bool parse(const QStringList &arguments, HostOptions *options, QString *errorMessage);
    static QString usage();
};
