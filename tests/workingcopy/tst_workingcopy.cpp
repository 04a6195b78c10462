// The file database as a service of the host's thread: its snapshot follows what another
// program writes without being asked, reads never wait for a program that holds the file, and
// changes are made on another thread and land on disk as every other use writes them.

#include "workingcopytesthome.h"

#include "workingcopy/downloadfolder.h"
#include "workingcopy/workingcopy.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {
QStringList namesIn(WorkingCopy &copy)
{
    const std::unique_ptr<FileDatabase> database = copy.snapshot();
    QStringList names;
    for (const QString &path : database->paths())
        names.append(database->entryValue(path, "name"));
    return names;
}
} // namespace

class TestWorkingCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        useTestHome(m_home.path());
    }

    // Another program writes; the snapshot has it by the time the service says so, read on
    // its job (the service does not read it again when asked).
    void snapshotFollowsAnotherProgram()
    {
        WorkingCopy copy("north");
        QTRY_VERIFY(copy.isRead());
        QCOMPARE(namesIn(copy), QStringList());
        QSignalSpy changed(&copy, &WorkingCopy::changed);
        QCOMPARE(QProcess::execute(FILEDB_WRITER, {"north", "bob", "3"}), 0);
        QTRY_VERIFY(!changed.isEmpty());
        // Three writes may come as one notice or as several; the last read has all three.
        QTRY_COMPARE(attributeOnDisk("north", "name").size(), 3);
        QTRY_COMPARE(namesIn(copy), QStringList({"bob-0", "bob-1", "bob-2"}));
    }

    // While another program holds the file, an up-to-date snapshot is read at once.
    void readsDoNotWaitForAHolder()
    {
        QCOMPARE(recordDownloads("south", "alice", 2), QString());
        WorkingCopy copy("south");
        QTRY_VERIFY(copy.isRead());
        QProcess holder;
        holder.start(FILEDB_WRITER, {"south", "--hold"});
        QVERIFY(holder.waitForReadyRead(10000));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(namesIn(copy), QStringList({"alice-0", "alice-1"}));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
    }

    // A change runs on another thread, lands on disk in the database's own format, and the
    // snapshot has it.
    void changesAreMadeOffThisThread()
    {
        QCOMPARE(recordDownloads("east", "carol", 2), QString());
        WorkingCopy copy("east");
        QTRY_VERIFY(copy.isRead());
        QThread *changedOn = nullptr;
        QSignalSpy changed(&copy, &WorkingCopy::changed);
        copy.change([&changedOn](FileDatabase &database) {
            changedOn = QThread::currentThread();
            database.removeFilesNamed("carol-0");
        });
        QTRY_VERIFY(!changed.isEmpty());
        QVERIFY(changedOn && changedOn != QThread::currentThread());
        QCOMPARE(attributeOnDisk("east", "name"), QStringList({"carol-1"}));
        QCOMPARE(namesIn(copy), QStringList({"carol-1"}));
        FileDatabaseDocument written;
        const QByteArray bytes = readAll(FileDatabase::locationFor("east"));
        QVERIFY(written.parse(bytes, nullptr));
        QCOMPARE(written.serialize(), bytes);
    }

    // What a download of a program that no longer runs left beside the local copies goes;
    // what a running program is downloading, and anything else in the folder, stays.
    void leftoversOfStoppedDownloadsGo()
    {
        const QString folder = m_home.filePath("projects");
        QVERIFY(QDir().mkpath(folder));
        FileDatabase database("west");
        database.recordExchange(folder + "/deck.dwg", QString(), "deck",
                                "2024/01/01@00:00:00:GMT", "ACAD Drawing");
        QVERIFY(database.save());
        // An id above the highest the system gives out belongs to no running process.
        const QString deadId = QString::number(
            readAll("/proc/sys/kernel/pid_max").trimmed().toLongLong() + 1);
        const QStringList made = {".aurex-download-" + deadId + "-abc123",
                                  ".aurex-download-" + QString::number(QCoreApplication::applicationPid())
                                      + "-def456",
                                  "drawings"};
        for (const QString &name : made)
            QVERIFY(QDir(folder).mkpath(name + "/sub"));
        QCOMPARE(removeDownloadLeftovers("west"), 1);
        QCOMPARE(QDir(folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({made.at(1), made.at(2)}));
    }

private:
    QTemporaryDir m_home;

};

QTEST_MAIN(TestWorkingCopy)
#include "tst_workingcopy.moc"
