// Draws every picture of the module into the embedded folder:
//   aurex-resgen <embedded folder>
// The output is committed; run this again after changing a picture.

#include "iconpainter.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: aurex-resgen <embedded folder>\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    int written = 0;
    for (const IconPainter::Picture &picture : IconPainter::pictures()) {
        const QString path = root.filePath(picture.path);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!IconPainter::render(picture).save(path, "PNG")) {
            err << "cannot write " << path << '\n';
            return 1;
        }
        ++written;
    }
    QTextStream(stdout) << written << " pictures written to " << root.absolutePath() << '\n';
    return 0;
}
