// Times the drawing layer against a plain copy of the same bytes, measured in the same run (and
// against the same copy written as safely as the layer writes a drawing):
// reading and writing back unchanged a DXF of more than 20 MB, the same with one value changed,
// and reading an assembly of 200 referenced drawings with its references and their graph.
// The timed pieces take turns, round after round, so that a machine busy with other work slows
// the copy and the layer alike.

#include "dxfdocument.h"
#include "oddbhostappservices.h"
#include "oddbqt.h"
#include "oddbxrefgraph.h"
#include "safefilewriter.h"
#include "dxfxrefs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

const int kRounds = 9;
const qint64 kMinimumBytes = 20 * 1024 * 1024;
const qint64 kManyEntitiesBytes = 25 * 1024 * 1024;
const int kLayers = 7;
const int kAssemblyParts = 200;
const double kRoundTripAim = 3.0;
const double kAssemblyAim = 5.0;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Written as the layer writes a drawing: into a temporary file, flushed to the disk, renamed
// over the old one, so that a crash leaves the old drawing or the new one, never half of one.
bool writeSafely(const QString &path, const QByteArray &bytes)
{
    SafeFileWriter file(path);
    return file.open() && file.write(bytes.constData(), bytes.size()) && file.commit();
}

struct Timing
{
    double wall = 0.0; // ms
    double cpu = 0.0;  // ms of processor time, which a busy machine disturbs less
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median times of each piece of work over rounds that run each once.
std::vector<Timing> medianMs(const std::vector<std::function<void()>> &works)
{
    std::vector<std::vector<double>> walls(works.size());
    std::vector<std::vector<double>> cpus(works.size());
    for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < works.size(); ++i) {
            QElapsedTimer timer;
            timer.start();
            const std::clock_t cpuStart = std::clock();
            works[i]();
            cpus[i].push_back(double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
            walls[i].push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    std::vector<Timing> medians;
    for (size_t i = 0; i < works.size(); ++i)
        medians.push_back({median(walls[i]), median(cpus[i])});
    return medians;
}

void report(const char *what, const Timing &baseline, const Timing &measured, double aim)
{
    std::printf("%-48s copy %8.2f ms   layer %8.2f ms   ratio %5.2f (aim <= %.0f)"
                "   processor time ratio %5.2f\n",
                what, baseline.wall, measured.wall, measured.wall / baseline.wall, aim,
                measured.cpu / baseline.cpu);
}

// A 2018 drawing whose model space holds enough lines and circles to pass minimumBytes.
// The sample drawing with entities put at the start of its entities section.
QByteArray withEntities(const QByteArray &entities)
{
    const QByteArray sample = readAll(QStringLiteral(AUREX_TEST_DATA "/ezdxf/geometry-r2018.dxf"));
    const int at = sample.indexOf("ENTITIES\n") + int(qstrlen("ENTITIES\n"));
    return sample.left(at) + entities + sample.mid(at);
}

// Many small entities of four kinds, lines, circles, texts and light-weight polylines of
// four points, spread over seven layers, as a site plan or a detailed floor has them.
QByteArray manySmallEntities(qint64 minimumBytes)
{
    QByteArray entities;
    entities.reserve(int(minimumBytes + 1024 * 1024));
    quint64 handle = 0x10000;
    const auto head = [&](const char *type, const char *subclass, int i) {
        return QByteArray("  0\n") + type + "\n  5\n" + QByteArray::number(handle++, 16).toUpper()
            + "\n330\n1F\n100\nAcDbEntity\n  8\nLAYER-" + QByteArray::number(i % kLayers)
            + "\n100\n" + subclass + "\n";
    };
    for (int i = 0; entities.size() < minimumBytes; ++i) {
        const QByteArray x = QByteArray::number(i % 1000 * 1.25);
        const QByteArray y = QByteArray::number(i / 1000 * 2.5);
        entities += head("LINE", "AcDbLine", i) + " 10\n" + x + "\n 20\n" + y + "\n 30\n0.0\n 11\n"
            + x + "\n 21\n" + y + "\n 31\n0.0\n";
        entities += head("CIRCLE", "AcDbCircle", i) + " 10\n" + x + "\n 20\n" + y
            + "\n 30\n0.0\n 40\n0.5\n";
        entities += head("TEXT", "AcDbText", i) + " 10\n" + x + "\n 20\n" + y
            + "\n 30\n0.0\n 40\n0.25\n  1\nP-" + QByteArray::number(i) + "\n100\nAcDbText\n";
        entities += head("LWPOLYLINE", "AcDbPolyline", i) + " 90\n4\n 70\n1\n";
        for (int corner = 0; corner < 4; ++corner)
            entities += " 10\n" + QByteArray::number(i % 1000 * 1.25 + corner % 2) + "\n 20\n"
                + QByteArray::number(i / 1000 * 2.5 + corner / 2) + "\n";
    }
    return withEntities(entities);
}

QByteArray largeDrawing(qint64 minimumBytes)
{
    QByteArray entities;
    entities.reserve(int(minimumBytes + 1024 * 1024));
    quint64 handle = 0x10000;
    for (int i = 0; entities.size() < minimumBytes; ++i) {
        const QByteArray x = QByteArray::number(i % 1000 * 1.25);
        const QByteArray y = QByteArray::number(i / 1000 * 2.5);
        entities += "  0\nLINE\n  5\n" + QByteArray::number(handle++, 16).toUpper()
                    + "\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n 10\n" + x + "\n 20\n"
                    + y + "\n 30\n0.0\n 11\n" + x + "\n 21\n" + y + "\n 31\n0.0\n";
        entities += "  0\nCIRCLE\n  5\n" + QByteArray::number(handle++, 16).toUpper()
                    + "\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbCircle\n 10\n" + x
                    + "\n 20\n" + y + "\n 30\n0.0\n 40\n0.5\n";
    }
    return withEntities(entities);
}

int roundTrip(const QTemporaryDir &dir, const QByteArray &bytes, const char *kind)
{
    const QString source = dir.filePath("large.dxf");
    const QString target = dir.filePath("large-out.dxf");
    if (!writeAll(source, bytes))
        return 1;
    const QString editedTarget = dir.filePath("large-edited.dxf");
    bool ok = true;
    const std::vector<Timing> times = medianMs({
        [&]() { writeAll(target, readAll(source)); },
        [&]() {
            DxfDocument doc;
            ok = ok && doc.read(source, nullptr) && doc.write(target, nullptr);
        },
        [&]() { writeSafely(dir.filePath("large-safe.dxf"), readAll(source)); },
        [&]() {
            DxfDocument doc;
            ok = ok && doc.read(source, nullptr);
            const DxfDocument::Section *entities = ok ? doc.section("ENTITIES") : nullptr;
            ok = entities && doc.setString(entities->endRecord - 1, 8, QStringLiteral("EDITED"));
            ok = ok && doc.write(editedTarget, nullptr);
        },
    });
    ok = ok && readAll(target) == bytes;
    const QByteArray edited = readAll(editedTarget);
    ok = ok && edited.size() == bytes.size() + 5 && edited.contains("\n  8\nEDITED\n");
    if (!ok) {
        std::printf("round trip failed\n");
        return 1;
    }
    const QByteArray what = "read + write unchanged, " + QByteArray::number(bytes.size() / 1e6, 'f', 1)
        + " MB " + kind;
    report(what.constData(), times[0], times[1], kRoundTripAim);
    report((QByteArray("read + change one value + write, ") + kind).constData(), times[0], times[3],
           kRoundTripAim);
    std::printf("  the copy written safely (temporary file, flushed, renamed) %8.2f ms: the layer's "
                "unchanged round trip is %.2f times that\n",
                times[2].wall, times[1].wall / times[2].wall);
    return 0;
}

int assembly(const QTemporaryDir &dir)
{
    const QByteArray part = readAll(QStringLiteral(AUREX_TEST_DATA "/ezdxf/geometry-r2010.dxf"));
    DxfDocument host;
    if (!host.read(QStringLiteral(AUREX_TEST_DATA "/ezdxf/geometry-r2018.dxf"), nullptr))
        return 1;
    QDir().mkpath(dir.filePath("parts"));
    QStringList files;
    for (int i = 0; i < kAssemblyParts; ++i) {
        const QString name = QStringLiteral("part%1").arg(i, 3, 10, QLatin1Char('0'));
        files.append(dir.filePath("parts/" + name + ".dwg"));
        if (!writeAll(files.last(), part)
            || !DxfXrefs(host).attach("parts\\" + name + ".dwg", name,
                                      QPointF(i % 20 * 150.0, i / 20 * 150.0), nullptr))
            return 1;
    }
    const QString hostPath = dir.filePath("assembly.dxf");
    if (!host.write(hostPath, nullptr))
        return 1;
    files.prepend(hostPath);
    int nodes = 0;
    OdDbHostAppServices services;
    const std::vector<Timing> times = medianMs({
        [&]() {
            for (const QString &file : qAsConst(files))
                writeAll(dir.filePath("copy.dxf"), readAll(file));
        },
        [&]() {
            OdDbDatabasePtr db = services.readFile(toOdString(hostPath));
            OdDbXrefGraph xrefGraph;
            OdDbXrefGraph::getFrom(db.get(), xrefGraph);
            nodes = xrefGraph.numNodes();
        },
    });
    if (nodes != kAssemblyParts + 1) {
        std::printf("reference graph has %d nodes, expected %d\n", nodes, kAssemblyParts + 1);
        return 1;
    }
    report("read with 200 references + reference graph", times[0], times[1], kAssemblyAim);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    return roundTrip(dir, largeDrawing(kMinimumBytes), "lines")
        || roundTrip(dir, manySmallEntities(kManyEntitiesBytes), "mixed")
        || assembly(dir);
}
