#include "dxftesthelpers.h"
#include "xreffilesearch.h"

#include <QTemporaryDir>
#include <QtTest>

// Folder layout of every case:
//   proj/main.dxf  proj/a2.dwg  proj/UPPER.DXF  proj/sub/a.dwg  proj/both.dxf
//   proj/parts/part_a.dwg  proj/twin/x.dwg  proj/twin/X.dwg
//   lib/b.dxf  lib/both.dxf  (lib is the support folder)
class TestXrefFileSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void findsFilesAsCadProgramsDo_data();
    void findsFilesAsCadProgramsDo();
    void neverSavedDrawingSearchesSupportFoldersOnly();

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
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected"); // relative to the test folder; empty: not found
    const QString absolute = m_dir.filePath("proj/sub/a.dwg");
    QTest::newRow("absolute and present") << absolute << "proj/sub/a.dwg";
    QTest::newRow("absolute elsewhere, name in the drawing's folder")
        << QStringLiteral("/nowhere/a2.dwg") << "proj/a2.dwg";
    QTest::newRow("drive letter with backslashes") << "C:\\old\\a2.dwg" << "proj/a2.dwg";
    QTest::newRow("UNC share") << "\\\\server\\share\\b.dxf" << "lib/b.dxf";
    QTest::newRow("relative with dot and backslashes") << ".\\sub\\a.dwg" << "proj/sub/a.dwg";
    QTest::newRow("relative going up") << "..\\proj\\sub\\a.dwg" << "proj/sub/a.dwg";
    QTest::newRow("relative missing, name in support folder") << "..\\gone\\b.dxf" << "lib/b.dxf";
    QTest::newRow("bare name: drawing folder before support") << "both.dxf" << "proj/both.dxf";
    QTest::newRow("name in another case") << "C:\\old\\upper.dxf" << "proj/UPPER.DXF";
    QTest::newRow("relative going up, every part in another case")
        << "..\\PROJ\\Parts\\Part_A.Dwg" << "proj/parts/part_a.dwg";
    QTest::newRow("two case twins, neither exact") << "twin\\x.DWG" << "";
    QTest::newRow("missing everywhere") << "C:\\old\\none.dwg" << "";
    QTest::newRow("empty") << "" << "";
}

void TestXrefFileSearch::findsFilesAsCadProgramsDo()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    XrefFileSearch search;
    search.setSupportFolders({m_dir.filePath("lib")});
    const QString before = stored;
    const QString found = search.find(stored, m_dir.filePath("proj"));
    QCOMPARE(found, expected.isEmpty() ? QString() : m_dir.filePath(expected));
    QCOMPARE(stored, before);
}

void TestXrefFileSearch::neverSavedDrawingSearchesSupportFoldersOnly()
{
    XrefFileSearch search;
    search.setSupportFolders({m_dir.filePath("missing"), m_dir.filePath("lib")});
    QCOMPARE(search.find("both.dxf", QString()), m_dir.filePath("lib/both.dxf"));
    QCOMPARE(search.find(".\\sub\\a.dwg", QString()), QString());
}

QTEST_GUILESS_MAIN(TestXrefFileSearch)
#include "tst_xreffilesearch.moc"
