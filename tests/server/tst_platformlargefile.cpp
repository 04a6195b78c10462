// The largest file a check-in takes, 2 GiB - 1 bytes, checked in and downloaded through the
// connector on SQLite and on PostgreSQL, with the platform's and the connector's memory watched.
// Long: labelled "large", left out of scripts/test unless AUREX_LARGE_TESTS=1. The size can be
// lowered with AUREX_LARGE_FILE_BYTES. The file is sparse, so making it costs nothing.

#include "../fzconnector/connectortestsupport.h"
#include "postgrescluster.h"

#include <QtTest>

using namespace connectortest;

namespace {

const qint64 kMiB = 1024 * 1024;

qint64 fileSize()
{
    bool ok = false;
    const qint64 chosen = qEnvironmentVariable("AUREX_LARGE_FILE_BYTES").toLongLong(&ok);
    return ok && chosen > 0 ? chosen : 2147483647;
}

// The most memory this process has held since the last reset (the kernel's high-water mark);
// with reset, it is reset first. 0 when unknown.
qint64 peakMemory(bool reset = false)
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (reset && (!refs.open(QIODevice::WriteOnly) || refs.write("5") != 1))
        return 0;
    refs.close();
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QRegularExpression peak(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    return peak.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong() * 1024;
}

} // namespace

class TestPlatformLargeFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        QVERIFY(peakMemory() > 0);
        m_file = m_dir.filePath("terrain.dwg");
        QFile sparse(m_file);
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(fileSize()));
        sparse.close();
        m_sha256 = sha256Of(m_file);
    }

    void largestFileBothWays_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }

    void largestFileBothWays()
    {
        QFETCH(bool, postgres);
        std::unique_ptr<PostgresCluster> cluster;
        PlatformProcess::Options options;
        options.demo = true;
        options.serveArguments = QStringList{"--max-upload", QString::number(fileSize() + kMiB)};
        QString error;
        if (postgres) {
            if (!PostgresCluster::unavailableReason().isEmpty())
                QSKIP(qPrintable(PostgresCluster::unavailableReason()));
            cluster = std::make_unique<PostgresCluster>();
            QVERIFY2(cluster->start(&error), qPrintable(error));
            options.databaseUrl = cluster->databaseUrl();
        }
        PlatformProcess platform(options);
        QVERIFY2(platform.start(&error), qPrintable(error));
        QVERIFY(signIn(platform, "alice"));
        const Record terrain = newFileRecord(m_file, "Common Space");
        const QString back = m_dir.filePath("back");
        QVERIFY(QDir().mkpath(back));
        QFile::remove(back + "/terrain.dwg");

        bool downloaded = false;
        QElapsedTimer timer;
        const qint64 before = peakMemory(true);
        const qint64 growth = platform.memoryGrowthDuring([&] {
            timer.start();
            if (!connector()->CheckIn(terrain.get()) || connector()->GetTransactionListSize() != 1)
                return;
            FzFileInfo stored(*connector()->GetTransactionFileAt(0));
            stored.SetProperty("_LOCALDOWNLOADFOLDER", back.toStdString());
            downloaded = connector()->Download_Block(std::vector<FzFileInfo *>{&stored}).empty();
        });
        const qint64 ownGrowth = peakMemory() - before;
        qInfo("%lld bytes both ways in %lld ms; memory growth: platform %lld MiB, "
              "connector %lld MiB", fileSize(), timer.elapsed(), growth / kMiB, ownGrowth / kMiB);
        QVERIFY(downloaded);
        QCOMPARE(sha256Of(back + "/terrain.dwg"), m_sha256);
        QVERIFY2(growth < 64 * kMiB, qPrintable(QString::number(growth / kMiB) + " MiB"));
        QVERIFY2(ownGrowth < 32 * kMiB, qPrintable(QString::number(ownGrowth / kMiB) + " MiB"));
    }

private:
    QTemporaryDir m_dir;
    QString m_file;
    QByteArray m_sha256;
};

QTEST_GUILESS_MAIN(TestPlatformLargeFile)
#include "tst_platformlargefile.moc"
