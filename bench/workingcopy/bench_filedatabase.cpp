// Times one update and save of the file database at 100, 1,000 and 10,000 entries beside a
// plain write and a write with fsync of the same bytes in the same folder, and a whole use (load, update, save)
// beside a plain read and write, both as uses follow each other in one process and after
// another program changed the file. Prints medians and ratios.
#include "workingcopy/filedatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

const char kTenant[] = "bench";

QString entryPath(int i)
{
    return QStringLiteral("/home/user/Documents/projects/site-%1/drawings/part-%2.dwg")
        .arg(i % 17)
        .arg(i);
}

void fillDatabase(int entries)
{
    FileDatabase database(kTenant);
    for (int i = 0; i < entries; ++i) {
        database.addFile(entryPath(i), QStringLiteral("45211.%1.9934.2215").arg(i),
                         QStringLiteral("prd-R2134-%1").arg(i, 8, 10, QLatin1Char('0')),
                         "2024/03/05@14:07:09:GMT", "", "ACAD Drawing", "false");
    }
}

// Median of repeated runs, in milliseconds.
double medianMs(int runs, const std::function<qint64()> &run)
{
    std::vector<qint64> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return double(times[times.size() / 2]) / 1e6;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

qint64 plainWrite(const QString &path, const QByteArray &bytes, bool sync)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    if (sync) {
        file.flush();
        ::fsync(file.handle());
    }
    file.close();
    return timer.nsecsElapsed();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!home.isValid())
        qFatal("no temporary folder");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    const QString databasePath = FileDatabase::locationFor(kTenant);
    const QString plainPath = databasePath + ".plain";

    std::printf("%8s %9s | %12s %12s %12s %8s %8s | %12s %12s %8s | %12s %8s\n", "entries",
                "bytes", "update+save", "plain write", "write+fsync", "ratio", "ratio", "whole use",
                "read+write", "ratio", "first use", "ratio");
    for (int entries : {100, 1000, 10000}) {
        QFile::remove(databasePath);
        fillDatabase(entries);
        const QByteArray bytes = readFile(databasePath);
        const int runs = entries >= 10000 ? 15 : 41;
        int round = 0;

        const double updateSave = medianMs(runs, [&] {
            FileDatabase database(kTenant);
            QElapsedTimer timer;
            timer.start();
            database.setUpdateStamp(entryPath(entries / 2), QString::number(++round));
            if (!database.save())
                qFatal("%s", qPrintable(database.errorString()));
            return timer.nsecsElapsed();
        });
        const double write = medianMs(runs, [&] { return plainWrite(plainPath, bytes, false); });
        const double writeSync = medianMs(runs, [&] { return plainWrite(plainPath, bytes, true); });
        const double wholeUse = medianMs(runs, [&] {
            QElapsedTimer timer;
            timer.start();
            {
                FileDatabase database(kTenant);
                database.setUpdateStamp(entryPath(entries / 2), QString::number(++round));
            }
            return timer.nsecsElapsed();
        });
        // The same use when another program changed the file since this process last used it:
        // the file is read and parsed again.
        const double firstUse = medianMs(runs, [&] {
            QByteArray changed = readFile(databasePath);
            const int at = changed.lastIndexOf("ACAD Drawing");
            changed[at] = changed[at] == 'A' ? 'a' : 'A';
            plainWrite(databasePath, changed, false);
            QElapsedTimer timer;
            timer.start();
            {
                FileDatabase database(kTenant);
                database.setUpdateStamp(entryPath(entries / 2), QString::number(++round));
            }
            return timer.nsecsElapsed();
        });
        const double readWrite = medianMs(runs, [&] {
            QElapsedTimer timer;
            timer.start();
            const QByteArray content = readFile(databasePath);
            plainWrite(plainPath, content, false);
            return timer.nsecsElapsed();
        });
        std::printf("%8d %9d | %10.2fms %10.2fms %10.2fms %7.1fx %7.1fx | %10.2fms %10.2fms "
                    "%7.1fx | %10.2fms %7.1fx\n",
                    entries, int(bytes.size()), updateSave, write, writeSync, updateSave / write,
                    updateSave / writeSync, wholeUse, readWrite, wholeUse / readWrite, firstUse,
                    firstUse / readWrite);
    }
    std::printf("ratio: update+save against the plain write, then against the write with fsync; "
                "whole use and first use against the plain read and write. The save syncs the "
                "file to disk before renaming it into place. First use: another program changed "
                "the file since this process used it.\n");
    return 0;
}
