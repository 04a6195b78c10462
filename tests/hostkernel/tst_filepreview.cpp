#include "dxftesthelpers.h"

#include <cfxfiledata.h>

#include <QTemporaryDir>
#include <QtTest>

class TestFilePreview : public QObject
{
    Q_OBJECT

private slots:
    void previewOfADrawingFile_data()
    {
        QTest::addColumn<QString>("sample"); // empty: a file that is no drawing
        QTest::addColumn<bool>("hasPreview");
        QTest::newRow("drawing with its own thumbnail") << "ezdxf/thumbnail-r2013.dxf" << true;
        QTest::newRow("drawing without one is drawn") << "ezdxf/geometry-r2018.dxf" << true;
        QTest::newRow("no drawing") << "" << false;
    }

    void previewOfADrawingFile()
    {
        QFETCH(QString, sample);
        QFETCH(bool, hasPreview);
        QTemporaryDir dir;
        QString path = dir.filePath("drawing.dwg");
        if (sample.isEmpty())
            QVERIFY(DxfTest::writeBytes(path, "not a drawing"));
        else
            QVERIFY(DxfTest::copySample(sample, path));
        // Callers may hand the path with the separators they store.
        path.replace('/', '\\');
        const CFxPreviewBitmap bitmap = CFxFileData(path).GetPreviewBitmap();
        QCOMPARE(!bitmap.IsNull(), hasPreview);
        if (hasPreview)
            QVERIFY(bitmap.GetImage().width() > 0 && bitmap.GetImage().height() > 0);
    }
};

QTEST_MAIN(TestFilePreview)
#include "tst_filepreview.moc"
