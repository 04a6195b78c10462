// The platform's event stream as its subscribers read it: what a colleague does to a file of a
// space they share arrives in order with who, what and why; nothing of a space they are not a
// member of ever does (a membership removed counts from then on); a subscriber that comes back
// gets what it missed, and one that names an event the platform never gave is told to refresh.

#include "eventreader.h"
#include "platformtestcase.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

class TestPlatformEvents : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(startDemo({"bob"}), QString());
        m_marker = record("marker.dwg", as("bob").autoname(), "Common Space");
        QCOMPARE(as("bob").checkIn({m_marker}, {"marker"}), 200);
    }

    // What bob does to a Bridge Project file reaches alice, a member, in order; carol, who is
    // not, gets only what bob does in the space they share.
    void membersSeeEveryChangeAndOthersNone()
    {
        EventReader alice(m_platform->serverHost(), "alice");
        EventReader carol(m_platform->serverHost(), "carol");
        QVERIFY(alice.isSignedIn() && carol.isSignedIn());
        QTRY_VERIFY(alice.isOpen() && carol.isOpen());

        SignedIn &bob = as("bob");
        const QJsonObject span = record("span.dwg", bob.autoname(), "Bridge Project");
        const QJsonObject spanRef{{"ref", byName(span["name"])}};
        QCOMPARE((QList<int>{bob.checkIn({span}, {"first"}, nullptr, "first draft"),
                             bob.post("/api/v1/lock", spanRef),
                             bob.checkIn({span}, {"second"}, nullptr, "moved the piers"),
                             bob.post("/api/v1/unlock", spanRef)}),
                 QList<int>({200, 200, 200, 200}));
        const QString phid = phidOf(bob, "span.dwg");
        QCOMPARE((QList<int>{bob.post("/api/v1/objects/" + phid + "/versions/1/restore", {}),
                             bob.post("/api/v1/delete", {{"refs", QJsonArray{ref(phid)}}}),
                             lockMarker(true), lockMarker(false)}),
                 QList<int>({200, 200, 200, 200}));

        const QStringList marker{"lock marker.dwg bob 1 bob", "unlock marker.dwg bob 1"};
        QTRY_COMPARE(alice.events(),
                     QStringList({"checkin span.dwg bob 1  first draft", "lock span.dwg bob 1 bob",
                                  // A check-in that does not ask to keep the lock releases it.
                                  "checkin span.dwg bob 2  moved the piers",
                                  "unlock span.dwg bob 2", "restore span.dwg bob 3  Restored version 1",
                                  "delete span.dwg bob 3"})
                         + marker);
        QTRY_COMPARE(carol.events(), marker);
    }

    // Back after missing events, a subscriber gets them; one that names an event the platform
    // never gave, or no number at all, is told to refresh; one that names none gets only
    // what comes next.
    void aSubscriberThatComesBackMissesNothing()
    {
        std::string seen;
        {
            EventReader alice(m_platform->serverHost(), "alice");
            QTRY_VERIFY(alice.isOpen());
            QCOMPARE(lockMarker(true), 200);
            QTRY_COMPARE(alice.events().size(), 1);
            seen = alice.lastId();
        }
        QVERIFY(!seen.empty());
        QCOMPARE(lockMarker(false), 200);
        QCOMPARE(as("bob").checkIn({m_marker}, {"marker 2"}, nullptr, "while you were away"), 200);

        const QString host = m_platform->serverHost();
        EventReader back(host, "alice", seen);
        EventReader forged(host, "alice", std::to_string(std::stoll(seen) + 1000));
        EventReader garbage(host, "alice", "seven");
        EventReader fresh(host, "alice");
        QTRY_COMPARE(back.events(), QStringList({"unlock marker.dwg bob 1",
                                                 "checkin marker.dwg bob 2  while you were away"}));
        QTRY_COMPARE(forged.events(), QStringList{"resync"});
        QTRY_COMPARE(garbage.events(), QStringList{"resync"});
        QTRY_VERIFY(fresh.isOpen());
        QCOMPARE(lockMarker(true), 200);
        QCOMPARE(lockMarker(false), 200);
        QTRY_COMPARE(fresh.events(),
                     QStringList({"lock marker.dwg bob 2 bob", "unlock marker.dwg bob 2"}));
    }

    // Taken out of Bridge Project while subscribed, alice hears nothing more of it.
    void aMembershipRemovedCountsFromThen()
    {
        EventReader alice(m_platform->serverHost(), "alice");
        QTRY_VERIFY(alice.isOpen());
        QVERIFY(m_platform->change(
            {"DELETE FROM memberships WHERE user_id = (SELECT id FROM users WHERE login = "
             "'alice') AND space_id = (SELECT id FROM spaces WHERE name = 'Bridge Project')"}));
        const QJsonObject pier = record("pier.dwg", as("bob").autoname(), "Bridge Project");
        QCOMPARE(as("bob").checkIn({pier}, {"pier"}, nullptr, "secret"), 200);
        QCOMPARE(lockMarker(true), 200);
        QTRY_COMPARE(alice.events(), QStringList{"lock marker.dwg bob 2 bob"});
        QCOMPARE(lockMarker(false), 200);
    }

    // A stream whose session ends (signed out, expired) ends at its next comment line; coming
    // back is then refused, as is a stream asked for without a session. Other users' streams
    // go on.
    void aStreamEndsWithItsSession()
    {
        QString error;
        const auto platform =
            PlatformProcess::startDemo(&error, {"--keep-alive", "1", "--session-ttl", "600"});
        QVERIFY2(platform, qPrintable(error));
        EventReader alice(platform->serverHost(), "alice");
        EventReader bob(platform->serverHost(), "bob");
        QTRY_VERIFY(alice.isOpen() && bob.isOpen());
        // Every open stream hears the keep-alive comment, each second.
        const auto keptAlive = [](const EventReader &reader) {
            return reader.text().count(": keep-alive\n\n");
        };
        QTRY_VERIFY_WITH_TIMEOUT(keptAlive(alice) >= 2 && keptAlive(bob) >= 2, 10000);
        QVERIFY(platform->change({"DELETE FROM sessions WHERE user_id = "
                                  "(SELECT id FROM users WHERE login = 'alice')"}));
        QTRY_VERIFY_WITH_TIMEOUT(alice.hasEnded(), 10000);
        QCOMPARE(alice.status(), 200);
        // The other stream goes on.
        const int heard = keptAlive(bob);
        QTRY_VERIFY_WITH_TIMEOUT(keptAlive(bob) > heard, 10000);
        QVERIFY(!bob.hasEnded());
        PlatformClient again(platform->serverHost());
        QCOMPARE(again.http().Get("/api/v1/events")->status, 401);
    }

    // A subscriber that stops reading is let go once a megabyte waits for it, without holding
    // up anyone else; it comes back with the id of the last event it read.
    void aReaderThatFallsFarBehindIsLetGo()
    {
        // A small receive buffer, and five seconds' patience for each read.
        const int stalled = plainSocket(m_platform->port(), 4096, 5, 0);
        QVERIFY(stalled >= 0);
        // Closed after the answer: the end of the stream is the end of the connection.
        const std::string request = "GET /api/v1/events HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                    "Accept: text/event-stream\r\nConnection: close\r\n"
                                    "Authorization: Bearer " + as("bob").token() + "\r\n\r\n";
        QCOMPARE(::send(stalled, request.data(), request.size(), 0), ssize_t(request.size()));
        EventReader alice(m_platform->serverHost(), "alice");
        QTRY_VERIFY(alice.isOpen());

        // Each file's event carries the check-in's comment: rounds of 100 files with long
        // comments make megabytes of events, more than the socket buffers hold.
        QJsonArray files;
        for (int i = 0; i < 100; ++i)
            files.append(record(QString("bulk-%1.dwg").arg(i), as("bob").autoname(),
                                "Common Space", i > 0 ? 0 : -1));
        const int rounds = 15;
        for (int round = 1; round <= rounds; ++round) {
            QList<QByteArray> contents;
            for (int i = 0; i < files.size(); ++i)
                contents << QByteArray::number(round * 1000 + i);
            QCOMPARE(as("bob").checkIn(files, contents, nullptr, QString(2000, QChar('a' + round))),
                     200);
        }
        QTRY_COMPARE_WITH_TIMEOUT(alice.events().size(), rounds * files.size(), 20000);
        QVERIFY(!alice.hasEnded());

        // The stalled reader finds what its sockets held, then the end, well short of all.
        char buffer[65536];
        qint64 read = 0;
        ssize_t got = 0;
        while ((got = ::recv(stalled, buffer, sizeof buffer, 0)) > 0)
            read += got;
        const int why = errno;
        ::close(stalled);
        QVERIFY2(got == 0, qPrintable(QString("no end of the stream: %1 after %2 of %3")
                                          .arg(strerror(why)).arg(read).arg(alice.text().size())));
        QVERIFY2(read < alice.text().size(),
                 qPrintable(QString("%1 of %2 bytes").arg(read).arg(alice.text().size())));
    }

private:
    int lockMarker(bool lock)
    {
        return as("bob").post(lock ? "/api/v1/lock" : "/api/v1/unlock",
                              {{"ref", byName(m_marker["name"])}});
    }

    QJsonObject m_marker;
};

QTEST_MAIN(TestPlatformEvents)
#include "tst_platformevents.moc"
