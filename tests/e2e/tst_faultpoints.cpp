// Every named fault point of the module and the platform, each with both of its outcomes: the
// process killed there, or the step failed there. After each, the host (and the platform, when
// it was the one stopped) starts again without faults, does what the user would do next, and the
// same things must hold every time:
// - the platform holds all of a save or none of it, and no file or version twice;
// - no file of the drawing set lies under its own name with missing bytes;
// - the task pane shows every file "Current" (the file database agrees with the folder and the
//   platform) and the outbox has nothing left to send, once the save went;
// - a save is neither lost nor stored twice.

#include "demodrawingset.h"
#include "platformprobe.h"
#include "platformprocess.h"
#include "testhome.h"

#include <QtTest>

namespace {

const QStringList kSetFiles = {"bridge.dwg", "deck.dwg", "deck-photo.png", "rebar.dxf",
                               "piers.dxf", "logo.png", "load-table.pdf"};
// The pane of a fresh copy of the set: its rows' last "More Action" button (rebar.dxf stands
// twice).
const int kLastRow = 7;

} // namespace

class TestFaultPoints : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void whileOpening_data();
    void whileOpening();
    void whileSaving_data();
    void whileSaving();
    void whileSendingTheOutbox_data();
    void whileSendingTheOutbox();

private:
    enum class Party { Host, Platform };
    struct Run
    {
        QString output; // standard output and error, merged
        bool crashed = false;
        int exitCode = -1;
    };

    // Rows of points ("NAME" or "NAME@N" for its N-th time), each killed and failed.
    static void addColumns()
    {
        QTest::addColumn<QString>("point");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("party");
    }
    static void addRows(const QStringList &points, Party party)
    {
        for (const QString &point : points) {
            for (const char *outcome : {"kill", "fail"})
                QTest::addRow("%s=%s", qPrintable(point), outcome)
                    << point << QString(outcome) << int(party);
        }
    }

    // Runs the host in the home with the script; faults: the value of AUREX_FAULT_POINTS for it.
    Run runHost(const TestHome &home, const QStringList &script, const QString &faults = {})
    {
        Run run;
        if (!home.write("step.scr", script.join('\n').toUtf8())
            || !m_platform.writeLauncherFiles("alice", home.environment()))
            return run;
        QProcess lintra;
        QProcessEnvironment environment = home.environment();
        environment.remove("AUREX_FAULT_POINTS");
        if (!faults.isEmpty())
            environment.insert("AUREX_FAULT_POINTS", faults);
        lintra.setProcessEnvironment(environment);
        lintra.setProcessChannelMode(QProcess::MergedChannels);
        lintra.setWorkingDirectory(home.path());
        lintra.start(LINTRA_BIN, {"--module-dir", QFileInfo(AUREX_MODULE_FILE).absolutePath(),
                                  "--script", "step.scr", "--exit"});
        // A platform killed at its fault point leaves the host waiting: it is stopped too.
        QDeadlineTimer deadline(180000);
        while (!lintra.waitForFinished(100) && !deadline.hasExpired()) {
            if (m_platformStopped && m_platform.waitForEnd(0) && !lintra.waitForFinished(2000))
                lintra.kill();
        }
        if (lintra.state() != QProcess::NotRunning) {
            lintra.kill();
            lintra.waitForFinished();
        }
        run.output = QString::fromUtf8(lintra.readAll());
        run.crashed = lintra.exitStatus() == QProcess::CrashExit;
        run.exitCode = run.crashed ? -1 : lintra.exitCode();
        // How it ended, for the reader of a failure.
        run.output += run.crashed ? QStringLiteral("\n[the host crashed]")
                                  : QStringLiteral("\n[the host exited with %1]").arg(run.exitCode);
        return run;
    }
    // A run that must succeed.
    bool runClean(const TestHome &home, const QStringList &script)
    {
        const Run run = runHost(home, script);
        if (run.exitCode != 0)
            qWarning().noquote() << run.output;
        return run.exitCode == 0;
    }
    // A home with alice's working copy of the drawing set, opened from the platform.
    bool openedCopy(const TestHome &home)
    {
        return runClean(home, DemoDrawingSet::searchAndOpenLines("bridge")
                                  << QString("_UIWAIT moreActionPushButton[%1] 90").arg(kLastRow));
    }
    // The fault's run: the script, then a wait that a killed host never ends, and that a
    // failed step ends as soon as its reason is shown to the user, or the line that says the
    // step went well (succeeded) once the module found its way around the failure.
    Run faultedRun(const TestHome &home, QStringList script, const QString &point,
                   const QString &outcome, Party party, const QString &succeeded)
    {
        const QString faults = point.section('@', 0, 0) + '=' + outcome
                               + (point.contains('@') ? '@' + point.section('@', 1) : QString());
        if (party == Party::Platform) {
            qputenv("AUREX_FAULT_POINTS", faults.toUtf8());
            const bool restarted = m_platform.restart();
            qunsetenv("AUREX_FAULT_POINTS");
            if (!restarted)
                return Run();
            m_platformStopped = outcome == "kill";
        }
        script << (outcome == "kill" ? QString("_UIWAIT NeverShown 120")
                                     : QString("_UIWAITTEXT \"at fault point|%1\" 60")
                                           .arg(succeeded));
        Run run = runHost(home, script, party == Party::Host ? faults : QString());
        if (party == Party::Platform) {
            run.output += QString::fromUtf8(m_platform.log());
            m_platformStopped = false;
            m_platform.restart();
        }
        return run;
    }
    // Whether the fault happened as asked: announced, and a killed host did not end by itself.
    // The run's whole output goes to the log when not: a failure message would be cut short.
    static bool happened(const Run &run, const QString &point, const QString &outcome,
                         Party party)
    {
        const bool announced = run.output.contains(
            QString("fault point %1: %2").arg(point.section('@', 0, 0), outcome));
        const bool held = announced
            && (party == Party::Platform || outcome == "fail" || run.crashed);
        if (!held)
            qWarning().noquote() << run.output;
        return held;
    }
    // Every file of the set present in the folder is whole: a picture or PDF has the platform's
    // bytes (or the user's: changed, a digest of changed), a drawing (whose reference paths the
    // download repairs) ends with its end marker.
    void expectNoPartialFile(const QString &folder, const PlatformProbe &probe,
                             const QString &changed = QString())
    {
        for (const QString &file : kSetFiles) {
            const QString path = QDir(folder).filePath(file);
            if (!QFileInfo::exists(path))
                continue;
            if (file.endsWith(".dwg") || file.endsWith(".dxf"))
                QVERIFY2(DemoDrawingSet::readAll(path).trimmed().endsWith("\nEOF"),
                         qPrintable(file));
            else if (const QString digest = DemoDrawingSet::fileDigest(path);
                     digest != changed
                     && digest != probe.objectTitled(file).value("_sha256").toString())
                QFAIL(qPrintable(file + " is not the platform's"));
        }
    }
    // What the user changes before saving: another program changes deck-photo.png, and a new
    // picture is attached to bridge.dwg, so that a changed file, a changed drawing and a new
    // file go together.
    struct Edit
    {
        QMap<QString, int> before; // the platform's revisions before the save
        QString picture;           // the new file's title
        QString photoDigest;       // deck-photo.png as changed
        QStringList attachLines;
        QMap<QString, int> saved() const
        {
            return DemoDrawingSet::oneMore(before, {"deck-photo.png", "bridge.dwg"});
        }
    };
    // Opens alice's working copy of the set in the home and makes the change; no picture when
    // that failed.
    Edit edit(const TestHome &home, const PlatformProbe &probe)
    {
        Edit edit;
        if (!openedCopy(home))
            return edit;
        edit.before = DemoDrawingSet::revisions(probe);
        const QByteArray tag = QByteArray(QTest::currentDataTag())
                                   .replace('.', '-')
                                   .replace('=', '-')
                                   .replace('@', '-');
        edit.picture = "new-" + QString::fromLatin1(tag) + ".png";
        const QString picture = home.filePath("Pictures/" + edit.picture);
        if (!QDir().mkpath(home.filePath("Pictures"))
            || !QFile::copy(QFINDTESTDATA("../../server/demo/files/harbour-aerial.png"), picture)
            || !DemoDrawingSet::changeOutsideTheHost(picture, tag)
            || !DemoDrawingSet::changeOutsideTheHost(home.filePath("Documents/deck-photo.png"),
                                                     tag))
            return Edit();
        edit.photoDigest = DemoDrawingSet::fileDigest(home.filePath("Documents/deck-photo.png"));
        edit.attachLines = QStringList{"_ATTACHIMAGE ../Pictures/" + edit.picture};
        return edit;
    }
    // The platform holds all of the save or nothing of it.
    static bool allOrNothing(const PlatformProbe &probe, const Edit &edit)
    {
        const QMap<QString, int> now = DemoDrawingSet::revisions(probe);
        const int pictures = probe.countTitled(edit.picture);
        return (now == edit.before && pictures == 0) || (now == edit.saved() && pictures == 1);
    }
    // After the next runs: the platform has each file once at the revisions expected, and the
    // pane, seen after a fresh start, shows every file current and nothing waiting.
    void expectSettled(const TestHome &home, const PlatformProbe &probe,
                       const QMap<QString, int> &expected, const QString &picture = QString())
    {
        QStringList files = kSetFiles;
        if (!picture.isEmpty())
            files << picture;
        QCOMPARE(DemoDrawingSet::revisions(probe), expected);
        QStringList counts, once;
        for (const QString &file : files) {
            counts << QString("%1: %2").arg(file).arg(probe.countTitled(file));
            once << file + ": 1";
        }
        QCOMPARE(counts, once);
        // Every row of the pane (the new picture's too) comes to say the file is current.
        const int lastRow = kLastRow + (picture.isEmpty() ? 0 : 1);
        QStringList look = DemoDrawingSet::openLines(lastRow)
                           << "_UIWAITGONE ConnectionStateLabel 90";
        for (int row = 0; row <= lastRow; ++row)
            look << QString("_UIWAITTIP ImageViewDialog[%1]/StatusLabel \"Status: Current\" 30")
                        .arg(row);
        QVERIFY(runClean(home, look));
        QCOMPARE(DemoDrawingSet::fileDigest(home.filePath("Documents/deck-photo.png")),
                 probe.objectTitled("deck-photo.png").value("_sha256").toString());
    }

    PlatformProcess m_platform{PlatformProcess::Options{true, {}, {}, true}};
    bool m_platformStopped = false; // the platform's fault point kills it
};

void TestFaultPoints::initTestCase()
{
    QString error;
    QVERIFY2(m_platform.start(&error), qPrintable(error));
}

void TestFaultPoints::whileOpening_data()
{
    addColumns();
    // The file database is written first when the module makes it, empty, as it starts in a
    // new home; the second time is the download's record.
    addRows({"download.arrived", "download.moved", "download.repaired", "download.recorded",
             "filedatabase.written@2", "filedatabase.renamed@2"},
            Party::Host);
}

void TestFaultPoints::whileOpening()
{
    QFETCH(QString, point);
    QFETCH(QString, outcome);
    const TestHome home;
    const PlatformProbe probe(m_platform, "alice", "alice-demo-pw");
    const QMap<QString, int> before = DemoDrawingSet::revisions(probe);
    const Run run = faultedRun(home, DemoDrawingSet::searchAndOpenLines("bridge"), point,
                               outcome, Party::Host, "Downloaded 7 files");
    QVERIFY2(happened(run, point, outcome, Party::Host), qPrintable(run.output));
    expectNoPartialFile(home.filePath("Documents"), probe);

    // The user opens the drawing again; the module asks what to do with the copies it knows.
    QStringList again = DemoDrawingSet::searchAndOpenLines("bridge");
    if (DemoDrawingSet::readAll(home.filePath("config/fzcachedir/FzxConnector/filedb.xml"))
            .contains("bridge.dwg"))
        again << "_UIWAIT overwriteAllLocal_label 30" << "_UICLICK overwriteAllLocal_label";
    QVERIFY(runClean(home, again << QString("_UIWAIT moreActionPushButton[%1] 90").arg(kLastRow)));
    expectSettled(home, probe, before);
}

void TestFaultPoints::whileSaving_data()
{
    addColumns();
    // The file database is written first as the dialog notes the host's save of the drawing;
    // the second time is the check-in's record.
    addRows({"checkin.sending", "checkin.committed", "checkin.recorded", "filedatabase.written@2",
             "filedatabase.renamed@2"},
            Party::Host);
}

void TestFaultPoints::whileSaving()
{
    QFETCH(QString, point);
    QFETCH(QString, outcome);
    const TestHome home;
    const PlatformProbe probe(m_platform, "alice", "alice-demo-pw");
    const Edit change = edit(home, probe);
    QVERIFY(!change.picture.isEmpty());
    const Run run = faultedRun(home,
                               DemoDrawingSet::openLines(kLastRow) + change.attachLines
                                   + DemoDrawingSet::saveAllLines().mid(0, 3),
                               point, outcome, Party::Host, "to Common Space (");
    QVERIFY2(happened(run, point, outcome, Party::Host), qPrintable(run.output));
    QVERIFY(allOrNothing(probe, change));
    expectNoPartialFile(home.filePath("Documents"), probe, change.photoDigest);

    // The user saves again (the pane lists the new picture once the platform has it).
    QVERIFY(runClean(home, DemoDrawingSet::openLines(kLastRow) + DemoDrawingSet::saveAllLines()));
    expectSettled(home, probe, change.saved(), change.picture);
}

void TestFaultPoints::whileSendingTheOutbox_data()
{
    addColumns();
    addRows({"outbox.stored", "outbox.sent", "outbox.removed"}, Party::Host);
    addRows({"platform.checkin.piece", "platform.checkin.committing", "platform.checkin.committed"},
            Party::Platform);
}

void TestFaultPoints::whileSendingTheOutbox()
{
    QFETCH(QString, point);
    QFETCH(QString, outcome);
    QFETCH(int, party);
    const TestHome home;
    const PlatformProbe probe(m_platform, "alice", "alice-demo-pw");
    const Edit change = edit(home, probe);
    QVERIFY(!change.picture.isEmpty());
    const QStringList offlineSave = DemoDrawingSet::openLines(kLastRow) << "_AurexWorkOffline"
                                    << change.attachLines << DemoDrawingSet::saveAllLines();
    const QStringList goOnline = DemoDrawingSet::openLines(kLastRow + 1) << "_AurexWorkOffline";
    Run run;
    if (point == "outbox.stored") {
        run = faultedRun(home, offlineSave.mid(0, offlineSave.size() - 1), point, outcome,
                         Party::Host,
                         // The save's own line; the pane's offline banner says "saves wait in
                         // the outbox" all along.
                         "files wait in the outbox|file waits in the outbox");
    } else {
        QVERIFY(runClean(home, offlineSave));
        run = faultedRun(home, goOnline, point, outcome, Party(party), "From the outbox:");
    }
    QVERIFY2(happened(run, point, outcome, Party(party)), qPrintable(run.output));
    QVERIFY(allOrNothing(probe, change));

    // The user starts again (online, unless the host was stopped while offline); what waits
    // is sent.
    const QStringList again =
        point == "outbox.stored" ? goOnline : DemoDrawingSet::openLines(kLastRow + 1);
    QVERIFY(runClean(home, again + QStringList{"_UIWAITGONE ConnectionStateLabel 90"}));
    expectSettled(home, probe, change.saved(), change.picture);
}

QTEST_GUILESS_MAIN(TestFaultPoints)
#include "tst_faultpoints.moc"
