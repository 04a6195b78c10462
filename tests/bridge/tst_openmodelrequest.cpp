// The open-model requests of one bridge connection, chunk by chunk: which model a request names
// when other programs nest it deep in their own documents or split it anywhere in transit, and
// which pieces are no request at all. A request read wrongly opens the wrong model, or none.

#include "bridge/openmodelrequest.h"

#include <QtTest>

namespace {

QString outcomeName(OpenModelRequest::Outcome outcome)
{
    switch (outcome) {
    case OpenModelRequest::Outcome::NeedMore: return QStringLiteral("more");
    case OpenModelRequest::Outcome::Document: return QStringLiteral("document");
    case OpenModelRequest::Outcome::NotXml: return QStringLiteral("refused");
    case OpenModelRequest::Outcome::TooLarge: return QStringLiteral("too large");
    }
    return QStringLiteral("?");
}

// A launcher's request as it arrives: the model deep inside the sender's own elements, with
// elements before and after it at several depths.
const char kNested[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<FzxRequest version=\"2\">\n"
    "  <Header><Client><Name>launcher</Name><Build>17</Build></Client></Header>\n"
    "  <Body>\n"
    "    <Models>\n"
    "      <FzxOpenModel ModelID=\"AX-1042\"><Options><Option name=\"ro\"/></Options>"
    "</FzxOpenModel>\n"
    "      <FzxOpenModel ModelID=\"AX-9999\"/>\n"
    "    </Models>\n"
    "  </Body>\n"
    "</FzxRequest>\n";

} // namespace

class TestOpenModelRequest : public QObject
{
    Q_OBJECT

private slots:
    void chunksOfOneConnection_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        // After each chunk: what it made of the connection so far, and the model named by the
        // last whole request ("" before any).
        QTest::addColumn<QStringList>("read");

        QTest::newRow("nested request in one piece")
            << QList<QByteArray>{kNested} << QStringList{"document AX-1042"};
        QTest::newRow("nested request, split where inner elements end")
            << QList<QByteArray>{"<FzxRequest><Body><Models>",
                                 "<FzxOpenModel ModelID=\"M-2\"/></Models>", "</Body>",
                                 "</FzxRequest>"}
            << QStringList{"more ", "more ", "more ", "document M-2"};
        QTest::newRow("a child of the root closes last in a chunk")
            << QList<QByteArray>{"<R><Header/><Body><FzxOpenModel ModelID=\"A\"/></Body>",
                                 "<Body/></R>"}
            << QStringList{"more ", "document A"};
        QTest::newRow("first model at any depth wins")
            << QList<QByteArray>{"<R><X><Y><Z><FzxOpenModel ModelID=\"deep\"/></Z></Y></X>"
                                 "<FzxOpenModel ModelID=\"second\"/></R>"}
            << QStringList{"document deep"};
        // Several requests, one after the other on the same connection: each starts afresh.
        QTest::newRow("three nested requests in a row")
            << QList<QByteArray>{"<R><Body><FzxOpenModel ModelID=\"one\"/></Body></R>",
                                 "<R><Header/><Body><FzxOpenModel ModelID=\"two\"/></Body></R>",
                                 "<R><A><B><FzxOpenModel ModelID=\"three\"/></B></A></R>"}
            << QStringList{"document one", "document two", "document three"};
        QTest::newRow("second request split where a child of its root ends")
            << QList<QByteArray>{"<R><Body><FzxOpenModel ModelID=\"one\"/></Body></R>", "<R>",
                                 "<Header/>", "<Body><FzxOpenModel ModelID=\"two\"/></Body></R>"}
            << QStringList{"document one", "more one", "more one", "document two"};
        // The second request names nothing: nothing is to be opened, not the first one again.
        QTest::newRow("a request naming no model after one that did")
            << QList<QByteArray>{"<R><FzxOpenModel ModelID=\"A\"/></R>",
                                 "<R><Body><Other ModelID=\"X\"/></Body></R>"}
            << QStringList{"document A", "document "};
        QTest::newRow("a request after one that was refused")
            << QList<QByteArray>{"<R><X></Y></R>",
                                 "<R><Header/><Body><FzxOpenModel ModelID=\"ok\"/></Body></R>"}
            << QStringList{"refused ", "document ok"};
        // What may follow the root's end: a comment or blank lines; nothing else.
        QTest::newRow("comment after the root")
            << QList<QByteArray>{"<R><B><FzxOpenModel ModelID=\"C\"/></B></R>\n"
                                 "<!-- sent by the launcher -->\n"}
            << QStringList{"document C"};
        // Whatever the rest of the comment, the root has ended: the request is whole, and so is
        // the next one sent the same way.
        QTest::newRow("comments after the roots cut short")
            << QList<QByteArray>{"<R><B><FzxOpenModel ModelID=\"K\"/></B></R>\n<!-- sent by",
                                 "<R><Header/><FzxOpenModel ModelID=\"L\"/></R><!-- again"}
            << QStringList{"document K", "document L"};
        QTest::newRow("a second root in the same piece")
            << QList<QByteArray>{"<R><FzxOpenModel ModelID=\"D\"/></R>"
                                 "<R><FzxOpenModel ModelID=\"E\"/></R>"}
            << QStringList{"refused "};
        QTest::newRow("text after the root")
            << QList<QByteArray>{"<R><FzxOpenModel ModelID=\"T\"/></R>trailing"}
            << QStringList{"refused "};
        // Malformed nesting never names a model, and leaves the last request's model.
        QTest::newRow("crossed end tags")
            << QList<QByteArray>{"<R><FzxOpenModel ModelID=\"P\"/></R>",
                                 "<R><A><FzxOpenModel ModelID=\"F\"/></R></A>"}
            << QStringList{"document P", "refused P"};
        QTest::newRow("one end tag too many")
            << QList<QByteArray>{"<R><A><FzxOpenModel ModelID=\"G\"/></A></R></R>"}
            << QStringList{"refused "};
        QTest::newRow("end tag before any start")
            << QList<QByteArray>{"</R><R><FzxOpenModel ModelID=\"H\"/></R>"}
            << QStringList{"refused "};
        QTest::newRow("inner element left open when the root ends")
            << QList<QByteArray>{"<R><A><FzxOpenModel ModelID=\"J\"/>", "</R>"}
            << QStringList{"more ", "refused "};
    }

    void chunksOfOneConnection()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QStringList, read);
        OpenModelRequest request;
        QStringList seen;
        for (const QByteArray &chunk : chunks) {
            const QString outcome = outcomeName(request.addChunk(chunk));
            seen << outcome + ' ' + request.modelId();
        }
        QCOMPARE(seen, read);
    }
};

QTEST_GUILESS_MAIN(TestOpenModelRequest)
#include "tst_openmodelrequest.moc"
