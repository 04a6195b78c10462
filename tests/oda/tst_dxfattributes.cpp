#include "dxfattributes.h"
#include "dxfdocument.h"
#include "dxftesthelpers.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <utility>

namespace {

using Row = std::pair<quint64, QString>;

// Attributes as lines "handle layout space block tag=value", by reference handle; the
// attributes of one reference keep their order. Readers list the layouts in different orders.
QStringList byHandle(std::vector<Row> rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row &a, const Row &b) { return a.first < b.first; });
    QStringList lines;
    for (const Row &row : rows)
        lines.append(row.second);
    return lines;
}

Row row(quint64 handle, const QString &layout, bool paperSpace, const QString &block,
        const QString &tag, const QString &value)
{
    return {handle, QStringLiteral("%1 %2 %3 %4 %5=%6")
                        .arg(QString::number(handle, 16).toUpper(), layout,
                             paperSpace ? "paper" : "model", block, tag, value)};
}

QStringList lines(const QVector<DxfAttributes::Attribute> &attributes)
{
    std::vector<Row> rows;
    for (const DxfAttributes::Attribute &a : attributes)
        rows.push_back(row(a.insert, a.layout, a.paperSpace, a.block, a.tag, a.value));
    return byHandle(rows);
}

// The attributes as make_attribute_samples.py and ezdxf_check.py list them.
QStringList lines(const QJsonValue &attributes)
{
    std::vector<Row> rows;
    for (const QJsonValue &value : attributes.toArray()) {
        const QJsonObject a = value.toObject();
        rows.push_back(row(a.value("handle").toString().toULongLong(nullptr, 16),
                           a.value("layout").toString(), a.value("paperSpace").toBool(),
                           a.value("block").toString(), a.value("tag").toString(),
                           a.value("value").toString()));
    }
    return byHandle(rows);
}

// A drawing of release version with the given block definitions and entities, each a list of
// code/value lines.
QByteArray drawing(const char *version, const QByteArray &blocks, const QByteArray &entities)
{
    return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n" + QByteArray(version)
        + "\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n" + blocks
        + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

} // namespace

class TestDxfAttributes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsTheValuesWritten_data();
    void readsTheValuesWritten();
    void readsTheSamplesAsTheIndependentReaderDoes_data();
    void readsTheSamplesAsTheIndependentReaderDoes();
    void readsHowOtherWritersStoreValues_data();
    void readsHowOtherWritersStoreValues();

private:
    QTemporaryDir m_dir;
    QJsonObject m_written; // by file: the attributes make_attribute_samples.py wrote
};

void TestDxfAttributes::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_written = DxfTest::pythonReport({AUREX_ATTRIBUTE_SAMPLES, m_dir.path()});
    QVERIFY2(!m_written.isEmpty() && !m_written.contains("processError"),
             QJsonDocument(m_written).toJson().constData());
}

void TestDxfAttributes::readsTheValuesWritten_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("several references in model space and two layouts, R2000")
        << "layouts-r2000.dxf";
    QTest::newRow("several references in model space and two layouts, R2018")
        << "layouts-r2018.dxf";
    QTest::newRow("R12 in code page 1252, Cyrillic escaped, a long value")
        << "texts-r12-cp1252.dxf";
    QTest::newRow("R2000 in code page 1251, a long value") << "texts-r2000-cp1251.dxf";
    QTest::newRow("R2018 in UTF-8, a long value, a paragraph of several lines")
        << "texts-r2018.dxf";
    QTest::newRow("references without attributes only") << "none-r2013.dxf";
}

void TestDxfAttributes::readsTheValuesWritten()
{
    QFETCH(QString, file);
    const QString path = m_dir.filePath(file);
    DxfDocument doc;
    QCOMPARE(DxfTest::readError(doc, path), QString());
    const QStringList read = lines(DxfAttributes(doc).list());
    QCOMPARE(read, lines(m_written.value(file)));
    QCOMPARE(read, lines(DxfTest::ezdxfReport(path).value("attributes")));
    // Reading leaves the drawing as it was.
    QVERIFY(!doc.isModified());
    QCOMPARE(doc.toByteArray(), DxfTest::readBytes(path));
}

void TestDxfAttributes::readsTheSamplesAsTheIndependentReaderDoes_data()
{
    QVERIFY(DxfTest::addSampleRows() > 0);
}

void TestDxfAttributes::readsTheSamplesAsTheIndependentReaderDoes()
{
    QFETCH(QString, path);
    const QJsonObject report = DxfTest::ezdxfReport(path);
    QVERIFY2(report.contains("attributes"), QJsonDocument(report).toJson().constData());
    DxfDocument doc;
    QCOMPARE(DxfTest::readError(doc, path), QString());
    QCOMPARE(lines(DxfAttributes(doc).list()), lines(report.value("attributes")));
    QVERIFY(!doc.isModified());
    QCOMPARE(doc.toByteArray(), DxfTest::readBytes(path));
}

void TestDxfAttributes::readsHowOtherWritersStoreValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    const QByteArray insert = "0\nINSERT\n5\n2A\n66\n1\n2\nFRAME\n";
    const QByteArray end = "0\nSEQEND\n5\n2B\n";
    // "Größe" in UTF-8: "\xc3\xb6" is the "ö", here split between two pieces.
    QTest::newRow("long value in pieces, a character split between them")
        << drawing("AC1032", QByteArray(),
                   insert + "0\nATTRIB\n5\n2C\n3\nGr\xc3\n3\n\xb6\xc3\x9f\n1\ne\n2\nSIZE\n" + end)
        << QStringList({"2A  model FRAME SIZE=Gr\u00f6\u00dfe"});
    QTest::newRow("an application group's text is no value")
        << drawing("AC1032", QByteArray(),
                   insert + "0\nATTRIB\n5\n2C\n102\n{SOMEAPP\n1\nnot it\n102\n}\n1\nA-1\n2\nNO\n"
                       + end)
        << QStringList({"2A  model FRAME NO=A-1"});
    QTest::newRow("control characters and carets stay")
        << drawing("AC1032", QByteArray(),
                   insert + "0\nATTRIB\n5\n2C\n1\n\x01 a\tb ^J %%u\n2\nRAW\n" + end)
        << QStringList({"2A  model FRAME RAW=\x01 a\tb ^J %%u"});
    QTest::newRow("references in the model space block and in an ordinary block")
        << drawing("AC1009",
                   "0\nBLOCK\n2\n*MODEL_SPACE\n" + insert + "0\nATTRIB\n1\nm\n2\nT\n" + end
                       + "0\nENDBLK\n0\nBLOCK\n2\nNESTED\n"
                       + "0\nINSERT\n5\n3A\n66\n1\n2\nFRAME\n0\nATTRIB\n1\nn\n2\nT\n" + end
                       + "0\nENDBLK\n",
                   "0\nINSERT\n5\n4A\n67\n1\n66\n1\n2\nFRAME\n0\nATTRIB\n1\np\n2\nT\n" + end)
        << QStringList({"2A  model FRAME T=m", "4A  paper FRAME T=p"});
    QTest::newRow("flagged but without attributes; attributes after a reference not flagged")
        << drawing("AC1032", QByteArray(),
                   insert + end + "0\nINSERT\n5\n3A\n2\nFRAME\n0\nATTRIB\n1\nx\n2\nT\n"
                       + end)
        << QStringList();
}

void TestDxfAttributes::readsHowOtherWritersStoreValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    DxfDocument doc;
    QString error;
    QVERIFY2(doc.parse(bytes, &error), qPrintable(error));
    QCOMPARE(lines(DxfAttributes(doc).list()), expected);
}

QTEST_GUILESS_MAIN(TestDxfAttributes)
#include "tst_dxfattributes.moc"
