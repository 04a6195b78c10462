// A platform killed with SIGKILL while a large check-in is on its way in, or while its bytes go
// into the database, keeps either the whole object or nothing of it: after a restart its spool
// folder is empty, no stored content lacks its object, and the next check-in goes through.

#include "platformclient.h"
#include "platformprocess.h"

#include <QtTest>

#include <atomic>
#include <thread>

namespace {

const char kUser[] = "kim";
const char kPassword[] = "kim-killed-pw";
const char kSpace[] = "Crash Space";
const qint64 kUploadBytes = 192ll << 20;

QJsonArray everything(PlatformClient &client)
{
    QJsonObject answer;
    if (client.post(QStringLiteral("/api/v1/search"),
                    {{"query", QJsonObject{{"_TypePattern", "*"}, {"_Pagelimit", "10000"}}}},
                    &answer)
        != 200)
        return QJsonArray();
    return answer.value("objects").toArray();
}

// A check-in of one generated file of size bytes that reports which share of its body it has
// sent and, past the share pauseAt of its contents (when below 1), stops sending until
// released, so that the platform can be killed at a known point.
class HeldUpload
{
public:
    HeldUpload(qint64 size, double pauseAt)
        : m_size(size), m_pauseAt(pauseAt < 1 ? qint64(pauseAt * size) : size)
    {
    }

    int send(PlatformClient &client)
    {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (qint64 at = 0; at < m_size; at += kPiece)
            hash.addData(piece(at));
        const QJsonObject record{{"parent", -1}, {"title", "big.dxf"}, {"name", client.autoname()},
                                 {"collabspace", kSpace}, {"offset", 0},
                                 {"size", double(m_size)},
                                 {"sha256", QString::fromLatin1(hash.result().toHex())}};
        const std::string head = "--held\r\nContent-Disposition: form-data; name=\"manifest\""
                                 "\r\n\r\n"
            + PlatformClient::text({{"records", QJsonArray{record}}})
            + "\r\n--held\r\nContent-Disposition: form-data; name=\"contents\"\r\n\r\n";
        const std::string tail = "\r\n--held--\r\n";
        const size_t body = head.size() + static_cast<size_t>(m_size) + tail.size();
        const httplib::Result result = client.http().Post(
            "/api/v1/checkin", body,
            [&](size_t offset, size_t, httplib::DataSink &sink) {
                const qint64 at = static_cast<qint64>(offset) - static_cast<qint64>(head.size());
                QByteArray bytes;
                if (at < 0) {
                    bytes = QByteArray::fromStdString(head);
                } else if (at >= m_size) {
                    bytes = QByteArray::fromStdString(tail);
                } else {
                    while (at >= m_pauseAt && !m_released)
                        QThread::msleep(5);
                    bytes = piece(at);
                }
                const bool written =
                    sink.write(bytes.constData(), static_cast<size_t>(bytes.size()));
                m_sentShare = double(offset + static_cast<size_t>(bytes.size())) / double(body);
                return written;
            },
            "multipart/form-data; boundary=held");
        return result ? result->status : 0;
    }

    double sentShare() const { return m_sentShare; }
    void release() { m_released = true; }

private:
    static constexpr qint64 kPiece = 1 << 20;

    // Piece number n is filled with its own number, so no two pieces are alike.
    QByteArray piece(qint64 at) const
    {
        QByteArray bytes(static_cast<int>(qMin(kPiece, m_size - at)),
                         static_cast<char>(at / kPiece));
        bytes.replace(0, 16, QByteArray::number(at).rightJustified(16, '0'));
        return bytes;
    }

    const qint64 m_size;
    const qint64 m_pauseAt;
    std::atomic<double> m_sentShare{0};
    std::atomic<bool> m_released{false};
};

} // namespace

class TestPlatformKilled : public QObject
{
    Q_OBJECT

private slots:
    void killedDuringCheckIn_data();
    void killedDuringCheckIn();
};

void TestPlatformKilled::killedDuringCheckIn_data()
{
    QTest::addColumn<double>("killAfter"); // share of the upload sent
    QTest::newRow("while the bytes arrive") << 0.25;
    QTest::newRow("while the bytes are stored") << 1.0;
}

void TestPlatformKilled::killedDuringCheckIn()
{
    QFETCH(double, killAfter);
    PlatformProcess platform;
    QString error;
    QVERIFY2(platform.start(&error), qPrintable(error));
    QVERIFY(platform.addUser(kUser, kPassword));
    QVERIFY(platform.addSpace(kSpace, {kUser}));
    const QString uploads = platform.dataDir() + QStringLiteral("/uploads");
    QJsonObject stored;
    PlatformClient first(platform.serverHost());
    QCOMPARE(first.signIn(kUser, kPassword), 200);
    QCOMPARE(first.checkInGenerated("kept.dxf", kSpace, 1024, &stored), 200);

    std::atomic<int> status{-1};
    HeldUpload held(kUploadBytes, killAfter);
    std::thread upload([&] {
        PlatformClient client(platform.serverHost());
        status = client.signIn(kUser, kPassword) == 200 ? held.send(client) : -2;
    });
    const QDeadlineTimer deadline(60000);
    while (status == -1 && !deadline.hasExpired() && held.sentShare() < killAfter)
        QThread::msleep(1);
    const int statusAtKill = status;
    platform.kill();
    held.release();
    upload.join();
    QCOMPARE(statusAtKill, -1); // the check-in was still in flight
    QCOMPARE(status.load(), 0); // and broke off with the platform

    QVERIFY2(platform.start(&error), qPrintable(error));
    QCOMPARE(QDir(uploads).entryList(QDir::Files | QDir::Hidden), QStringList());
    // Contents stored without an object that uses them, parts without their content, and
    // chunks whose count of uses is off.
    QCOMPARE(platform.countsOf({"SELECT (SELECT COUNT(*) FROM contents WHERE sha256 NOT IN "
                                "(SELECT sha256 FROM objects)) + (SELECT COUNT(*) FROM "
                                "content_parts WHERE sha256 NOT IN (SELECT sha256 FROM "
                                "contents)) + (SELECT COUNT(*) FROM chunks k WHERE refs != "
                                "(SELECT COUNT(*) FROM content_parts p WHERE p.chunk = "
                                "k.sha256))"}),
             QList<int>{0});

    PlatformClient client(platform.serverHost());
    QCOMPARE(client.signIn(kUser, kPassword), 200);
    const QJsonArray after = everything(client);
    // The store may have committed just before the kill; then the object is whole.
    QVERIFY2(after.size() == 1 || after.size() == 2, qPrintable(QString::number(after.size())));
    for (const QJsonValue &value : after) {
        const QJsonObject object = value.toObject();
        QCOMPARE(client.downloadDigest(object.value("phid").toString()),
                 object.value("_sha256").toString());
        if (object.value("title").toString() == QLatin1String("big.dxf"))
            QCOMPARE(object.value("_size").toString().toLongLong(), kUploadBytes);
    }

    QCOMPARE(client.checkInGenerated("after.dxf", kSpace, 1 << 20, &stored), 200);
    QCOMPARE(client.downloadDigest(stored.value("phid").toString()),
             stored.value("_sha256").toString());
    QCOMPARE(everything(client).size(), after.size() + 1);
}

QTEST_GUILESS_MAIN(TestPlatformKilled)
#include "tst_platformkilled.moc"
