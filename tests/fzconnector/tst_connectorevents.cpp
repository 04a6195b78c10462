// The connector's reading of the platform's event stream: the stream's text read right however
// it is cut into pieces, a colleague's changes arriving while the stream is read, a reader
// that stops when told, and a stream refused once the session is gone.

#include "connectortestsupport.h"
#include "eventstreamparser.h"
#include "platformclient.h"

#include <QJsonDocument>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <thread>

using namespace connectortest;

class TestConnectorEvents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QString error;
        m_platform = PlatformProcess::startDemo(&error);
        QVERIFY2(m_platform, qPrintable(error));
    }

    void streamTextIsReadInAnyPieces_data()
    {
        QTest::addColumn<int>("piece");
        QTest::newRow("a byte at a time") << 1;
        QTest::newRow("three bytes at a time") << 3;
        QTest::newRow("all at once") << 100000;
    }

    void streamTextIsReadInAnyPieces()
    {
        QFETCH(int, piece);
        const QByteArray text = ": connected\nretry: 2000\n\n"
                                "id: 7\nevent: lock\ndata: {\"a\":1}\n\n"
                                "id: 8\r\nevent: checkin\r\ndata: first\r\ndata: second\r\n\r\n"
                                ": keep-alive\n\n"
                                "data: no name, id kept\rextra: ignored\r\r"
                                "event: resync\ndata: {}\n\n"
                                "event: unfinished\ndata: x\n";
        QStringList events;
        EventStreamParser parser([&events](const QString &id, const QString &name,
                                           const QByteArray &data) {
            events << id + "|" + name + "|" + QString::fromUtf8(data);
        });
        for (int at = 0; at < text.size(); at += piece)
            parser.feed(text.constData() + at, size_t(qMin(piece, text.size() - at)));
        QCOMPARE(events, QStringList({"7|lock|{\"a\":1}", "8|checkin|first\nsecond",
                                      "8|message|no name, id kept", "8|resync|{}"}));
    }

    // bob's lock and unlock reach alice's stream while it is read; told to stop, the reader
    // ends at once with the stream's status.
    void changesArriveWhileTheStreamIsRead()
    {
        QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
        PlatformClient bob(m_platform->serverHost());
        QCOMPARE(bob.signIn("bob", "bob-demo-pw"), 200);
        const QJsonObject deck{{"phid", bob.find("deck.dwg")["phid"]}};

        std::mutex mutex; // guards seen
        QStringList seen;
        const auto seenNow = [&] {
            std::lock_guard<std::mutex> lock(mutex);
            return seen;
        };
        std::atomic<bool> wanted{true};
        std::atomic<int> status{-1};
        std::thread reader([&] {
            status = connector()->ReadEvents_Block(
                QString(),
                [&](const QString &id, const QString &name, const QByteArray &data) {
                    const QJsonObject event = QJsonDocument::fromJson(data).object();
                    std::lock_guard<std::mutex> lock(mutex);
                    seen << name + " " + event["title"].toString() + " "
                            + event["user"].toString() + (id.toLongLong() > 0 ? "" : " no id");
                },
                [&] { return wanted.load(); });
        });
        // The stream opens before bob acts: a lock made before it would not be in it. It is
        // open once an event of his comes; he locks and unlocks until one has.
        QTRY_VERIFY_WITH_TIMEOUT((bob.post("/api/v1/lock", {{"ref", deck}}),
                                  bob.post("/api/v1/unlock", {{"ref", deck}}),
                                  !seenNow().isEmpty()),
                                 10000);
        // Events come in the order they happened: once the unlock of rebar.dxf has come, so
        // has everything before it.
        const QJsonObject rebar{{"phid", bob.find("rebar.dxf")["phid"]}};
        QCOMPARE(bob.post("/api/v1/lock", {{"ref", rebar}}), 200);
        QCOMPARE(bob.post("/api/v1/unlock", {{"ref", rebar}}), 200);
        QTRY_VERIFY(seenNow().contains("unlock rebar.dxf bob"));
        QElapsedTimer stopping;
        stopping.start();
        wanted = false;
        reader.join();
        QVERIFY2(stopping.elapsed() < 2000, qPrintable(QString::number(stopping.elapsed())));
        QCOMPARE(status.load(), 200);
        // Each event came once, with its id, in order: deck.dwg's (the stream may have begun
        // between a lock and its unlock), then rebar.dxf's.
        QStringList all = seenNow();
        QCOMPARE(all.mid(all.size() - 2),
                 QStringList({"lock rebar.dxf bob", "unlock rebar.dxf bob"}));
        all = all.mid(0, all.size() - 2);
        if (!all.isEmpty() && all.first().startsWith("unlock"))
            all.removeFirst();
        for (int i = 0; i < all.size(); ++i)
            QCOMPARE(all.at(i), QString(i % 2 ? "unlock deck.dwg bob" : "lock deck.dwg bob"));
    }

    // With the session gone on the platform, the stream is refused and the connector's
    // session-ended handler runs, as for any call.
    void aStreamWithoutSessionIsRefused()
    {
        QVERIFY(signIn(*m_platform, "alice", "alice-demo-pw"));
        std::atomic<int> ended{0};
        connector()->SetSessionEndedHandler([&ended] { ++ended; });
        QVERIFY(m_platform->change({"DELETE FROM sessions"}));
        const int status = connector()->ReadEvents_Block(
            QString(), [](const QString &, const QString &, const QByteArray &) {},
            [] { return true; });
        connector()->SetSessionEndedHandler(nullptr);
        QCOMPARE(status, 401);
        QCOMPARE(ended.load(), 1);
    }

private:
    std::unique_ptr<PlatformProcess> m_platform;
};

QTEST_MAIN(TestConnectorEvents)
#include "tst_connectorevents.moc"
