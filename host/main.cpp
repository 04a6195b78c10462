#include "crashreport.h"
#include "hostapplication.h"
#include "hostoptions.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    CrashReport::install();
    // The options are read before any window system is needed, so that --help and mistakes are
    // answered without a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    HostOptions options;
    QString error;
    if (!HostOptions::parse(arguments, &options, &error)) {
        QTextStream(stderr) << "lintra: " << error << '\n' << HostOptions::usage();
        return 2;
    }
    if (options.help) {
        QTextStream(stdout) << HostOptions::usage();
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lintra"));
    QApplication::setApplicationName(QStringLiteral("lintra"));
    HostApplication host(options);
    return host.run();
}
