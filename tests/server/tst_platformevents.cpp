// The platform's event stream as its subscribers read it: what a colleague does to a file of a
// space they share arrives in order with who, what and why; nothing of a space they are not a
// member of ever does (a membership removed counts from then on); a subscriber that comes back
// gets what it missed, and one that names an event the platform never gave is told to refresh.

#include "eventreader.h"
#include "platformclient.h"
#include "platformprocess.h"

#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QJsonObject fileRecord(const QString &title, const QString &name, const QString &space)
{
    return {{"parent", -1}, {"title", title}, {"name", name}, {"collabspace", space}};
}

// A socket that asked for the event stream of the session with token and reads nothing of it,
// with a small receive buffer and a receive timeout of 5 s; -1 when it cannot be opened.
int stalledStream(int port, const std::string &token)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    const timeval patience{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    // Closed after the answer: the end of the stream is the end of the connection.
    const std::string request = "GET /api/v1/events HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                "Accept: text/event-stream\r\nConnection: close\r\n"
                                "Authorization: Bearer "
        + token + "\r\n\r\n";
    if (::send(fd, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

class TestPlatformEvents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        m_platform = PlatformProcess::startDemo(&error);
        QVERIFY2(m_platform, qPrintable(error));
        m_bob = std::make_unique<PlatformClient>(m_platform->serverHost());
        QVERIFY(m_bob->signIn("bob", "bob-demo-pw") == 200);
        m_marker = fileRecord("marker.dwg", m_bob->autoname(), "Common Space");
        QCOMPARE(m_bob->checkIn({m_marker}, {"marker"}), 200);
    }

    // What bob does to a Bridge Project file reaches alice, a member, in order; carol, who is
    // not, gets only what bob does in the space they share.
    void membersSeeEveryChangeAndOthersNone()
    {
        EventReader alice(m_platform->serverHost(), "alice");
        EventReader carol(m_platform->serverHost(), "carol");
        QVERIFY(alice.isSignedIn() && carol.isSignedIn());
        QTRY_VERIFY(alice.isOpen() && carol.isOpen());

        const QJsonObject span = fileRecord("span.dwg", m_bob->autoname(), "Bridge Project");
        QCOMPARE(m_bob->checkIn({span}, {"first"}, nullptr, "first draft"), 200);
        QCOMPARE(m_bob->post("/api/v1/lock", {{"ref", QJsonObject{{"name", span["name"]}}}}), 200);
        QCOMPARE(m_bob->checkIn({span}, {"second"}, nullptr, "moved the piers"), 200);
        QCOMPARE(m_bob->post("/api/v1/unlock", {{"ref", QJsonObject{{"name", span["name"]}}}}), 200);
        const QString phid = m_bob->find("span.dwg")["phid"].toString();
        QCOMPARE(m_bob->post("/api/v1/objects/" + phid + "/versions/1/restore", QJsonObject()), 200);
        QCOMPARE(m_bob->post("/api/v1/delete", {{"refs", QJsonArray{QJsonObject{{"phid", phid}}}}}), 200);
        QCOMPARE(m_bob->post("/api/v1/lock", {{"ref", QJsonObject{{"name", m_marker["name"]}}}}), 200);
        QCOMPARE(m_bob->post("/api/v1/unlock", {{"ref", QJsonObject{{"name", m_marker["name"]}}}}), 200);

        const QStringList marker{"lock marker.dwg bob 1 bob", "unlock marker.dwg bob 1"};
        QTRY_COMPARE(alice.events(), QStringList({"checkin span.dwg bob 1  first draft",
                                                  "lock span.dwg bob 1 bob",
                                                  // A check-in that does not ask to keep the lock releases it.
                                                  "checkin span.dwg bob 2  moved the piers",
                                                  "unlock span.dwg bob 2",
                                                  "restore span.dwg bob 3  Restored version 1",
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
            QCOMPARE(m_bob->post("/api/v1/lock", {{"ref", QJsonObject{{"name", m_marker["name"]}}}}), 200);
            QTRY_COMPARE(alice.events().size(), 1);
            seen = alice.lastId();
        }
        QVERIFY(!seen.empty());
        QCOMPARE(m_bob->post("/api/v1/unlock", {{"ref", QJsonObject{{"name", m_marker["name"]}}}}), 200);
        QCOMPARE(m_bob->checkIn({m_marker}, {"marker 2"}, nullptr, "while you were away"), 200);

        EventReader back(m_platform->serverHost(), "alice", seen);
        EventReader forged(m_platform->serverHost(), "alice",
                           std::to_string(std::stoll(seen) + 1000));
        EventReader garbage(m_platform->serverHost(), "alice", "seven");
        EventReader fresh(m_platform->serverHost(), "alice");
        QTRY_COMPARE(back.events(), QStringList({"unlock marker.dwg bob 1",
                                                 "checkin marker.dwg bob 2  while you were away"}));
        QTRY_COMPARE(forged.events(), QStringList{"resync"});
        QTRY_COMPARE(garbage.events(), QStringList{"resync"});
        QTRY_VERIFY(fresh.isOpen());
        QCOMPARE(m_bob->post("/api/v1/lock", {{"ref", QJsonObject{{"name", m_marker["name"]}}}}), 200);
        QCOMPARE(m_bob->post("/api/v1/unlock", {{"ref", QJsonObject{{"name", m_marker["name"]}}}}), 200);
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
        const QJsonObject pier = fileRecord("pier.dwg", m_bob->autoname(), "Bridge Project");
        QCOMPARE(m_bob->checkIn({pier}, {"pier"}, nullptr, "secret"), 200);
        QCOMPARE(m_bob->post("/api/v1/lock", {{"ref", QJsonObject{{"name", m_marker["name"]}}}}), 200);
        QTRY_COMPARE(alice.events(), QStringList{"lock marker.dwg bob 2 bob"});
        QCOMPARE(m_bob->post("/api/v1/unlock", {{"ref", QJsonObject{{"name", m_marker["name"]}}}}), 200);
    }

    // A stream whose session ends (signed out, expired) ends at its next comment line; coming
    // back is then refused. Other users' streams go on.
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
        const int stalled = stalledStream(m_platform->port(), m_bob->token());
        QVERIFY(stalled >= 0);
        EventReader alice(m_platform->serverHost(), "alice");
        QTRY_VERIFY(alice.isOpen());

        // Each file's event carries the check-in's comment: rounds of 100 files with long
        // comments make megabytes of events, more than the socket buffers hold.
        QJsonArray files;
        for (int i = 0; i < 100; ++i) {
            QJsonObject file = fileRecord(QString("bulk-%1.dwg").arg(i), m_bob->autoname(),
                                          "Common Space");
            if (i > 0) {
                file["parent"] = 0;
                file["_RelationToParent"] = "CADSubcomponent";
            }
            files.append(file);
        }
        const int rounds = 15;
        for (int round = 1; round <= rounds; ++round) {
            QList<QByteArray> contents;
            for (int i = 0; i < files.size(); ++i)
                contents << QByteArray::number(round * 1000 + i);
            QCOMPARE(m_bob->checkIn(files, contents, nullptr, QString(2000, QChar('a' + round))),
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
        QVERIFY2(got == 0, qPrintable(QString("no end of the stream: %1 after %2 of %3").arg(strerror(why)).arg(read).arg(alice.text().size())));
        QVERIFY2(read < alice.text().size(),
                 qPrintable(QString("%1 of %2 bytes").arg(read).arg(alice.text().size())));
    }

    void aStreamNeedsASession()
    {
        PlatformClient nobody(m_platform->serverHost());
        QCOMPARE(nobody.http().Get("/api/v1/events")->status, 401);
    }

private:
    std::unique_ptr<PlatformProcess> m_platform;
    std::unique_ptr<PlatformClient> m_bob;
    QJsonObject m_marker;
};

QTEST_MAIN(TestPlatformEvents)
#include "tst_platformevents.moc"
