// filedbwriter TENANT PREFIX COUNT: records COUNT downloads named PREFIX-<n> into the
// tenant's file database, one use of the database each, as a download worker does.
// filedbwriter TENANT --hold: keeps the tenant's file database in use, says "held" on standard
// output, and ends when standard input closes.
#include "workingcopytesthome.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 3) {
        std::fprintf(stderr, "usage: filedbwriter TENANT PREFIX COUNT | TENANT --hold\n");
        return 2;
    }
    QStandardPaths::setTestModeEnabled(true);
    if (args.size() == 3 && args.at(2) == QLatin1String("--hold")) {
        FileDatabase database(args.at(1));
        std::printf("held\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    const QString error = recordDownloads(args.at(1), args.at(2), args.at(3).toInt());
    if (!error.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return error.isEmpty() ? 0 : 1;
}
