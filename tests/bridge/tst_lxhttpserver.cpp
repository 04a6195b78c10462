// The local request bridge over real loopback connections: what it publishes, which requests it
// understands, that neither broken nor hostile requests make it keep a connection, and that a
// file it cannot write is reported.

#include "bridge/bridgefiles.h"
#include "bridge/lxhttpserver.h"
#include "testhome.h"

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
    const QString m_portFile = m_home.filePath("config/fzcachedir/FzxConnectorLX.Port");
    const QString m_requestFile = m_home.filePath("config/fzcachedir/tcp.xml");
};

QTEST_GUILESS_MAIN(TestLxHttpServer)
#include "tst_lxhttpserver.moc"
