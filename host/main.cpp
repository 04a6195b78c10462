#include "hostapplication.h"
#include "hostoptions.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lintra"));
    QApplication::setApplicationName(QStringLiteral("lintra"));

    HostOptions options;
    QString error;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (!HostOptions::parse(arguments, &options, &error)) {
        QTextStream err(stderr);
        err << "lintra: " << error << '\n' << HostOptions::usage();
        return 2;
    }
    HostApplication host(options);
    return host.run();
}
