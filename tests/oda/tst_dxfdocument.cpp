#include "dxfdocument.h"
#include "dxftesthelpers.h"

#include <functional>

#include <QtTest>

using DxfTest::dataPath;
using DxfTest::readBytes;

namespace {

// The first record of type with a tag of code whose trimmed value is value.
int findRecord(const DxfDocument &doc, const char *type, int code, const QByteArray &value)
{
    for (int r = 0; r < doc.recordCount(); ++r) {
        if (!doc.isType(r, type))
            continue;
        const int tag = doc.findTag(r, code);
        if (tag >= 0 && doc.file().trimmedValue(tag) == value)
            return r;
    }
    return -1;
}

// Adds a point at x to the end of the entities; true when the document took it.
bool addPoint(DxfDocument &doc, const QByteArray &x)
{
    return doc.insertTags(doc.firstTag(doc.section("ENTITIES")->endRecord),
                          {{0, "POINT"}, {8, "0"}, {10, x}});
}

} // namespace

// An edit made on a document in a test row; true when the document accepted it.
using DocumentEdit = std::function<bool(DxfDocument &)>;
Q_DECLARE_METATYPE(DocumentEdit)

class TestDxfDocument : public QObject
{
    Q_OBJECT

private slots:
    void roundTripIsByteIdentical_data();
    void roundTripIsByteIdentical();
    void largeDrawingOfManyTypesRoundTrips();
    void linesEndingAnywhereReadTheSame();
    void editsKeepTheFileLayout_data();
    void editsKeepTheFileLayout();
    void unreadableContentIsRefused_data();
    void unreadableContentIsRefused();
    void recordsKnowTheirHandleAndOwner();
    void editsAcrossRecordsMatchLineEdits();
    void refusedEditsChangeNothing_data();
    void refusedEditsChangeNothing();
};

void TestDxfDocument::roundTripIsByteIdentical_data()
{
    QVERIFY(DxfTest::addSampleRows() >= 15);
}

void TestDxfDocument::linesEndingAnywhereReadTheSame()
{
    // Line ends are looked for in blocks of bytes: they must be found wherever they fall, at
    // the end of a file with or without a last line end, and in files shorter than a block.
    for (const QByteArray &lineEnd : {QByteArray("\n"), QByteArray("\r\n")}) {
        for (int pad = 0; pad < 40; ++pad) {
            const QList<QByteArray> values = {QByteArray(pad, 'x'), "SECTION", "ENTITIES",
                                              "ENDSEC", "EOF"};
            const QByteArray lines =
                "999|" + values.first() + "|0|SECTION|2|ENTITIES|0|ENDSEC|0|EOF";
            for (const QByteArray &lastLineEnd : {lineEnd, QByteArray()}) {
                const QByteArray bytes = QByteArray(lines).replace("|", lineEnd) + lastLineEnd;
                DxfDocument doc;
                QString error;
                QVERIFY2(doc.parse(bytes, &error), qPrintable(bytes.toHex() + ": " + error));
                QList<QByteArray> read;
                for (int t = 0; t < doc.file().count(); ++t)
                    read << doc.file().value(t);
                QCOMPARE(read, values);
                QCOMPARE(doc.toByteArray(), bytes);
            }
        }
    }
    DxfDocument tiny;
    QVERIFY(tiny.parse("0\nEOF", nullptr));
    QCOMPARE(tiny.recordCount(), 1);
    QVERIFY(tiny.isType(0, "EOF"));
}

void TestDxfDocument::roundTripIsByteIdentical()
{
    QFETCH(QString, path);
    const QByteArray original = readBytes(path);
    DxfDocument doc;
    QString error;
    QCOMPARE(DxfTest::readError(doc, path), QString());
    QVERIFY(doc.section("ENTITIES"));

    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.dxf");
    QVERIFY2(doc.write(copy, &error), qPrintable(error));
    QCOMPARE(readBytes(copy), original);

    // Rewriting every value with itself moves all bytes through the edit store, which must
    // reproduce them exactly too.
    for (int t = 0; t < doc.file().count(); t += 7)
        doc.setTagValue(t, doc.file().value(t));
    QVERIFY(doc.isModified());
    QCOMPARE(doc.toByteArray(), original);
}

void TestDxfDocument::largeDrawingOfManyTypesRoundTrips()
{
    // Records of many types taking turns, some of them alike in length and letters, over more
    // megabytes than the writer hands to the disk at a time.
    const QList<QByteArray> types = {"LINE", "LINX", "LINF", "CIRCLE", "TEXT", "TEXTS",
                                     "LWPOLYLINE", "ARC", "INSERT", "ATTRIB", "SEQEND", "A", "B",
                                     "MTEXT", "HATCH", "POINT", "SPLINE", "SOLID", "3DFACE",
                                     "VIEWPORT", "DIMENSION", "LEADER", "IMAGE", "ELLIPSE"};
    QByteArray bytes = "0\nSECTION\n2\nENTITIES\n";
    QList<QByteArray> written;
    while (bytes.size() < 9 * 1024 * 1024) {
        written << types.at(written.size() % types.size());
        bytes += "0\n" + written.last() + "\n5\n" + QByteArray::number(0x100 + written.size(), 16)
            + "\n8\n0\n10\n1.5\n";
    }
    bytes += "0\nENDSEC\n0\nEOF\n";
    DxfDocument doc;
    QVERIFY(doc.parse(bytes, nullptr));
    QList<QByteArray> read;
    for (int r = 1; r <= written.size(); ++r)
        read << doc.type(r);
    QVERIFY(read == written);

    QTemporaryDir dir;
    QString error;
    QVERIFY2(doc.write(dir.filePath("same.dxf"), &error), qPrintable(error));
    QVERIFY(readBytes(dir.filePath("same.dxf")) == bytes);
    QVERIFY(doc.setString(written.size(), 8, QStringLiteral("EDITED")));
    QVERIFY2(doc.write(dir.filePath("edited.dxf"), &error), qPrintable(error));
    QByteArray edited = bytes;
    edited.replace(edited.lastIndexOf("\n8\n0\n"), 5, "\n8\nEDITED\n");
    QVERIFY(readBytes(dir.filePath("edited.dxf")) == edited);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"edited.dxf", "same.dxf"}));
}

void TestDxfDocument::editsKeepTheFileLayout_data()
{
    // In the record of type whose value of code reads oldText, newText is written as the
    // bytes newLine, on the one line that changes; a point added at the end of the entities
    // is written as newPoint, in the file's line ends and padding of codes.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QByteArray>("newLine");
    QTest::addColumn<QByteArray>("newPoint");
    const QString download = QStringLiteral("D:\\dl\\changed value.dwg");
    const QString plan = QString::fromUtf8("План Ω");
    const QByteArray crlfPoint = "\r\n0\r\nPOINT\r\n8\r\n0\r\n10\r\n1.5\r\n0\r\nENDSEC\r\n";
    const QByteArray paddedPoint = "\n  0\nPOINT\n  8\n0\n 10\n1.5\n  0\nENDSEC\n";
    QTest::newRow("CRLF, codes not padded, LibreCAD layer name")
        << dataPath("real/librecad-alg34-crlf.dxf") << QByteArray("LAYER") << 2 << "0"
        << download << download.toUtf8() << crlfPoint;
    QTest::newRow("R12 in code page 1251 with an escape")
        << dataPath("ezdxf/r12-cp1251.dxf") << QByteArray("TEXT") << 1
        << QString::fromUtf8("Лист Ω") << plan << QByteArray("\xcf\xeb\xe0\xed \\U+03A9")
        << paddedPoint;
    QTest::newRow("R2000, escapes only, leading comment (LibreCAD sheet)")
        << dataPath("real/librecad-sheet-a4.dxf") << QByteArray("MTEXT") << 1
        << QString::fromUtf8("Лист") << plan
        << QByteArray("\\U+041F\\U+043B\\U+0430\\U+043D \\U+03A9") << paddedPoint;
    QTest::newRow("R2018 in UTF-8") << dataPath("ezdxf/geometry-r2018.dxf") << QByteArray("TEXT")
                                    << 1 << "Plan" << plan << plan.toUtf8() << paddedPoint;
}

void TestDxfDocument::editsKeepTheFileLayout()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, type);
    QFETCH(int, code);
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QByteArray, newLine);
    QFETCH(QByteArray, newPoint);
    DxfDocument doc;
    QCOMPARE(DxfTest::readError(doc, path), QString());
    int record = 0;
    while (record < doc.recordCount()
           && (doc.type(record) != type || doc.string(record, code) != oldText))
        ++record;
    QVERIFY2(record < doc.recordCount(), "the decoded text is in the drawing");
    QVERIFY(doc.setString(record, code, newText));
    QCOMPARE(doc.string(record, code), newText);

    const QList<QByteArray> before = readBytes(path).split('\n');
    const QList<QByteArray> after = doc.toByteArray().split('\n');
    QCOMPARE(after.size(), before.size());
    QList<QByteArray> changed;
    for (int i = 0; i < before.size(); ++i) {
        if (before.at(i) != after.at(i))
            changed.append(after.at(i));
    }
    // The changed line keeps the file's line end.
    const QByteArray lineEnd = before.first().endsWith('\r') ? "\r" : "";
    QCOMPARE(changed, QList<QByteArray>({newLine + lineEnd}));
    DxfDocument reread;
    QVERIFY(reread.parse(doc.toByteArray(), nullptr));
    QCOMPARE(reread.string(record, code), newText);
    QVERIFY(addPoint(doc, "1.5"));
    QVERIFY2(doc.toByteArray().contains(newPoint), doc.toByteArray().right(300).constData());
}

void TestDxfDocument::unreadableContentIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes"); // in the file read; null: there is no file
    QTest::addColumn<QString>("reason");
    const QByteArray good = readBytes(dataPath("ezdxf/geometry-r2018.dxf"));
    QByteArray dwg("AC1032\0\0\0\0\0\x0f\x01\0\0\0", 16);
    dwg.append(QByteArray(2000, '\x7f'));
    QTest::newRow("no such file") << QByteArray() << "No such file";
    QTest::newRow("empty") << QByteArray("") << "empty";
    QTest::newRow("binary DWG") << dwg << "binary DWG";
    QTest::newRow("truncated in the middle") << good.left(good.size() / 2) << "truncated";
    QTest::newRow("no end-of-file marker") << QByteArray("0\nSECTION\n2\nENTITIES\n0\nENDSEC\n")
                                           << "truncated";
    QTest::newRow("plain text") << QByteArray("Dear user,\nthis is no drawing.\n")
                                << "group code";
}

void TestDxfDocument::unreadableContentIsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("drawing.dxf");
    QVERIFY(bytes.isNull() || DxfTest::writeBytes(path, bytes));
    DxfDocument doc;
    QString error;
    QVERIFY(!doc.read(path, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(doc.recordCount(), 0);

    // The document the failed read left empty is never written over the user's drawing.
    const QByteArray users = readBytes(dataPath("ezdxf/geometry-r2010.dxf"));
    QVERIFY(DxfTest::writeBytes(path, users));
    error.clear();
    QVERIFY(!doc.write(path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(path), users);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"drawing.dxf"}));
}

void TestDxfDocument::recordsKnowTheirHandleAndOwner()
{
    // The header's seed is no handle, and left below a handle in use, as some writers leave it;
    // a dictionary lists its reactors before its owner; a reactor names its owner right after
    // its handle; an XRECORD here has no owner.
    DxfDocument doc;
    QVERIFY(doc.parse("0\nSECTION\n2\nHEADER\n9\n$HANDSEED\n5\n10\n0\nENDSEC\n"
                      "0\nSECTION\n2\nOBJECTS\n"
                      "0\nDICTIONARY\n5\nC\n102\n{ACAD_REACTORS\n330\nD\n102\n}\n330\nA\n"
                      "0\nIMAGEDEF_REACTOR\n5\nE\n330\n1F\n"
                      "0\nXRECORD\n5\n2F\n100\nAcDbXrecord\n0\nENDSEC\n0\nEOF\n",
                      nullptr));
    // Every record with a handle or an owner, as "type handle owner".
    auto records = [&doc]() {
        QStringList result;
        for (int r = 0; r < doc.recordCount(); ++r) {
            const quint64 handle = doc.handle(r);
            if (handle || doc.owner(r)) {
                result << QString::fromLatin1(doc.type(r)) + ' '
                              + QString::number(handle, 16).toUpper() + ' '
                              + QString::number(doc.owner(r), 16).toUpper()
                              + (handle && doc.recordOfHandle(handle) != r ? " lost" : "");
            }
        }
        return result;
    };
    QCOMPARE(records(), QStringList({"DICTIONARY C A", "IMAGEDEF_REACTOR E 1F", "XRECORD 2F 0"}));
    // New handles go above both the seed and every handle in use, and the seed written back
    // follows them.
    QCOMPARE(doc.newHandle(), quint64(0x30));
    QCOMPARE(doc.newHandle(), quint64(0x31));
    QVERIFY2(doc.toByteArray().contains("$HANDSEED\n5\n32\n"), doc.toByteArray().constData());

    // Changed handles and owners are known at once, the new handle found and the old one not.
    QVERIFY(doc.setTagValue(doc.findTag(findRecord(doc, "DICTIONARY", 5, "C"), 5), "3B"));
    QVERIFY(doc.setTagValue(doc.findTag(findRecord(doc, "IMAGEDEF_REACTOR", 5, "E"), 330), "2A"));
    QCOMPARE(records(), QStringList({"DICTIONARY 3B A", "IMAGEDEF_REACTOR E 2A", "XRECORD 2F 0"}));
    QCOMPARE(doc.recordOfHandle(0xC), -1);
}

void TestDxfDocument::editsAcrossRecordsMatchLineEdits()
{
    // The same edits made on the lines of the file by hand give the expected bytes.
    const QString path = dataPath("ezdxf/geometry-r2010.dxf");
    QList<QByteArray> lines = readBytes(path).split('\n');
    DxfDocument doc;
    QCOMPARE(DxfTest::readError(doc, path), QString());
    const DxfFile &file = doc.file();

    // A run of whole records: the block MARK from BLOCK to ENDBLK.
    const int begin = findRecord(doc, "BLOCK", 2, "MARK");
    int end = begin;
    while (!doc.isType(end, "ENDBLK"))
        ++end;
    const int firstLine = file.lineNumber(doc.firstTag(begin)) - 1;
    const int lastLine = file.lineNumber(doc.endTag(end) - 1) + 1;
    lines.erase(lines.begin() + firstLine, lines.begin() + lastLine);
    const quint64 blockHandle = doc.handle(begin);
    QVERIFY(blockHandle > 0);
    doc.removeRecords(begin, end - begin + 1);
    QCOMPARE(doc.toByteArray(), lines.join('\n'));
    QCOMPARE(doc.recordOfHandle(blockHandle), -1);

    // Two tags out of the middle of a record, and two into one before it. Line numbers are
    // those of the file as read, which the removed block preceded.
    const int shift = lastLine - firstLine;
    const int circle = findRecord(doc, "CIRCLE", 40, "20.0");
    const int layerTag = doc.findTag(circle, 8);
    const int layerLine = file.lineNumber(layerTag) - 1 - shift;
    lines.erase(lines.begin() + layerLine, lines.begin() + layerLine + 2);
    doc.removeTags(layerTag, 1);
    const int line = findRecord(doc, "LINE", 11, "100.0");
    const int colorAt = doc.findTag(line, 10);
    const int colorLine = file.lineNumber(colorAt) - 1 - shift;
    QVERIFY(colorLine < layerLine);
    lines.insert(colorLine, "1");
    lines.insert(colorLine, " 62");
    doc.insertTags(colorAt, {{62, "1"}});
    QCOMPARE(doc.toByteArray(), lines.join('\n'));
    QCOMPARE(doc.integer(line, 62), 1);
    QCOMPARE(doc.findTag(circle, 8), -1);

    // Read afresh, the edited bytes give the records the edits left.
    DxfDocument reread;
    QVERIFY(reread.parse(doc.toByteArray(), nullptr));
    QCOMPARE(reread.recordCount(), doc.recordCount());
    for (int r = 0; r < doc.recordCount(); ++r)
        QCOMPARE(reread.handle(r), doc.handle(r));
}

void TestDxfDocument::refusedEditsChangeNothing_data()
{
    // Each edit returns whether it claims to be kept. The last records are ENDSEC and EOF.
    using Edit = DocumentEdit;
    QTest::addColumn<Edit>("edit");
    QTest::newRow("removing the end-of-file marker") << Edit([](DxfDocument &doc) {
        return doc.removeRecords(doc.recordCount() - 1, 1);
    });
    QTest::newRow("a list of records that holds the marker") << Edit([](DxfDocument &doc) {
        const int circle = findRecord(doc, "CIRCLE", 40, "20.0");
        return doc.removeRecordList({circle, doc.recordCount() - 1});
    });
    QTest::newRow("records out of range") << Edit([](DxfDocument &doc) {
        return doc.removeRecords(doc.recordCount() - 1, 2);
    });
    // Grouped edits stand or fall together: good edits (a new handle, a value, a nested
    // group) go with the one that fails, whether it breaks the structure or is out of range.
    QTest::newRow("a group whose last edit breaks the structure") << Edit([](DxfDocument &doc) {
        DxfDocument::Edit group(doc);
        doc.newHandle();
        addPoint(doc, "1.25");
        doc.setString(findRecord(doc, "CIRCLE", 40, "20.0"), 8, QStringLiteral("X"));
        {
            DxfDocument::Edit inner(doc);
            addPoint(doc, "2.5");
            inner.commit();
        }
        doc.removeRecords(doc.recordCount() - 1, 1);
        QString why;
        return group.commit(&why) || why.isEmpty(); // taken back, saying why
    });
    QTest::newRow("a group left without commit") << Edit([](DxfDocument &doc) {
        DxfDocument::Edit group(doc);
        addPoint(doc, "3.75");
        return false;
    });
}

void TestDxfDocument::refusedEditsChangeNothing()
{
    QFETCH(DocumentEdit, edit);
    const QString path = dataPath("ezdxf/geometry-r2010.dxf");
    DxfDocument doc;
    QCOMPARE(DxfTest::readError(doc, path), QString());
    const int records = doc.recordCount();

    QVERIFY(!edit(doc));
    QCOMPARE(doc.toByteArray(), readBytes(path));
    QVERIFY(!doc.isModified());
    QCOMPARE(doc.recordCount(), records);
    QVERIFY(doc.section("ENTITIES"));
    const int circle = findRecord(doc, "CIRCLE", 40, "20.0");
    QVERIFY(circle >= 0);

    // The document goes on working: a good group of edits after the refused one is kept,
    // and written.
    {
        DxfDocument::Edit group(doc);
        QVERIFY(addPoint(doc, "7.5"));
        QVERIFY(doc.setString(circle, 8, QStringLiteral("Y")));
        QVERIFY(group.commit());
    }
    QVERIFY(doc.isModified());
    QTemporaryDir dir;
    QString error;
    QVERIFY2(doc.write(dir.filePath("out.dxf"), &error), qPrintable(error));
    DxfDocument reread;
    QCOMPARE(DxfTest::readError(reread, dir.filePath("out.dxf")), QString());
    QVERIFY(findRecord(reread, "POINT", 10, "7.5") >= 0);
    QCOMPARE(reread.string(findRecord(reread, "CIRCLE", 40, "20.0"), 8), QStringLiteral("Y"));
    QCOMPARE(reread.recordCount(), records + 1);
}

QTEST_GUILESS_MAIN(TestDxfDocument)
#include "tst_dxfdocument.moc"
