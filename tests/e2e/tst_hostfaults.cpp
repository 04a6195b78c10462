// The CAD application with the module killed with SIGKILL while a drawing comes down: the real
// host against a real platform, in a home of its own.

#include "platformclient.h"
#include "platformprocess.h"
#include "testhome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

namespace {

const char kDatabase[] = "config/fzcachedir/FzxConnector/filedb.xml";
// Big enough that its download lasts long after its first bytes have landed.
const qint64 kLargeDrawingBytes = 160ll << 20;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file of the folder with its content, but for the bytes of survey.dxf while they
// arrive, under a name the user or the module would not take for the file.
QMap<QString, QByteArray> folderContents(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (!name.startsWith("survey.dxf."))
            contents.insert(name, readAll(QDir(folder).filePath(name)));
    }
    return contents;
}

// Whether the process has a file open in folder, other than the files named known, that
// holds part of the large drawing.
bool writesIntoFolder(qint64 pid, const QString &folder, const QStringList &known)
{
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : descriptors.entryList(QDir::Files | QDir::System)) {
        const QFileInfo link(descriptors.filePath(fd));
        const QString target = link.symLinkTarget();
        if (!target.startsWith(folder + '/') || known.contains(QFileInfo(target).fileName()))
            continue;
        // The size of the open file, even when it has no name yet.
        const qint64 size = link.size();
        if (size > 0 && size < kLargeDrawingBytes)
            return true;
    }
    return false;
}

// The lines that search the platform for a title and open the only result.
QStringList openFromPlatform(const QString &title)
{
    return {"_AurexOpen", "_UIWAIT OpenFromCSDialogClass 30", "_UISET SearchLineEditBox " + title,
            "_UICLICK searchButton", "_UIWAIT ViewWidget[0] 30", "_UISELECT listWidget 0",
            "_UICLICK openButton"};
}

} // namespace

class TestHostFaults : public QObject
{
    Q_OBJECT

private slots:
    void hostKilledDuringADownloadLeavesFilesAndDatabaseAsTheyWere();

private:
    // Starts the host in the home with the script's lines, signed in by the launcher's cookie.
    void startHost(QProcess *lintra, const QStringList &lines);

    PlatformProcess m_platform{PlatformProcess::Options{true, {}, {}}};
    TestHome m_home;
};

void TestHostFaults::startHost(QProcess *lintra, const QStringList &lines)
{
    QVERIFY(m_platform.writeLauncherFiles("alice", m_home.environment()));
    QVERIFY(m_home.write("step.scr", lines.join('\n').toUtf8()));
    lintra->setProcessEnvironment(m_home.environment());
    lintra->setWorkingDirectory(m_home.path());
    lintra->start(LINTRA_BIN, {"--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                               "--script", "step.scr", "--exit"});
    QVERIFY(lintra->waitForStarted());
}

void TestHostFaults::hostKilledDuringADownloadLeavesFilesAndDatabaseAsTheyWere()
{
    QString error;
    QVERIFY2(m_platform.start(&error), qPrintable(error));
    PlatformClient client(m_platform.serverHost());
    QCOMPARE(client.signIn("alice", "alice-demo-pw"), 200);
    QJsonObject stored;
    QCOMPARE(client.checkInGenerated("survey.dxf", "Common Space", kLargeDrawingBytes, &stored),
             200);

    // A working copy first, so that there is a file database and files to keep.
    QProcess first;
    startHost(&first, openFromPlatform("bridge") << "_UIWAIT moreActionPushButton[7] 90");
    QVERIFY(first.waitForFinished(180000));
    QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
    const QString folder = m_home.filePath("Documents");
    const QByteArray database = readAll(m_home.filePath(kDatabase));
    QCOMPARE(database.count("<file "), 7);
    const QMap<QString, QByteArray> before = folderContents(folder);

    QProcess lintra;
    startHost(&lintra, openFromPlatform("survey") << "_UIWAIT NeverShown 120");
    // Kill the host as soon as the download has written some of the bytes, whatever name (or
    // none) the file has while they arrive.
    QElapsedTimer clock;
    clock.start();
    bool killed = false;
    while (!killed && lintra.state() == QProcess::Running && clock.elapsed() < 120000) {
        if (writesIntoFolder(lintra.processId(), folder, before.keys())) {
            lintra.kill();
            killed = true;
        }
        QTest::qWait(2);
    }
    QVERIFY2(killed, "the download was never seen under way");
    QVERIFY(lintra.waitForFinished(10000));

    // No survey.dxf among the files, which are the ones there before, unchanged.
    const QMap<QString, QByteArray> after = folderContents(folder);
    QCOMPARE(after.keys(), before.keys());
    QVERIFY(after == before);
    QCOMPARE(readAll(m_home.filePath(kDatabase)), database);
}

QTEST_GUILESS_MAIN(TestHostFaults)
#include "tst_hostfaults.moc"
