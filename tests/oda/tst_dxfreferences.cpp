#include "dxfdefinitions.h"
#include "dxfdocument.h"
#include "dxftesthelpers.h"
#include "dxfxrefs.h"

#include <QtTest>

namespace {

const char kXrefPath[] = "..\\parts\\wheel.dwg";
const char kImagePath[] = "C:\\pictures\\logo.png";
const char kPdfPath[] = "plans\\site plan.pdf";

quint64 highestHandle(const DxfDocument &doc)
{
    quint64 highest = 0;
    for (int r = 0; r < doc.recordCount(); ++r)
        highest = std::max(highest, doc.handle(r));
    return highest;
}

// The drawing's references, images and PDF underlays as "kind name-or-path uses".
QStringList attachments(DxfDocument &doc)
{
    QStringList result;
    for (const DxfXrefs::Xref &xref : DxfXrefs(doc).list())
        result << QStringLiteral("xref %1 %2 %3").arg(xref.name, xref.path).arg(xref.insertCount);
    for (const auto &image : DxfDefinitions(doc).list(DxfDefinitions::RasterImage))
        result << QStringLiteral("image %1 %2").arg(image.path).arg(image.useCount);
    for (const auto &pdf : DxfDefinitions(doc).list(DxfDefinitions::PdfUnderlay))
        result << QStringLiteral("pdf %1 %2").arg(pdf.path).arg(pdf.useCount);
    return result;
}

QStringList strings(const QJsonValue &array)
{
    QStringList result;
    for (const QJsonValue &value : array.toArray())
        result.append(value.toString());
    return result;
}

// True when LibreCAD, printing the drawing at path to PDF in folder, makes a PDF of it: one it
// cannot open leaves none.
bool librecadPrints(const QString &path, const QString &folder)
{
    if (QStandardPaths::findExecutable("librecad").isEmpty()) {
        qWarning("librecad is not installed; scripts/setup installs it");
        return false;
    }
    QProcess librecad;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", folder);
    env.insert("XDG_CONFIG_HOME", folder + "/config");
    env.insert("XDG_RUNTIME_DIR", folder);
    librecad.setProcessEnvironment(env);
    librecad.setWorkingDirectory(folder);
    librecad.start("librecad", {"dxf2pdf", "-a", "-t", folder, path});
    if (!librecad.waitForFinished(60000)) {
        librecad.kill();
        qWarning("LibreCAD hung on the file");
        return false;
    }
    return QFileInfo(folder + '/' + QFileInfo(path).completeBaseName() + ".pdf").size() > 0;
}

} // namespace

class TestDxfReferences : public QObject
{
    Q_OBJECT

private slots:
    void listsRepathsAndRefusesEditsOfWhatAnotherWriterAttached();
    void attachAndDetachWriteWhatReadersExpect_data();
    void attachAndDetachWriteWhatReadersExpect();
};

void TestDxfReferences::listsRepathsAndRefusesEditsOfWhatAnotherWriterAttached()
{
    DxfDocument doc;
    QString error;
    QCOMPARE(DxfTest::readError(doc, DxfTest::dataPath("ezdxf/refs/host.dxf")), QString());
    QCOMPARE(attachments(doc),
             QStringList({"xref bolt parts\\bolt.dwg 1", "xref gone parts\\gone.dxf 1",
                          "image logo.png 1", "image C:\\old\\missing.png 1", "pdf plan.pdf 1",
                          "pdf ..\\elsewhere\\lost.pdf 1"}));

    // Attaching under a taken or an invalid name and renaming onto a taken name are refused,
    // saying why, and change nothing.
    const QByteArray before = doc.toByteArray();
    QString why;
    QVERIFY(!DxfXrefs(doc).attach("x.dwg", "BOLT", QPointF(), &why));
    QVERIFY2(why.contains("already has a block"), qPrintable(why));
    QVERIFY(!DxfXrefs(doc).attach("x.dwg", "a/b", QPointF(), &why));
    QVERIFY2(why.contains("no valid block name"), qPrintable(why));
    QVERIFY(!DxfXrefs(doc).rename("bolt", "gone", &why));
    QVERIFY2(why.contains("already has"), qPrintable(why));
    QCOMPARE(doc.toByteArray(), before);

    // Renaming and repointing change values only, and are read back so.
    const int records = doc.recordCount();
    QVERIFY2(DxfXrefs(doc).rename("bolt", "screw", &error), qPrintable(error));
    QVERIFY(DxfXrefs(doc).setPath("screw", "D:\\dl\\screw.dwg"));
    const quint64 logo = DxfDefinitions(doc).list(DxfDefinitions::RasterImage).at(0).handle;
    QVERIFY(DxfDefinitions(doc).setPath(logo, "D:\\dl\\logo.png"));
    QCOMPARE(doc.recordCount(), records);
    DxfDocument reread;
    QVERIFY2(reread.parse(doc.toByteArray(), &error), qPrintable(error));
    QCOMPARE(attachments(reread),
             QStringList({"xref screw D:\\dl\\screw.dwg 1", "xref gone parts\\gone.dxf 1",
                          "image D:\\dl\\logo.png 1", "image C:\\old\\missing.png 1",
                          "pdf plan.pdf 1", "pdf ..\\elsewhere\\lost.pdf 1"}));
    QVERIFY(DxfXrefs(reread).find("SCREW", nullptr));
    QVERIFY(!DxfXrefs(reread).find("bolt", nullptr));
}

void TestDxfReferences::attachAndDetachWriteWhatReadersExpect_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<bool>("librecad"); // LibreCAD opens the drawing with the attachments too
    QTest::newRow("LibreCAD dxflib R2000, no CLASSES section") << "real/librecad-s1.dxf" << false;
    QTest::newRow("LibreCAD libdxfrw 2007, CRLF") << "real/librecad-alg34-crlf.dxf" << true;
    QTest::newRow("ezdxf 2018 with references") << "ezdxf/refs/host.dxf" << true;
}

void TestDxfReferences::attachAndDetachWriteWhatReadersExpect()
{
    QFETCH(QString, sample);
    QFETCH(bool, librecad);
    QTemporaryDir dir;
    const QString path = dir.filePath("drawing.dxf");
    QVERIFY(DxfTest::copySample(sample, path));
    const QJsonObject before = DxfTest::ezdxfReport(path);
    QVERIFY2(before.contains("modelspace") && before.value("errors").toArray().isEmpty(),
             QJsonDocument(before).toJson().constData());

    DxfDocument doc;
    QString error;
    QCOMPARE(DxfTest::readError(doc, path), QString());
    const quint64 seed = doc.file().handleValue(doc.headerTag("$HANDSEED", 5));
    const quint64 highest = highestHandle(doc);
    quint64 image = 0;
    quint64 pdf = 0;
    QVERIFY2(DxfXrefs(doc).attach(kXrefPath, "wheel", QPointF(5, 5), &error), qPrintable(error));
    DxfDefinitions definitions(doc);
    QVERIFY2(definitions.attachImage(kImagePath, QSize(64, 32), QPointF(0, 0), 6.4, &image,
                                     &error),
             qPrintable(error));
    QVERIFY2(definitions.attachPdf(kPdfPath, "1", QPointF(10, 0), 1.0, &pdf, &error),
             qPrintable(error));
    QVERIFY(image > highest && image >= seed && pdf > image);
    QVERIFY(doc.file().handleValue(doc.headerTag("$HANDSEED", 5)) > highestHandle(doc));
    QVERIFY2(doc.write(path, &error), qPrintable(error));

    // The independent reader sees what was attached (and LibreCAD opens it).
    QJsonObject report = DxfTest::ezdxfReport(path);
    QVERIFY2(report.value("errors").toArray().isEmpty() && !report.contains("readError"),
             QJsonDocument(report).toJson().constData());
    QCOMPARE(report.value("xrefs").toObject().value("wheel").toString(), QString(kXrefPath));
    QCOMPARE(report.value("inserts").toObject().value("wheel").toInt(), 1);
    QCOMPARE(strings(report.value("images")), strings(before.value("images")) << kImagePath);
    QCOMPARE(strings(report.value("pdfs")), strings(before.value("pdfs")) << kPdfPath);
    if (librecad)
        QVERIFY2(librecadPrints(path, dir.path()), "LibreCAD cannot open the drawing");

    // Read again, detaching takes every part away: the independent reader finds the drawing as
    // it was.
    DxfDocument reread;
    QCOMPARE(DxfTest::readError(reread, path), QString());
    QVERIFY2(DxfXrefs(reread).detach("wheel", &error), qPrintable(error));
    QVERIFY2(DxfDefinitions(reread).detach(image, &error), qPrintable(error));
    QVERIFY2(DxfDefinitions(reread).detach(pdf, &error), qPrintable(error));
    QVERIFY2(reread.write(path, &error), qPrintable(error));
    QCOMPARE(QJsonDocument(DxfTest::ezdxfReport(path)).toJson(), QJsonDocument(before).toJson());
}

QTEST_GUILESS_MAIN(TestDxfReferences)
#include "tst_dxfreferences.moc"
