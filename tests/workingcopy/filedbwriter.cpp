// filedbwriter TENANT PREFIX COUNT: records COUNT downloads named PREFIX-<n> into the
// tenant's file database, one use of the database each, as a download worker does.
// filedbwriter TENANT --hold: keeps the tenant's file database in use, says "held" on standard
// output, and ends when standard input closes.
#include "workingcopy/filedatabase.h"

#include <QCoreApplication>
#include <QStandardPaths>

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
    const QString prefix = args.at(2);
    const int count = args.at(3).toInt();
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("%1-%2").arg(prefix).arg(i);
        FileDatabase database(args.at(1));
        database.recordExchange("/projects/" + name + ".dwg", QString(), name,
                                "2024/01/01@00:00:00:GMT", "ACAD Drawing");
        if (!database.save()) {
            std::fprintf(stderr, "%s\n", qPrintable(database.errorString()));
            return 1;
        }
    }
    return 0;
}
