// The local request bridge over real loopback connections: what it publishes, which requests it
// understands, that neither broken nor hostile requests make it keep a connection, and that a
// file it cannot write is reported. The open-model requests of one connection, chunk by chunk:
// which model a request names when other programs nest it deep in their own documents or split
// it anywhere in transit, and which pieces are no request at all. A request read wrongly opens
// the wrong model, or none. And the launcher's way in, end to end.

#include "bridge/bridgefiles.h"
#include "bridge/lxhttpserver.h"
#include "bridge/openmodelrequest.h"
#include "hostenvironment.h"
#include "platformprocess.h"
#include "testhome.h"

#include <cfxdocument.h>
#include <hostdocumentmanager.h>
#include <loadedmodule.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <QTcpSocket>
#include <QtTest>

#include <csignal>

#include <sys/resource.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Counts the connections the server has finished with: each one is a child that goes away.
struct FinishedConnections : QObject
{
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::ChildRemoved;
        return false;
    }
};

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

class TestBridge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        // A port file left by an earlier run, readable by everybody: the servers replace it.
        QVERIFY(m_home.write("config/fzcachedir/FzxConnectorLX.Port", "4711\n"));
        QFile(m_portFile).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    }

    // Each row's connection comes after one that asked for PREVIOUS; a connection that ends
    // without a request of its own opens the last one understood again.
    void requests_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QString>("opened"); // by both connections, in order

        QTest::newRow("split in three chunks")
            << QList<QByteArray> { "<?xml version=\"1.0\"?>\n<Launch><FzxOpen", "Model ModelID=\"M",
                                   "-2\"/><FzxOpenModel ModelID=\"B\"/></Launch>" }
            << "PREVIOUS M-2";
        QTest::newRow("nothing sent") << QList<QByteArray>() << "PREVIOUS PREVIOUS";
        QTest::newRow("HTTP headers in front")
            << QList<QByteArray> { "POST /open HTTP/1.1\r\n\r\n<FzxOpenModel ModelID=\"H\"/>" }
            << "PREVIOUS PREVIOUS";
        QTest::newRow("element without ModelID")
            << QList<QByteArray> { "<FzxOpenModel Model=\"X\"></FzxOpenModel>" } << "PREVIOUS";
        QTest::newRow("whole request, then an unfinished one")
            << QList<QByteArray> { "<FzxOpenModel ModelID=\"C\"/>", "<FzxOpenModel ModelID=" }
            << "PREVIOUS C";
        // Still unfinished when it passes 64 KiB: dropped unread, not even opened at the close.
        QTest::newRow("over the bound")
            << QList<QByteArray> { "<FzxOpenModel ModelID=\"BIG\">" + QByteArray(70 * 1024, ' ')
                                   + "</FzxOpenModel>" }
            << "PREVIOUS";
        // What a hostile or broken sender might send: neither makes the server keep it.
        QTest::newRow("deep nest that never closes")
            << QList<QByteArray> { QByteArray("<a>").repeated(4000) } << "PREVIOUS PREVIOUS";
        QTest::newRow("broken bytes in a request")
            << QList<QByteArray> { "<?xml version=\"1.0\"?><Fzx\x01Open\xffModel ID=\"\x80\"/>" }
            << "PREVIOUS PREVIOUS";
    }

    void requests()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QString, opened);
        FinishedConnections finished;
        QStringList seen;
        lxHttpServer server([&seen](const QString &modelId) { seen << modelId; }, nullptr);
        server.installEventFilter(&finished);
        send(server.serverPort(), { "<FzxOpenModel ModelID=\"PREVIOUS\"/>" });
        QTRY_COMPARE(finished.count, 1);
        send(server.serverPort(), chunks);
        QTRY_COMPARE(finished.count, 2);
        QCOMPARE(seen.join(' '), opened);
        // send() saw each chunk in the request file; it and the port file are the owner's only.
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
            | QFile::WriteUser;
        QCOMPARE(QFile(m_requestFile).permissions(), ownerOnly);
        QCOMPARE(readFile(m_portFile), QByteArray::number(server.serverPort()) + "\n");
        QCOMPARE(QFile(m_portFile).permissions(), ownerOnly);
    }

    // A bridge file that does not fit (a full disk, or a quota reached) or cannot be made is
    // reported, never taken as written: a client would read half a request or an old port.
    void aFileThatDoesNotFitIsReported()
    {
        const QString path = m_home.filePath("bridge/request.xml");
        QVERIFY(BridgeFiles::writePrivate(path, QByteArray(100, 'x')));
        rlimit before{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before;
        small.rlim_cur = 64; // bytes any file of this process may reach
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        QString error;
        const bool written = BridgeFiles::writePrivate(path, QByteArray(100, 'y'), &error);
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        // Nor is one whose folder cannot be made, a file standing where it would go.
        error.clear();
        QVERIFY(!BridgeFiles::writePrivate(path + "/port", "1\n", &error));
        QVERIFY(!error.isEmpty());
    }

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
    // The launcher's way in, end to end: aurex-open asks the host running the module (signed in
    // to a real platform) to open a platform drawing, and the host opens the downloaded copy.
    // Runs last: the module's own bridge takes the port file.
    void opensTheModelInTheRunningHost()
    {
        QString error;
        QVERIFY2(m_platform.start(&error), qPrintable(error));
        // The launcher started the host with a model of its own to open.
        QVERIFY(m_platform.writeLauncherFiles("alice", m_home.environment(),
                                              {"--model", m_platform.demoObjectId("piers.dxf")}));
        HostEnvironment host;
        std::unique_ptr<LoadedModule> module = LoadedModule::load(AUREX_MODULE_FILE, &error);
        QVERIFY2(module, qPrintable(error));
        QCOMPARE(module->createViews(), 1);
        const auto currentPath = [&host] {
            const CFxDocument *current = host.documents()->GetCurrentDocument();
            return current ? current->GetPathName().toQString() : QString();
        };
        const auto currentName = [&] { return QFileInfo(currentPath()).fileName(); };
        QTRY_COMPARE_WITH_TIMEOUT(currentName(), QString("piers.dxf"), 30000);
        // The launcher's model arrives whole in the temporary folder.
        QVERIFY2(currentPath().startsWith(m_home.tempFolder()), qPrintable(currentPath()));
        QVERIFY(QFileInfo(currentPath()).size() > 0);

        // A drawing asked for afterwards is not taken for one the host opened on its own
        // before the launcher's model: it stays open beside it.
        QProcess client;
        client.setProcessEnvironment(m_home.environment());
        client.start(AUREX_OPEN_BIN, { m_platform.demoObjectId("tower.dwg") });
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
        QVERIFY2(client.exitCode() == 0, client.readAllStandardError().constData());

        QTRY_COMPARE_WITH_TIMEOUT(currentName(), QString("tower.dwg"), 30000);
        QVERIFY(QFileInfo(currentPath()).size() > 0);
        QTest::qWait(0);
        QStringList open;
        for (int i = 0; i < host.documents()->GetDocumentCount(); ++i)
            open << QFileInfo(host.documents()->GetDocumentAt(i)->GetPathName().toQString())
                        .fileName();
        open.sort();
        QCOMPARE(open, QStringList({"piers.dxf", "tower.dwg"}));

        // A model the platform does not have: the user is told, and the box, once closed, is
        // gone, not kept hidden for the rest of the run.
        const auto boxes = [] {
            QList<QMessageBox *> found;
            for (QWidget *window : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(window))
                    found.append(box);
            return found;
        };
        QVERIFY(boxes().isEmpty());
        client.start(AUREX_OPEN_BIN, {"AX000999999"});
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(boxes().size() == 1 && boxes().first()->isVisible(), 30000);
        QVERIFY2(!boxes().first()->text().isEmpty(), "the box says nothing");
        boxes().first()->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(boxes().isEmpty());
        QCOMPARE(currentName(), QString("tower.dwg"));
        host.documents()->closeAll();
        module->shutdown();
    }

private:
    // One connection: each chunk reaches the server on its own, then the sender closes.
    void send(quint16 port, const QList<QByteArray> &chunks)
    {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(client.waitForConnected(5000));
        for (const QByteArray &chunk : chunks) {
            client.write(chunk);
            QVERIFY(client.waitForBytesWritten(5000));
            if (chunk.size() < 64 * 1024)
                QTRY_COMPARE(readFile(m_requestFile), chunk);
            else // refused: the server closes the connection itself, long before any time-out
                QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 2000);
        }
        client.disconnectFromHost();
    }

    TestHome m_home;
    PlatformProcess m_platform { PlatformProcess::Options { true, {}, {} } };
    const QString m_portFile = m_home.filePath("config/fzcachedir/FzxConnectorLX.Port");
    const QString m_requestFile = m_home.filePath("config/fzcachedir/tcp.xml");
};

QTEST_MAIN(TestBridge)
#include "tst_bridge.moc"
