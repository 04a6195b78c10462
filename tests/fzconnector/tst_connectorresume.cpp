// Transfers through a link that drops every connection half-way: a 200 MB download and a
// 200 MB check-in each finish by themselves, and the bytes sent after the drop are the half
// that had not arrived, not the whole file again; a download stopped leaves nothing.

#include "connectortestsupport.h"
#include "linkproxy.h"

#include <QtTest>

#include <csignal>
#include <vector>

#include <sys/resource.h>

using namespace connectortest;

namespace {

const qint64 kMiB = 1024 * 1024;
const qint64 kFileBytes = 200 * kMiB;

} // namespace

class TestConnectorResume : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        QString error;
        m_platform = PlatformProcess::startDemo(&error, {"--max-upload",
                                                         QString::number(kFileBytes + kMiB)});
        QVERIFY2(m_platform, qPrintable(error));
        m_link = std::make_unique<LinkProxy>(quint16(m_platform->port()));
        QVERIFY(m_link->port() != 0);
        const QString viaLink = QStringLiteral("http://127.0.0.1:%1").arg(m_link->port());
        connector()->SetServer(viaLink);
        QVERIFY(connector()->LxGatepassLogin("alice", "alice-demo-pw", viaLink, QString(), "/cas"));
    }

    void cleanup()
    {
        m_link->cutOnceAt(LinkProxy::ToServer, -1);
        m_link->cutOnceAt(LinkProxy::ToClient, -1);
    }

    void droppedTransferGoesOn_data()
    {
        QTest::addColumn<bool>("download");
        QTest::newRow("check-in") << false;
        QTest::newRow("download") << true;
    }

    void droppedTransferGoesOn()
    {
        QFETCH(bool, download);
        const QString title = QString(download ? "quarry-down.dwg" : "quarry-up.dwg");
        Observed observed;
        const LinkProxy::Way way = download ? LinkProxy::ToClient : LinkProxy::ToServer;
        QString original;
        if (download) {
            original = checkInLargeFile(title);
            QVERIFY(!original.isEmpty());
            observed.bytes = 0;
        }
        const qint64 before = m_link->bytes(way);
        m_link->cutOnceAt(way, before + kFileBytes / 2);
        const QString back = m_dir.filePath(QStringLiteral("back"));
        if (download) {
            QVERIFY(QDir().mkpath(back));
            const Record stored = find(title);
            QVERIFY(stored);
            QCOMPARE(downloadInto(stored.get(), back), std::vector<std::string>());
            QCOMPARE(sha256Of(back + QLatin1Char('/') + title), sha256Of(original));
            // Only the file itself is in the folder.
            QCOMPARE(filesIn(back), QStringList{title});
        } else {
            QVERIFY(!checkInLargeFile(title).isEmpty());
        }
        QVERIFY(m_link->hasCut());
        // The half before the cut went once, the other half after it: the file, the few bytes
        // the platform had not stored yet when the connection dropped, and requests and answers.
        const qint64 slack = kFileBytes / 50;
        const qint64 carried = m_link->bytes(way) - before;
        QVERIFY2(carried >= kFileBytes && carried < kFileBytes + slack,
                 qPrintable(QString::number(carried)));
        // Progress counts each byte that arrived once.
        QCOMPARE(observed.bytes.load(), kFileBytes);
    }

    void stoppedDownloadLeavesNothing_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("reason");
        QTest::newRow("cancelled") << true << "cancelled";
        // The system refuses to let the file grow past a third of it, as a full disk would.
        QTest::newRow("write refused") << false << "File too large";
    }

    void stoppedDownloadLeavesNothing()
    {
        QFETCH(bool, cancelled);
        QFETCH(QString, reason);
        const QString title = QStringLiteral("quarry-%1.dwg").arg(QTest::currentDataTag()[0]);
        QVERIFY(!checkInLargeFile(title).isEmpty());
        const QString folder = m_dir.filePath(QStringLiteral("stopped"));
        QVERIFY(QDir().mkpath(folder));
        const Record stored = find(title);
        QVERIFY(stored);
        Observed observed;
        rlimit before{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
        if (cancelled) {
            observed.cancelAt = kFileBytes / 3;
        } else {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit third = before;
            third.rlim_cur = rlim_t(kFileBytes / 3);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &third), 0);
        }
        const std::vector<std::string> failures = downloadInto(stored.get(), folder);
        setrlimit(RLIMIT_FSIZE, &before);
        QCOMPARE(failures.size(), size_t(1));
        // The file and the reason, as the system gave it.
        const QString failure = QString::fromStdString(failures.front());
        QVERIFY2(failure.startsWith(title + ": ") && failure.contains(reason), qPrintable(failure));
        QVERIFY(observed.bytes < kFileBytes / 2);
        QCOMPARE(filesIn(folder), QStringList());
    }

private:
    QString checkInLargeFile(const QString &title)
    {
        const QString path = m_dir.filePath(title);
        QFile file(path);
        // Bytes that never repeat, so that no chunk is sent once for several places, and a
        // piece sent twice or out of place changes the checksum.
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        // Each title its own bytes, so that one file's chunks are not another's.
        quint64 state = 0x9e3779b97f4a7c15ULL ^ qHash(title);
        std::vector<quint64> block(kMiB / sizeof(quint64));
        for (qint64 at = 0; at < kFileBytes; at += kMiB) {
            for (quint64 &value : block) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                value = state;
            }
            if (file.write(reinterpret_cast<const char *>(block.data()), kMiB) != kMiB)
                return QString();
        }
        file.close();
        const Record record = newFileRecord(path, "Common Space");
        if (!connector()->CheckIn(record.get()) || connector()->GetTransactionListSize() != 1)
            return QString();
        return path;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<PlatformProcess> m_platform;
    std::unique_ptr<LinkProxy> m_link;
};

QTEST_GUILESS_MAIN(TestConnectorResume)
#include "tst_connectorresume.moc"
