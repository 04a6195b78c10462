// Times one update and save of the file database at 100, 1,000 and 10,000 entries beside a
// plain write and a write with fsync of the same bytes in the same folder, and a whole use
// (load, update, save) beside a plain read and write, both as uses follow each other in one
// process and after another program changed the file. Each round runs every piece of work once,
// so that a machine whose load changes disturbs all of them alike. Prints medians and ratios of
// wall-clock time, then the ratios of processor time, which a busy machine disturbs less.
#include "workingcopy/filedatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
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

QByteArray readFile(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void plainWrite(const QString &path, const QByteArray &bytes, bool sync)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    if (sync) {
        file.flush();
        ::fsync(file.handle());
    }
    file.close();
}

// A piece of work: what is timed, with untimed steps before and after it.
struct Work
{
    std::function<void()> run;
    std::function<void()> before = [] { };
    std::function<void()> after = [] { };
};

struct Timing
{
    double wall = 0.0; // ms
    double cpu = 0.0;  // ms of processor time
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median times of each work over rounds that run each once.
std::vector<Timing> medianMs(int rounds, const std::vector<Work> &works)
{
    std::vector<std::vector<double>> walls(works.size());
    std::vector<std::vector<double>> cpus(works.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < works.size(); ++i) {
            works[i].before();
            QElapsedTimer timer;
            timer.start();
            const std::clock_t cpuStart = std::clock();
            works[i].run();
            cpus[i].push_back(double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
            walls[i].push_back(double(timer.nsecsElapsed()) / 1e6);
            works[i].after();
        }
    }
    std::vector<Timing> medians;
    for (std::size_t i = 0; i < works.size(); ++i)
        medians.push_back({median(walls[i]), median(cpus[i])});
    return medians;
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
    std::vector<QByteArray> cpuLines;
    for (int entries : {100, 1000, 10000}) {
        QFile::remove(databasePath);
        fillDatabase(entries);
        const QByteArray bytes = readFile(databasePath);
        int round = 0;
        const auto update = [&](FileDatabase &database) {
            database.setUpdateStamp(entryPath(entries / 2), QString::number(++round));
        };
        std::unique_ptr<FileDatabase> open;

        Work updateSave;
        updateSave.before = [&] { open = std::make_unique<FileDatabase>(kTenant); };
        updateSave.run = [&] {
            update(*open);
            if (!open->save())
                qFatal("%s", qPrintable(open->errorString()));
        };
        updateSave.after = [&] { open.reset(); };
        Work write;
        write.run = [&] { plainWrite(plainPath, bytes, false); };
        Work writeSync;
        writeSync.run = [&] { plainWrite(plainPath, bytes, true); };
        Work wholeUse;
        wholeUse.run = [&] {
            FileDatabase database(kTenant);
            update(database);
        };
        // The same use when another program changed the file since this process last used it:
        // the file is read and parsed again.
        Work firstUse;
        firstUse.before = [&] {
            QByteArray changed = readFile(databasePath);
            const int at = changed.lastIndexOf("ACAD Drawing");
            changed[at] = changed[at] == 'A' ? 'a' : 'A';
            plainWrite(databasePath, changed, false);
        };
        firstUse.run = wholeUse.run;
        Work readWrite;
        readWrite.run = [&] { plainWrite(plainPath, readFile(databasePath), false); };

        const std::vector<Timing> t = medianMs(entries >= 10000 ? 21 : 41,
                                               {updateSave, write, writeSync, wholeUse, firstUse,
                                                readWrite});
        std::printf("%8d %9d | %10.2fms %10.2fms %10.2fms %7.1fx %7.1fx | %10.2fms %10.2fms "
                    "%7.1fx | %10.2fms %7.1fx\n",
                    entries, int(bytes.size()), t[0].wall, t[1].wall, t[2].wall,
                    t[0].wall / t[1].wall, t[0].wall / t[2].wall, t[3].wall, t[5].wall,
                    t[3].wall / t[5].wall, t[4].wall, t[4].wall / t[5].wall);
        cpuLines.push_back(QString::asprintf(
            "%8d entries: update+save %.1fx the write with fsync, whole use %.1fx and first use "
            "%.1fx the read and write\n",
            entries, t[0].cpu / t[2].cpu, t[3].cpu / t[5].cpu, t[4].cpu / t[5].cpu).toUtf8());
    }
    std::printf("ratio: update+save against the plain write, then against the write with fsync; "
                "whole use and first use against the plain read and write. The save syncs the "
                "file to disk before renaming it into place. First use: another program changed "
                "the file since this process used it.\n");
    std::printf("processor time ratios:\n");
    for (const QByteArray &line : cpuLines)
        std::printf("%s", line.constData());
    return 0;
}
