// Every resource path the module's code quotes is compiled in and holds something usable.

#include <QFontDatabase>
#include <QImage>
#include <QtTest>

namespace {

// The folders whose code or pages quote resources (the module's subsystems, the embedded pages).
const char *const kCodeFolders[] = { "module", "session", "support", "connector", "workingcopy",
                                     "bridge", "open", "save", "taskpane", "fileitems",
                                     "embedded" };

QSet<QString> quotedResourcePaths()
{
    // ":/embedded/..." in a string literal, a style sheet's url(...) or a form's XML element, up
    // to the closing quote, parenthesis or tag; "qrc:" in front is the same resource.
    const QRegularExpression quoted(QStringLiteral(":(/embedded/[^\"')<]+)"));
    QSet<QString> paths;
    for (const char *folder : kCodeFolders) {
        QDirIterator it(QStringLiteral(AUREX_SOURCE_DIR "/") + QLatin1String(folder),
                        { "*.cpp", "*.h", "*.ui", "*.html", "*.qss" }, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(file.readAll());
            for (auto match = quoted.globalMatch(text); match.hasNext();)
                paths.insert(QLatin1Char(':') + match.next().captured(1));
        }
    }
    return paths;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void everyQuotedResourceLoads()
    {
        const QSet<QString> paths = quotedResourcePaths();
        QVERIFY2(paths.contains(":/embedded/UI/Resources/AurexLoginCompass.png")
                     && paths.contains(":/embedded/UI/Resources/Orvo Light.otf"),
                 "the scan finds the paths the code quotes");
        QStringList problems;
        for (const QString &path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly) || file.size() == 0) {
                problems << path + " is missing or empty";
                continue;
            }
            if (path.endsWith(".png") && QImage(path).isNull())
                problems << path + " is not a picture";
            if (path.endsWith(".otf") && QFontDatabase::addApplicationFont(path) < 0)
                problems << path + " is not a font";
        }
        problems.sort();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
