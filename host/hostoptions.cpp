#include "hostoptions.h"

#include <QCoreApplication>

namespace {

bool takeValue(const QStringList &args, int *index, QString *value, QString *errorMessage)
{
    if (*index + 1 >= args.size()) {
        *errorMessage = QCoreApplication::translate("HostOptions", "%1 needs a value")
                            .arg(args.at(*index));
        return false;
    }
    *index += 1;
    *value = args.at(*index);
    return true;
}

} // namespace

bool HostOptions::parse(const QStringList &arguments, HostOptions *options, QString *errorMessage)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        QString value;
        if (arg == QLatin1String("--module")) {
            if (!takeValue(arguments, &i, &value, errorMessage))
                return false;
            options->modules.append(value);
        } else if (arg == QLatin1String("--module-dir")) {
            if (!takeValue(arguments, &i, &options->moduleDir, errorMessage))
                return false;
        } else if (arg == QLatin1String("--script")) {
            if (!takeValue(arguments, &i, &options->script, errorMessage))
                return false;
        } else if (arg == QLatin1String("--support-path")) {
            if (!takeValue(arguments, &i, &value, errorMessage))
                return false;
            options->supportPaths.append(value);
        } else if (arg == QLatin1String("--screenshot")) {
            if (!takeValue(arguments, &i, &options->screenshot, errorMessage))
                return false;
        } else if (arg == QLatin1String("--print-widgets")) {
            if (!takeValue(arguments, &i, &options->widgetSnapshot, errorMessage))
                return false;
        } else if (arg == QLatin1String("--language")) {
            if (!takeValue(arguments, &i, &value, errorMessage))
                return false;
            bool ok = false;
            options->language = value.toInt(&ok);
            if (!ok || options->language < 0) {
                *errorMessage = QCoreApplication::translate("HostOptions",
                                                            "--language takes a number, not %1")
                                    .arg(value);
                return false;
            }
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options->help = true;
        } else if (arg == QLatin1String("--exit")) {
            options->exitAfterStart = true;
        } else if (arg == QLatin1String("--print-ui")) {
            options->printUi = true;
        } else if (arg == QLatin1String("--list-modules")) {
            options->listModules = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            *errorMessage = QCoreApplication::translate("HostOptions", "unknown option %1").arg(arg);
            return false;
        } else {
            options->files.append(arg);
        }
    }
    return true;
}

QString HostOptions::usage()
{
    return QStringLiteral(
        "usage: lintra [options] [drawing...]\n"
        "  --module PATH      load this module (.tx) after those of the module folder\n"
        "  --module-dir DIR   module folder (default: modules beside the program)\n"
        "  --script FILE      run one command per line after start-up\n"
        "  --exit             quit after start-up and the script; status 1 when a command failed\n"
        "  --print-ui         print menus, ribbon and panes as JSON on standard output\n"
        "  --list-modules     print the loaded modules and their commands\n"
        "  --screenshot FILE  save a picture of the main window and its dialogs after the script\n"
        "  --print-widgets FILE  write the shown windows' widgets as JSON after the script\n"
        "  --language N       user-interface language number (0: follow the system)\n"
        "  --support-path DIR a folder where referenced files are looked for (repeatable)\n"
        "  --help             this text\n");
}
