// The local request bridge over real loopback connections: what it publishes, which requests it
// understands, and that nothing a sender does can crash it or make it keep a connection.

#include "bridge/lxhttpserver.h"
#include "testhome.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ReadUser | QFileDevice::WriteUser;

QByteArray request(const QByteArray &modelId)
{
    return "<FzxOpenModel ModelID=\"" + modelId + "\"/>";
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

} // namespace

class TestLxHttpServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        // A port file left by an earlier run, readable by everybody: the servers replace it.
        QVERIFY(m_home.write("config/fzcachedir/FzxConnectorLX.Port", "4711\n"));
        QFile(m_portFile).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                         | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }

    void init()
    {
        m_opened.clear();
        m_server = std::make_unique<lxHttpServer>(
            [this](const QString &modelId) { m_opened << modelId; }, nullptr);
        m_finished.count = 0;
        m_server->installEventFilter(&m_finished);
        QVERIFY(m_server->isListening());
    }

    // Each row's connection comes after one that asked for PREVIOUS; a connection that ends
    // without a request of its own opens the last one understood again.
    void requests_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QString>("opened"); // "" when nothing opens

        QTest::newRow("split in three chunks")
            << QList<QByteArray> { "<?xml version=\"1.0\"?>\n<Launch><FzxOpen", "Model ModelID=\"M",
                                   "-2\"/><FzxOpenModel ModelID=\"B\"/></Launch>" }
            << "M-2";
        QTest::newRow("nothing sent") << QList<QByteArray>() << "PREVIOUS";
        QTest::newRow("HTTP headers in front")
            << QList<QByteArray> { "POST /open HTTP/1.1\r\n\r\n" + request("H") }
            << "PREVIOUS";
        QTest::newRow("element without ModelID")
            << QList<QByteArray> { "<FzxOpenModel Model=\"X\"></FzxOpenModel>" } << "";
        QTest::newRow("whole request, then an unfinished one")
            << QList<QByteArray> { request("C"), "<FzxOpenModel ModelID=" } << "C";
        // Still unfinished when it passes 64 KiB: dropped unread, not even opened at the close.
        QTest::newRow("over the bound")
            << QList<QByteArray> { "<FzxOpenModel ModelID=\"BIG\">" + QByteArray(70 * 1024, ' ')
                                   + "</FzxOpenModel>" }
            << "";
    }

    void requests()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QString, opened);

        send({ request("PREVIOUS") });
        QTRY_COMPARE(m_finished.count, 1);
        QCOMPARE(m_opened, QStringList { "PREVIOUS" });
        m_opened.clear();

        send(chunks);
        QTRY_COMPARE(m_finished.count, 2);
        QCOMPARE(m_opened, opened.isEmpty() ? QStringList() : QStringList { opened });
        // send() saw each chunk in the request file; it and the port file are the owner's only.
        QCOMPARE(QFile(m_requestFile).permissions(), kOwnerOnly);
        QCOMPARE(readFile(m_portFile), QByteArray::number(m_server->serverPort()) + "\n");
        QCOMPARE(QFile(m_portFile).permissions(), kOwnerOnly);
    }

    // Random and broken requests, several connections at a time: the server keeps answering,
    // lets every connection go, and understands a good request afterwards.
    void fuzzedRequests()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        const QByteArray good = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Launch><FzxOpenModel "
                                "ModelID=\"F-1\" Space=\"s\"><!-- c --><![CDATA[x]]>"
                                "</FzxOpenModel></Launch>";
        // The server reads only while the test waits: 25 connections pile up at a time.
        for (int sent = 1; sent <= 1000; ++sent) {
            QTcpSocket client;
            client.connectToHost(QHostAddress::LocalHost, m_server->serverPort());
            QVERIFY(client.waitForConnected(5000));
            client.write(fuzzed(good, random));
            QVERIFY(client.waitForBytesWritten(5000));
            client.disconnectFromHost();
            if (sent % 25 == 0)
                QTRY_COMPARE_WITH_TIMEOUT(m_finished.count, sent, 20000);
        }
        m_opened.clear();
        send({ request("AFTER") });
        QTRY_COMPARE(m_finished.count, 1001);
        QCOMPARE(m_opened, QStringList { "AFTER" });
    }

private:
    // One connection: each chunk reaches the server on its own, then the sender closes.
    void send(const QList<QByteArray> &chunks)
    {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, m_server->serverPort());
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

    // The good request cut short with a few bytes changed, or a deep nest that never closes.
    static QByteArray fuzzed(QByteArray bytes, QRandomGenerator &random)
    {
        if (random.bounded(4) == 0)
            return QByteArray("<a>").repeated(random.bounded(1, 8000));
        bytes.truncate(random.bounded(1, bytes.size() + 1));
        for (int i = random.bounded(6); i > 0; --i)
            bytes[random.bounded(bytes.size())] = static_cast<char>(random.bounded(256));
        return bytes;
    }

    TestHome m_home;
    const QString m_portFile = m_home.filePath("config/fzcachedir/FzxConnectorLX.Port");
    const QString m_requestFile = m_home.filePath("config/fzcachedir/tcp.xml");
    QStringList m_opened;
    std::unique_ptr<lxHttpServer> m_server;
    FinishedConnections m_finished;
};

QTEST_GUILESS_MAIN(TestLxHttpServer)
#include "tst_lxhttpserver.moc"
