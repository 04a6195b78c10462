// The download job against a platform that drops the connection, hangs (and times out) or is
// cancelled, and a disk too small: a download that does not complete leaves the download folder
// and the file database exactly as they were.

#include "docpicture.h"
#include "open/downloadthread.h"
#include "support/transferprogressdialog.h"

#include "connector/recordfields.h"
#include "workingcopy/downloadfolder.h"
#include "workingcopy/filedatabase.h"

#include <dxftesthelpers.h>
#include <platformdouble.h>
#include <testhome.h>

#include <fzfileinfo.h>
#include <oddbhostappservices.h>

#include <QPushButton>
#include <QtTest>

class TestDownloadThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        // A platform that goes silent is given up after a second.
        qputenv("AUREX_PLATFORM_SILENCE_SECONDS", "1");
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->filePath("download");
        QVERIFY(QDir().mkpath(m_folder));
        QFile::remove(FileDatabase::locationFor(QString()));
        m_platform = std::make_unique<PlatformDouble>();
        m_platform->addObject("deck.dwg", QByteArray(3000, 'D'));
        m_platform->addObject("site.png", QByteArray(2500, 'P'));
        m_platform->addObject("notes.pdf", QByteArray(1500, 'N'));
        // An older copy of deck.dwg is here already, recorded when it came from the platform.
        QVERIFY(DxfTest::writeBytes(m_folder + "/deck.dwg", "an older deck"));
        FileDatabase database{QString()};
        database.recordExchange(m_folder + "/deck.dwg", "AX000001", "AX000001",
                                "2026-11-01T08:00:00Z", "ACAD Drawing");
        QVERIFY(database.save());
    }

    void stoppedDownloadLeavesFolderAndDatabaseAsBefore_data()
    {
        QTest::addColumn<qint64>("failAtByte");
        QTest::addColumn<qint64>("hangAtByte");
        QTest::addColumn<int>("error"); // of a hang: the user's Cancel or no progress for a while
        // The files go in list order: deck.dwg (3000 bytes), site.png (2500), notes.pdf (1500).
        const int dropped = AurexJob::WorkError;
        QTest::newRow("dropped inside the last file") << qint64(6200) << qint64(-1) << dropped;
        QTest::newRow("cancelled inside the last file")
            << qint64(-1) << qint64(6500) << int(AurexJob::KilledError);
        QTest::newRow("timed out before the first byte")
            << qint64(-1) << qint64(0) << int(AurexJob::TimedOutError);
    }

    void stoppedDownloadLeavesFolderAndDatabaseAsBefore()
    {
        QFETCH(qint64, failAtByte);
        QFETCH(qint64, hangAtByte);
        QFETCH(int, error);
        const QMap<QString, QByteArray> folderBefore = DxfTest::folderContents(m_folder);
        const QByteArray databaseBefore = DxfTest::readBytes(FileDatabase::locationFor(QString()));
        QVERIFY(!databaseBefore.isEmpty());

        m_platform->failAtByte(failAtByte);
        m_platform->hangAtByte(hangAtByte);
        std::unique_ptr<DownloadThread> job = makeJob();
        QSignalSpy reported(job.get(), &DownloadThread::downloadReported);
        job->Download();
        if (error == AurexJob::KilledError) {
            // The user presses Cancel while the transfer stands at that byte.
            auto *box = TransferProgressDialog::showFor(nullptr, job.get());
            QTRY_VERIFY_WITH_TIMEOUT(m_platform->isHanging(), 10000);
            saveDocPicture(box, "download-progress.png");
            QTest::mouseClick(box->findChild<QPushButton *>("CancelTransferButton"),
                              Qt::LeftButton);
            // At once, while the platform still hangs.
            QCOMPARE(job->error(), int(AurexJob::KilledError));
        }
        finish(job.get());

        QCOMPARE(job->error(), error);
        QCOMPARE(reported.count(), 1);
        const DownloadReport report = job->report();
        QVERIFY(report.failed);
        QCOMPARE(report.cancelled, error == AurexJob::KilledError);
        QCOMPARE(DxfTest::folderContents(m_folder), folderBefore);
        QCOMPARE(DxfTest::readBytes(FileDatabase::locationFor(QString())), databaseBefore);
    }

    void tooLittleSpaceIsSaidBeforeAnythingComes()
    {
        const QMap<QString, QByteArray> folderBefore = DxfTest::folderContents(m_folder);
        // No disk has room for a petabyte.
        std::unique_ptr<DownloadThread> job = makeJob(qint64(1) << 50);
        job->Download();
        finish(job.get());
        QVERIFY(job->report().failed);
        QCOMPARE(job->report().details.size(), 1);
        const QString message = job->report().details.first();
        // A petabyte and the other two files' 4000 bytes, in whole megabytes rounded up.
        QVERIFY2(message.startsWith("Not enough space in " + m_folder + ": 1073741825 MB needed, "),
                 qPrintable(message));
        QVERIFY(message.endsWith(" MB free."));
        QCOMPARE(m_platform->bytesSent(), qint64(0));
        QCOMPARE(DxfTest::folderContents(m_folder), folderBefore);
    }

private:
    // A job over the three platform files, prepared as the open dialog prepares them;
    // claimedSize, when given, is the size the first record says it has.
    std::unique_ptr<DownloadThread> makeJob(qint64 claimedSize = -1)
    {
        RecordList records;
        for (const char *title : {"deck.dwg", "site.png", "notes.pdf"})
            records.add(m_platform->recordOf(title));
        if (claimedSize >= 0)
            setRecordProperty(*records.at(0), "_size", QString::number(claimedSize));
        prepareDownload(FileDatabase{QString()}, m_folder, records.records());
        auto job = std::make_unique<DownloadThread>(m_platform.get(), &m_services, nullptr);
        // A PDF on top: nothing to repair, so only the transfer and the records count.
        job->setDownload(std::move(records), m_folder + "/notes.pdf", QString());
        return job;
    }

    // Runs the job until its work has ended.
    void finish(DownloadThread *job)
    {
        QSignalSpy ended(job, &DownloadThread::DownloadFinished);
        if (job->isRunning())
            QVERIFY(ended.wait(10000));
        QVERIFY(job->waitForWork(10000));
    }

    TestHome m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PlatformDouble> m_platform;
    OdDbHostAppServices m_services;
    QString m_folder;
};

QTEST_MAIN(TestDownloadThread)
#include "tst_downloadthread.moc"
