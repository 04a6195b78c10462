#include "dxftesthelpers.h"
#include "xreffilesearch.h"

#include <QtTest>

// Folder layout of every case:
//   proj/main.dxf  proj/a2.dwg  proj/UPPER.DXF  proj/sub/a.dwg  proj/both.dxf
//   proj/parts/part_a.dwg  proj/twin/x.dwg  proj/twin/X.dwg
//   lib/b.dxf  lib/both.dxf  (lib is a support folder, beside one that is missing)
class TestXrefFileSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void findsFilesAsCadProgramsDo_data();
    void findsFilesAsCadProgramsDo();

private:
    QTemporaryDir m_dir;
};

void TestXrefFileSearch::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char *file : {"proj/main.dxf", "proj/a2.dwg", "proj/UPPER.DXF", "proj/sub/a.dwg",
                             "proj/both.dxf", "proj/parts/part_a.dwg", "proj/twin/x.dwg",
                             "proj/twin/X.dwg", "lib/b.dxf", "lib/both.dxf"})
        QVERIFY(DxfTest::writeBytes(m_dir.filePath(file), "0\nEOF\n"));
}

void TestXrefFileSearch::findsFilesAsCadProgramsDo_data()
{
    // Paths relative to the test folder; an empty expected path: not found; an empty drawing
    // folder: a drawing never saved.
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("folder");
    auto row = [](const char *name, const QString &stored, const QString &expected,
                  const QString &folder = "proj") {
        QTest::newRow(name) << stored << expected << folder;
    };
    row("absolute and present", m_dir.filePath("proj/sub/a.dwg"), "proj/sub/a.dwg");
    row("absolute elsewhere, name in the drawing's folder", "/nowhere/a2.dwg", "proj/a2.dwg");
    row("drive letter with backslashes", "C:\\old\\a2.dwg", "proj/a2.dwg");
    row("UNC share", "\\\\server\\share\\b.dxf", "lib/b.dxf");
    row("relative with dot and backslashes", ".\\sub\\a.dwg", "proj/sub/a.dwg");
    row("relative going up", "..\\proj\\sub\\a.dwg", "proj/sub/a.dwg");
    row("relative missing, name in support folder", "..\\gone\\b.dxf", "lib/b.dxf");
    row("bare name: drawing folder before support", "both.dxf", "proj/both.dxf");
    row("name in another case", "C:\\old\\upper.dxf", "proj/UPPER.DXF");
    row("relative going up, every part in another case", "..\\PROJ\\Parts\\Part_A.Dwg",
        "proj/parts/part_a.dwg");
    row("two case twins, neither exact", "twin\\x.DWG", "");
    row("missing everywhere", "C:\\old\\none.dwg", "");
    row("empty", "", "");
    row("never saved: bare name in a support folder", "both.dxf", "lib/both.dxf", "");
    row("never saved: relative path not searched", ".\\sub\\a.dwg", "", "");
}

void TestXrefFileSearch::findsFilesAsCadProgramsDo()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    QFETCH(QString, folder);
    // A support folder that does not exist is passed over.
    XrefFileSearch search;
    search.setSupportFolders({m_dir.filePath("missing"), m_dir.filePath("lib")});
    QCOMPARE(search.find(stored, folder.isEmpty() ? QString() : m_dir.filePath(folder)),
             expected.isEmpty() ? QString() : m_dir.filePath(expected));
}

QTEST_GUILESS_MAIN(TestXrefFileSearch)
#include "tst_xreffilesearch.moc"
