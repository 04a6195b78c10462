#include "workingcopytesthome.h"

#include "workingcopy/localfilestatus.h"

#include <QtTest>

#include <thread>

namespace {

const char kTenant[] = "acme";
const char kStamp[] = "2024/01/01@00:00:00:GMT";
const int kUsesEach = 200;

} // namespace

class TestFileDatabaseConcurrency : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        useTestHome(m_home->path());
    }

    void nestedUseKeepsEveryChange()
    {
        FileDatabase outer(kTenant);
        outer.addFile("/projects/outer.dwg", "", "outer", kStamp, "", "ACAD Drawing", "false");
        // A nested use on the same thread sees the outer use's changes and does not wait for it.
        QCOMPARE(localFileStatus(kTenant, "/projects/outer.dwg", kStamp), LocalFileStatus::Current);
        {
            FileDatabase inner(kTenant);
            inner.addFile("/projects/inner.dwg", "", "inner", kStamp, "", "ACAD Drawing", "false");
        }
        QCOMPARE(attributeOnDisk(kTenant, "name"), QStringList({"outer", "inner"}));
        outer.addFile("/projects/late.dwg", "", "late", kStamp, "", "ACAD Drawing", "false");
        QVERIFY(outer.save());
        QCOMPARE(attributeOnDisk(kTenant, "name"), QStringList({"outer", "inner", "late"}));
    }

    // Two other processes and two threads of this one record downloads at the same time.
    void threadsAndProcessesLoseNoUpdate()
    {
        const QStringList prefixes{"left", "right", "first", "second"};
        QProcess writers[2];
        for (int i = 0; i < 2; ++i) {
            writers[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writers[i].start(FILEDB_WRITER, {kTenant, prefixes.at(i), QString::number(kUsesEach)});
        }
        QString errors[2];
        std::thread first([&] { errors[0] = recordDownloads(kTenant, "first", kUsesEach); });
        std::thread second([&] { errors[1] = recordDownloads(kTenant, "second", kUsesEach); });
        first.join();
        second.join();
        QCOMPARE(errors[0] + errors[1], QString());
        for (QProcess &writer : writers) {
            QVERIFY2(writer.waitForFinished(90000), qPrintable(writer.errorString()));
            QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
            QCOMPARE(writer.exitCode(), 0);
        }
        // Every name on disk once: none lost, none written twice.
        QStringList names = attributeOnDisk(kTenant, "name");
        names.sort();
        QStringList expected;
        for (const QString &prefix : prefixes) {
            for (int i = 0; i < kUsesEach; ++i)
                expected.append(QStringLiteral("%1-%2").arg(prefix).arg(i));
        }
        expected.sort();
        QCOMPARE(names, expected);
    }

    void useGivesUpOnAFileAnotherProgramKeeps()
    {
        FileDatabase(kTenant).recordExchange("/projects/kept.dwg", QString(), "kept", kStamp,
                                             "ACAD Drawing");
        const QByteArray before = readAll(FileDatabase::locationFor(kTenant));
        QProcess holder;
        holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        holder.start(FILEDB_WRITER, {kTenant, "--hold"});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

        QElapsedTimer waited;
        waited.start();
        {
            FileDatabase database(kTenant);
            QVERIFY(waited.elapsed() < 20000);
            QVERIFY(!database.isAvailable());
            QVERIFY(database.errorString().contains("in use by another program"));
            QCOMPARE(database.updateStamp("/projects/kept.dwg"), QString("-1"));
            database.recordExchange("/projects/new.dwg", QString(), "new", kStamp, "ACAD Drawing");
            QVERIFY(!database.save());
        }
        QCOMPARE(readAll(FileDatabase::locationFor(kTenant)), before);

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(30000));
        FileDatabase database(kTenant);
        QVERIFY(database.isAvailable());
        QCOMPARE(database.updateStamp("/projects/kept.dwg"), QString(kStamp));
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

QTEST_GUILESS_MAIN(TestFileDatabaseConcurrency)
#include "tst_filedatabaseconcurrency.moc"
