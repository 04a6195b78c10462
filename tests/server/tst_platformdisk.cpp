// The platform whose disk fills up: the check-in that does not fit is refused as what it is
// and stores nothing, files can still be deleted, new contents wait until the room is given
// back to the disk, then check-ins are taken again (without a restart), and free space below
// the warning level is logged and shown in the metrics. The data folder is a small memory file
// system of its own (mounting one needs the administrator; the test is skipped without).

#include "platformtestcase.h"

#include <csignal>

#include <sys/mount.h>

namespace {
const qint64 kMiB = 1024 * 1024;
const qint64 kDiskBytes = 24 * kMiB;
} // namespace

class TestPlatformDisk : public PlatformTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        std::signal(SIGPIPE, SIG_IGN); // the platform closes a refused upload's connection
        PlatformProcess::Options options;
        options.demo = true;
        options.keepLog = true;
        options.serveArguments = QStringList{"--low-space", QString::number(12 * kMiB),
                                             "--space-reserve", QString::number(6 * kMiB)};
        m_platform = std::make_unique<PlatformProcess>(options);
        const QString data = m_platform->dataDir();
        QVERIFY(QDir().mkpath(data));
        const QByteArray size = "size=" + QByteArray::number(kDiskBytes);
        if (::mount("tmpfs", QFile::encodeName(data).constData(), "tmpfs", 0, size.constData())
            != 0)
            QSKIP("a memory file system cannot be mounted here (needs the administrator)");
        m_mounted = data;
        QString error;
        QVERIFY2(m_platform->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        if (m_platform)
            m_platform->stop();
        if (!m_mounted.isEmpty())
            ::umount2(QFile::encodeName(m_mounted).constData(), MNT_DETACH);
        m_platform.reset();
    }

    void fullDiskRefusesSaysWhyAndRecoversOnceSpaceIsFreed()
    {
        SignedIn alice(m_platform->serverHost(), "alice");
        const QStringList counts{"SELECT COUNT(*) FROM objects", "SELECT COUNT(*) FROM contents"};

        // Distinct 3 MiB files until one does not fit.
        QStringList stored;
        QJsonObject refused;
        QList<int> before;
        int status = 200;
        for (int i = 0; i < 12 && status == 200; ++i) {
            before = m_platform->countsOf(counts);
            const QString title = QString("survey-%1.dxf").arg(i);
            status = alice.checkIn({record(title, alice.autoname(), "Common Space")},
                                   {randomBytes(3 * kMiB)}, &refused);
            if (status == 200)
                stored << title;
        }
        QCOMPARE(status, 507);
        QVERIFY2(refused.value("error").toString().startsWith("No space left on device"),
                 qPrintable(refused.value("error").toString()));
        QVERIFY(m_platform->log().contains("No space left on device"));
        QVERIFY2(stored.size() >= 2, qPrintable(stored.join(' ')));
        // Nothing of the refused check-in is kept.
        QCOMPARE(m_platform->countsOf(counts), before);

        // The user deletes the files and the administrator empties the trash, with the disk
        // as full as it was (the platform gave back its reserve to make this possible).
        QJsonArray refs;
        for (const QString &title : stored)
            refs.append(byName(alice.find(title).value("name")));
        QCOMPARE(alice.post("/api/v1/delete", {{"refs", refs}}), 200);
        QVERIFY(purgeTrash(*m_platform));

        // The room of the reserve is not for new contents: a check-in, even a small one, is
        // refused as long as the disk has too little free to make the reserve again (the
        // database keeps the deleted contents' room until the administrator compacts it).
        const QJsonObject small = record("survey-again.dxf", alice.autoname(), "Common Space");
        refused = QJsonObject();
        QCOMPARE(alice.checkIn({small}, {randomBytes(64 * 1024)}, &refused), 507);
        QVERIFY2(refused.value("error").toString().startsWith("No space left on device"),
                 qPrintable(refused.value("error").toString()));
        QCOMPARE(diskMetrics().value("aurex_data_low_space"), 1.0);

        // Compacting gives the room back: the platform keeps its reserve again, the metrics
        // say so, and check-ins are taken, by the platform as it runs.
        const PlatformProcess::Result compacted = m_platform->run({"compact"});
        // Sizes in MiB with one decimal: before, with the purged contents' room, and after,
        // what the database's files hold now.
        const QRegularExpressionMatch sizes =
            QRegularExpression("^compacted: the database took (\\d+\\.\\d) MiB and takes "
                               "(\\d+\\.\\d) MiB\n$")
                .match(QString::fromUtf8(compacted.out));
        QVERIFY2(compacted.exitCode == 0 && sizes.hasMatch(), compacted.out + compacted.err);
        const double files = (QFileInfo(m_mounted + "/platform.sqlite").size()
                              + QFileInfo(m_mounted + "/platform.sqlite-wal").size())
                             / double(kMiB);
        QVERIFY2(qAbs(sizes.captured(2).toDouble() - files) < 0.1
                     && sizes.captured(1).toDouble() > sizes.captured(2).toDouble() + 1,
                 qPrintable(QString::number(files) + " MiB on disk; " + compacted.out));
        const QMap<QString, double> after = diskMetrics();
        QCOMPARE(after.value("aurex_data_low_space"), 0.0);
        QVERIFY(after.value("aurex_data_free_bytes") > 12 * kMiB);
        QVERIFY(after.value("aurex_data_free_bytes") < kDiskBytes);
        QCOMPARE(QFileInfo(m_mounted + "/space-reserve").size(), 6 * kMiB);
        QCOMPARE(alice.checkIn({small}, {randomBytes(3 * kMiB)}), 200);
        const QByteArray log = m_platform->log();
        QVERIFY(log.contains("free space low: ") && log.contains("free space back above"));
    }

private:
    // The disk's figures in the platform's metrics.
    QMap<QString, double> diskMetrics() const
    {
        PlatformClient watcher(m_platform->serverHost());
        const httplib::Result answer = watcher.http().Get("/metrics");
        QMap<QString, double> figures;
        if (!answer || answer->status != 200)
            return figures;
        for (const QString &line : QString::fromStdString(answer->body).split('\n')) {
            if (line.startsWith("aurex_data_"))
                figures.insert(line.section(' ', 0, 0), line.section(' ', 1).toDouble());
        }
        return figures;
    }

    QString m_mounted;
};

QTEST_GUILESS_MAIN(TestPlatformDisk)
#include "tst_platformdisk.moc"
