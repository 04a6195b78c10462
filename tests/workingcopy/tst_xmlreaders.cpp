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
        out += QString(depth, ' ') + QString::number(node.kind) + ' ' + node.name + '|'
            + node.value;
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
        // Which readers read the bytes: both, only the general one, or neither.
        enum Readers { Both, GeneralOnly, Neither };
        const auto row = [](Readers readers, const char *name, const char *bytes) {
            QTest::newRow(name) << QByteArray(bytes) << (readers == Both) << (readers != Neither);
        };

        row(Both, "as the database writes it",
            "<?xml version='1.0' encoding='UTF-8'?>\n<files>\n"
            " <file path=\"/a.dwg\" vaultisid=\"\" name=\"A\"/>\n"
            " <file path=\"/b.dwg\" name=\"B\"/>\n</files>\n");
        row(Both, "spaces and line breaks around the equals sign",
            "<files a = \"1\" b\n=\n'2' c\t=\t\"3\"/>");
        row(Both, "nested elements",
            "<files><group a='1'><file path='/deep'/></group><file/></files>");
        row(Both, "entity and character references",
            "<files v=\"&amp;&lt;&gt;&quot;&apos;&#10;&#x9;&#13;&#x1F642;&#233;\" w='\"&gt;'/>");
        row(Both, "UTF-8 of two, three and four bytes",
            "<files path=\"/Pl\xC3\xA4ne/\xCE\xA9/\xF0\x9F\x99\x82.dwg\"/>");

        row(GeneralOnly, "comment", "<files><!-- kept --></files>");

        row(Neither, "end tag of another element", "<files><file></files></file>");
        row(Neither, "end tag that only starts alike", "<files><file></fil></file></files>");
        row(Neither, "attribute twice", "<files a='1' a='2'/>");
        row(Neither, "value without quotes", "<files a=1/>");
        row(Neither, "value left out at the end of the tag", "<files a= />");
        row(Neither, "undeclared entity", "<files a='&nbsp;'/>");
        row(Neither, "character reference with a letter", "<files a='&#6a;'/>");
        row(Neither, "hexadecimal reference with a letter past F", "<files a='&#x4G;'/>");
        row(Neither, "hexadecimal reference with a space", "<files a='&#x 41;'/>");
        row(Neither, "cut off while written",
            "<?xml version='1.0' encoding='UTF-8'?>\n<files>\n <file path=\"/a");
        row(Neither, "empty", "");
        // Bytes a damaged or foreign file may hold where a path should be.
        row(Neither, "a byte that starts no character", "<files path=\"/a\xFF.dwg\"/>");
        row(Neither, "a continuation byte alone", "<files path=\"/a\x80.dwg\"/>");
        row(Neither, "a character cut short", "<files path=\"/a\xE2\x82.dwg\"/>");
        row(Neither, "a character written too long", "<files path=\"/a\xC0\xAF.dwg\"/>");
    }

    void sameTreeOrDeclined()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ownReaderReads);

        std::vector<XmlNode> general;
        QString error;
        QTEST(XmlTreeReader::read(bytes, &general, &error), "wellFormed");
        std::vector<XmlNode> own;
        QCOMPARE(ElementOnlyXmlReader::read(bytes, &own), ownReaderReads);
        if (ownReaderReads)
            QCOMPARE(dump(own), dump(general));
    }
};

QTEST_MAIN(TestXmlReaders)
#include "tst_xmlreaders.moc"
