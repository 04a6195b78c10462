#include "dxftesthelpers.h"

#include <cfxfiledata.h>

#include <QtTest>

class TestFilePreview : public QObject
{
    Q_OBJECT

private slots:
    void previewOfADrawingFile_data()
    {
        QTest::addColumn<QString>("sample"); // empty: a file that is no drawing
        QTest::addColumn<QSize>("thumbnail"); // the drawing's own; invalid: it has none
        QTest::newRow("drawing with its own thumbnail, red to blue")
            << "ezdxf/thumbnail-r2013.dxf" << QSize(8, 4);
        QTest::newRow("drawing without one is drawn") << "ezdxf/geometry-r2018.dxf" << QSize();
        QTest::newRow("no drawing") << "" << QSize();
    }

    void previewOfADrawingFile()
    {
        QFETCH(QString, sample);
        QFETCH(QSize, thumbnail);
        QTemporaryDir dir;
        QString path = dir.filePath("drawing.dwg");
        if (sample.isEmpty())
            QVERIFY(DxfTest::writeBytes(path, "not a drawing"));
        else
            QVERIFY(DxfTest::copySample(sample, path));
        // Callers may hand the path with the separators they store.
        path.replace('/', '\\');
        const QImage image = CFxFileData(path).GetPreviewBitmap().GetImage();
        QCOMPARE(image.isNull(), sample.isEmpty());
        if (thumbnail.isValid()) {
            QCOMPARE(image.size(), thumbnail);
            QCOMPARE(image.pixelColor(0, 0), QColor(Qt::red));
            QCOMPARE(image.pixelColor(7, 3), QColor(Qt::blue));
        } else if (!sample.isEmpty()) {
            // Drawn in ink on white.
            int ink = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    ink += image.pixel(x, y) != qRgb(255, 255, 255);
            }
            QVERIFY(ink > 20);
        }
    }
};

QTEST_MAIN(TestFilePreview)
#include "tst_filepreview.moc"
