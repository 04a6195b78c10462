// Times what the host does to show a drawing, beside the drawing layer's plain read of the same
// file measured in the same run: building the scene, and the first paint into a window-sized
// picture. The drawing is the largest real one among the test samples.

#include "dxfdocument.h"
#include "dxfrenderer.h"
#include "dxfscene.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int kRuns = 15;
const QSize kWindow(1280, 800);

// The middle of a set of timings.
double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double elapsedMs(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

QString largestRealDrawing()
{
    QString largest;
    qint64 size = -1;
    QDirIterator it(QStringLiteral(AUREX_TEST_DATA "/real"), { "*.dxf", "*.dwg" }, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        if (file.size() > size) {
            size = file.size();
            largest = file.filePath();
        }
    }
    return largest;
}

} // namespace

int main(int argc, char *argv[])
{
    // Fonts need a GUI application; no display is needed for painting into a picture.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString path = largestRealDrawing();
    DxfDocument doc;
    QString error;
    if (path.isEmpty() || !doc.read(path, &error)) {
        std::fprintf(stderr, "bench_rendering: no drawing to time (%s)\n", qPrintable(error));
        return 1;
    }
    // The three stages take turns in each run, so that a change of the machine's load touches
    // them alike.
    std::vector<double> reads, builds, paints;
    DxfScene scene;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        DxfDocument copy;
        copy.read(path, nullptr);
        reads.push_back(elapsedMs(timer));
        timer.restart();
        scene = DxfScene::build(doc);
        builds.push_back(elapsedMs(timer));
        timer.restart();
        QImage window(kWindow, QImage::Format_ARGB32_Premultiplied);
        window.fill(Qt::black);
        QPainter painter(&window);
        DxfRenderer(scene).render(&painter, QRectF(QPointF(0, 0), QSizeF(kWindow)), Qt::white,
                                  Qt::black);
        painter.end();
        paints.push_back(elapsedMs(timer));
    }
    const double read = median(reads);
    const double build = median(builds);
    const double paint = median(paints);
    std::printf("drawing %s (%lld bytes; %d outlines, %d texts)\n",
                qPrintable(QFileInfo(path).fileName()), QFileInfo(path).size(),
                int(scene.shapes.size()), int(scene.texts.size()));
    std::printf("%-34s %8.3f ms\n", "plain read (baseline)", read);
    std::printf("%-34s %8.3f ms   ratio %5.2f\n", "scene build", build, build / read);
    std::printf("%-34s %8.3f ms   ratio %5.2f\n", "first paint (1280 x 800)", paint, paint / read);
    std::printf("%-34s %8.3f ms   ratio %5.2f\n", "scene build + first paint", build + paint,
                (build + paint) / read);
    return 0;
}
