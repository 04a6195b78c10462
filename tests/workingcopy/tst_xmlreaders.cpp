// The file database's own reader against the general one: what it reads, it reads as the
// general reader does; everything else it leaves to the general reader, never accepting a
// document that is not well-formed.

#include "workingcopy/elementonlyxmlreader.h"
#include "workingcopy/xmltreereader.h"

#include <QtTest>

namespace {

// Every node with its kind, name, value and attributes, children indented below it.
QString dump(const std::vector<XmlNode> &nodes, int depth = 0)
{
    QString out;
    for (const XmlNode &node : nodes) {
        out += QString(depth, ' ') + QString::number(node.kind) + ' ' + node.name + '|' + node.value;
        for (const auto &attribute : node.attributes())
            out += ' ' + attribute.first + "=[" + attribute.second + ']';
        out += '\n' + dump(node.children, depth + 1);
    }
    return out;
}

} // namespace

class TestXmlReaders : public QObject
{
    Q_OBJECT

private slots:
    void sameTreeOrDeclined_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ownReaderReads");
        QTest::addColumn<bool>("wellFormed");

        QTest::newRow("as the database writes it")
            << QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n<files>\n"
                          " <file path=\"/a.dwg\" vaultisid=\"\" name=\"A\"/>\n"
                          " <file path=\"/b.dwg\" name=\"B\"/>\n</files>\n")
            << true << true;
        QTest::newRow("declaration in double quotes with standalone")
            << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?><files/>")
            << true << true;
        QTest::newRow("no declaration, spaces inside tags")
            << QByteArray("\n<files >\r\n<file  path = '/a' name=\"x\" ></file >\n</files\t>")
            << true << true;
        QTest::newRow("nested elements")
            << QByteArray("<files><group a='1'><file path='/deep'/></group><file/></files>")
            << true << true;
        QTest::newRow("entity and character references")
            << QByteArray("<files v=\"&amp;&lt;&gt;&quot;&apos;&#10;&#x9;&#13;&#x1F642;&#233;\" "
                          "w='\"&gt;'/>")
            << true << true;
        QTest::newRow("UTF-8 of two, three and four bytes")
            << QByteArray("<files path=\"/Pl\xC3\xA4ne/\xCE\xA9/\xF0\x9F\x99\x82.dwg\"/>") << true
            << true;

        QTest::newRow("comment") << QByteArray("<files><!-- kept --></files>") << false << true;
        QTest::newRow("text") << QByteArray("<files>text</files>") << false << true;
        QTest::newRow("namespace prefix")
            << QByteArray("<files xmlns:x='urn:x' x:a='1'/>") << false << true;
        QTest::newRow("tab typed into a value") << QByteArray("<files a='x\ty'/>") << false << true;
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF<files/>") << false << true;
        QTest::newRow("Latin-1 declared")
            << QByteArray("<?xml version='1.0' encoding='ISO-8859-1'?><files a='\xE4'/>") << false
            << true;
        QTest::newRow("document type")
            << QByteArray("<!DOCTYPE files><files/>") << false << true;

        QTest::newRow("end tag of another element")
            << QByteArray("<files><file></files></file>") << false << false;
        QTest::newRow("end tag that only starts alike")
            << QByteArray("<files><file></fil></file></files>") << false << false;
        QTest::newRow("attribute twice") << QByteArray("<files a='1' a='2'/>") << false << false;
        QTest::newRow("attributes without space between")
            << QByteArray("<files a='1'b='2'/>") << false << false;
        QTest::newRow("< in a value") << QByteArray("<files a='<'/>") << false << false;
        QTest::newRow("unclosed value") << QByteArray("<files a='1/>") << false << false;
        QTest::newRow("undeclared entity") << QByteArray("<files a='&nbsp;'/>") << false << false;
        QTest::newRow("reference to a control character")
            << QByteArray("<files a='&#1;'/>") << false << false;
        QTest::newRow("reference beyond Unicode")
            << QByteArray("<files a='&#x110000;'/>") << false << false;
        QTest::newRow("reference without digits") << QByteArray("<files a='&#x;'/>") << false << false;
        QTest::newRow("cut off while written")
            << QByteArray("<?xml version='1.0' encoding='UTF-8'?>\n<files>\n <file path=\"/a")
            << false << false;
        QTest::newRow("unclosed root") << QByteArray("<files><file/>") << false << false;
        QTest::newRow("second root") << QByteArray("<files/><files/>") << false << false;
        QTest::newRow("declaration after white space")
            << QByteArray(" <?xml version='1.0'?><files/>") << false << false;
        QTest::newRow("declaration without version")
            << QByteArray("<?xml encoding='UTF-8'?><files/>") << false << false;
        QTest::newRow("empty") << QByteArray() << false << false;
    }

    void sameTreeOrDeclined()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ownReaderReads);
        QFETCH(bool, wellFormed);

        std::vector<XmlNode> general;
        QString error;
        QCOMPARE(XmlTreeReader::read(bytes, &general, &error), wellFormed);
        std::vector<XmlNode> own;
        QCOMPARE(ElementOnlyXmlReader::read(bytes, &own), ownReaderReads);
        if (ownReaderReads)
            QCOMPARE(dump(own), dump(general));
    }

    // Bytes that are not UTF-8 are never read by the database's own reader, whatever the
    // general one makes of them.
    void malformedUtf8IsDeclined_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80");
        QTest::newRow("continuation byte alone") << QByteArray("a\x80");
        QTest::newRow("sequence cut short") << QByteArray("\xE2\x82");
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
        QTest::newRow("non-character U+FFFE") << QByteArray("\xEF\xBF\xBE");
    }

    void malformedUtf8IsDeclined()
    {
        QFETCH(QByteArray, value);
        std::vector<XmlNode> nodes;
        QVERIFY(!ElementOnlyXmlReader::read("<files a='" + value + "'/>", &nodes));
    }
};

QTEST_MAIN(TestXmlReaders)
#include "tst_xmlreaders.moc"
