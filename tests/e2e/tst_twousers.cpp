// Two users on one platform, each with the CAD application and the module in a home of their
// own: alice signs in, opens bridge.dwg from the platform, attaches a picture and saves back;
// bob sees the newer version, opens it and locks it; alice sees his lock and cannot save over
// it; bob unlocks; alice saves while working offline and, online again, keeps her version of
// the file bob changed meanwhile as a copy; bob saves rebar.dxf with a comment, and alice reads
// it in the file's history, opens the version before it and restores that; alice signs out.
// Last, bob's host is killed while a large drawing comes down, and his files and file database
// stay as they were. Every step is a run of the real host driven by a script, checked on its
// widget snapshots and on what the platform holds.
//
// With AUREX_SCENARIO_PICTURES naming a folder, the runs that end on a task pane worth showing
// also leave a picture of the host window there.

#include "demodrawingset.h"
#include "platformclient.h"
#include "platformprobe.h"
#include "platformprocess.h"
#include "testhome.h"
#include "widgetsnapshotfile.h"

#include <QtTest>

namespace {

// Script lines the steps share: bridge.dwg opened from the documents folder until its task pane
// rows have their details, and the save dialog opened and everything offered saved.
const QStringList kOpenBridge = DemoDrawingSet::openLines(8);
const QStringList kSaveAll = DemoDrawingSet::saveAllLines();

QString digestOf(const PlatformProbe &probe, const QString &title)
{
    return probe.objectTitled(title).value("_sha256").toString();
}

// Big enough that its download lasts long after its first bytes have landed.
const qint64 kLargeDrawingBytes = 160ll << 20;

// Every file of the folder with its content, but for the bytes of survey.dxf while they
// arrive, under a name the user or the module would not take for the file.
QMap<QString, QByteArray> folderContents(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (!name.startsWith("survey.dxf."))
            contents.insert(name, DemoDrawingSet::readAll(QDir(folder).filePath(name)));
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

// The save dialog's row of that file, found among the rows and their children.
QJsonObject saveRow(const QJsonArray &rows, const QString &title)
{
    for (const QJsonValue &value : rows) {
        const QJsonObject row = value.toObject();
        if (row.value("texts").toArray().at(0).toString() == title)
            return row;
        const QJsonObject below = saveRow(row.value("rows").toArray(), title);
        if (!below.isEmpty())
            return below;
    }
    return QJsonObject();
}

} // namespace

class TestTwoUsers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bobDownloadsTheDrawing();
    void aliceSignsInOpensAttachesAPictureAndSaves();
    void bobSeesTheNewerVersionOpensItAndLocksIt();
    void aliceSeesBobsLockAndHerSaveLeavesItAlone();
    void bobUnlocks();
    void unchangedFilesKeepTheirVersionsAndAnOutsideEditIsSaved();
    void aliceCannotUndoBobsNewerVersionWithHerOlderChanges();
    void alicesPaneKeepsItsStatusesWhileThePlatformIsAway();
    void aliceSavesOfflineAndKeepsHerVersionAsACopy();
    void aliceTakesBobsPdfAndOverwritesHisRebar();
    void aHostStoppedWhileSendingSendsEachSaveOnce();
    void aliceStartsOfflineWhileThePlatformIsAway();
    void aSaveOfAFileBobHoldsWaitsAndSaysWhy();
    void aliceReadsBobsCommentAndRestoresTheVersionBefore();
    void aliceSignsOutAndSeesTheWelcomePage();
    void bobsHostKilledDuringADownloadLeavesFilesAndDatabaseAsTheyWere();
    void bobCancelsAnOpenWhileARowsMenuIsUp();
    void aliceSeesBobsWorkAsItHappensAndReloads();

private:
    // A user's home, and what the host left there: widget snapshots by file name.
    struct User
    {
        QString login;
        QString password;
        TestHome home;
        QString file(const QString &relative) const { return home.filePath(relative); }
        QJsonObject widget(const QString &snapshot, const QString &name) const
        {
            return WidgetSnapshotFile(file(snapshot)).find(name);
        }
        QString text(const QString &snapshot, const QString &name) const
        {
            return widget(snapshot, name).value("text").toString();
        }
        bool shows(const QString &snapshot, const QString &name) const
        {
            return widget(snapshot, name).value("visible").toBool();
        }
        QMap<QString, QString> pane(const QString &snapshot) const
        {
            return DemoDrawingSet::paneRows(widget(snapshot, "ActiveTreeViewWidget"));
        }
        // The number of the file's first row in the pane.
        int paneRow(const QString &snapshot, const QString &file) const
        {
            return DemoDrawingSet::paneNames(widget(snapshot, "ActiveTreeViewWidget"))
                .indexOf(file);
        }
        QString status(const QString &snapshot, const QString &file) const
        {
            return pane(snapshot).value(file).section(" | ", 0, 0);
        }
    };

    PlatformProbe probe(const User &user) const
    {
        return PlatformProbe(m_platform, user.login, user.password);
    }
    // Starts the host for the user from the user's home, signed in by the launcher's cookie
    // unless signedOut.
    void startHost(QProcess *lintra, const User &user, const QStringList &arguments,
                   bool signedOut = false)
    {
        QVERIFY(m_platform.writeLauncherFiles(user.login, user.home.environment()));
        if (signedOut) {
            // Started without a session, as the launcher does for a user not signed in yet.
            const QString params = "config/fzcachedir/FzxAppLauncherParams.xml";
            QString content = QString::fromUtf8(DemoDrawingSet::readAll(user.file(params)));
            QVERIFY(content.contains("CasCookie="));
            content.replace(QRegularExpression("CasCookie=\"[^\"]*\""), "CasCookie=\"\"");
            QVERIFY(user.home.write(params, content.toUtf8()));
        }
        lintra->setProcessEnvironment(user.home.environment());
        // Paths in the scripts are relative to the home, so the command line shows no temporary
        // folder.
        lintra->setWorkingDirectory(user.home.path());
        lintra->start(LINTRA_BIN, QStringList{"--module-dir",
                                              QFileInfo(AUREX_MODULE_FILE).absolutePath()}
                                      + arguments);
    }
    // Runs the host with the script's lines, given in parts; fails the test when the host
    // reports a failure. whileRunning, when given, runs in the test while the host runs.
    // With AUREX_SCENARIO_PICTURES naming a folder, the picture of the host window as the
    // script ends and the pictures the script took in the home go there.
    void runHost(const User &user, std::initializer_list<QStringList> script,
                 const QString &picture = QString(), bool signedOut = false,
                 const std::function<void()> &whileRunning = {})
    {
        QProcess lintra;
        QStringList arguments = {"--script", "step.scr", "--exit"};
        const QString pictures = qEnvironmentVariable("AUREX_SCENARIO_PICTURES");
        if (!picture.isEmpty() && !pictures.isEmpty())
            arguments << "--screenshot" << QDir(pictures).absoluteFilePath(picture);
        QStringList lines;
        for (const QStringList &part : script)
            lines += part;
        QVERIFY(user.home.write("step.scr", lines.join('\n').toUtf8()));
        startHost(&lintra, user, arguments, signedOut);
        if (whileRunning)
            whileRunning();
        QVERIFY(lintra.waitForFinished(180000));
        m_commandLine = QString::fromUtf8(lintra.readAllStandardError()).split('\n');
        const bool succeeded =
            lintra.exitStatus() == QProcess::NormalExit && lintra.exitCode() == 0;
        if (!succeeded)
            qWarning().noquote() << m_commandLine.join('\n');
        QVERIFY(succeeded);
        if (pictures.isEmpty())
            return;
        for (const QString &line : lines.filter(QRegularExpression("^_UIPICTURE "))) {
            const QString taken = line.section(' ', 1);
            QFile::remove(QDir(pictures).absoluteFilePath(taken));
            QVERIFY(QFile::copy(user.file(taken), QDir(pictures).absoluteFilePath(taken)));
        }
    }
    // The lines that search the platform for a drawing and open it into the documents folder,
    // choosing "overwrite all" when copies are already there.
    static QStringList openFromPlatform(const QString &title, int rows, bool present = false)
    {
        QStringList lines = DemoDrawingSet::searchAndOpenLines(title);
        if (present)
            lines << "_UIWAIT overwriteAllLocal_label 30" << "_UICLICK overwriteAllLocal_label";
        // Each row of the task pane gets its "More Action" button once its details are shown.
        lines << QString("_UIWAIT moreActionPushButton[%1] 90").arg(rows - 1);
        return lines;
    }
    // Whether the last run of the host wrote that line on its command line.
    void expectSaid(const QString &line) const
    {
        QVERIFY2(m_commandLine.contains(line), qPrintable(m_commandLine.join('\n')));
    }
    // Waits, up to two minutes, for a script of alice's to write the file in her home.
    bool waitForAlice(const QString &file) const
    {
        QDeadlineTimer deadline(120000);
        while (!QFileInfo::exists(m_alice.file(file)) && !deadline.hasExpired())
            QThread::msleep(50);
        return QFileInfo::exists(m_alice.file(file));
    }

    PlatformProcess m_platform{PlatformProcess::Options{true, {}, {}}};
    User m_alice{"alice", "alice-demo-pw", {}};
    User m_bob{"bob", "bob-demo-pw", {}};
    QString m_savedStamp; // bridge.dwg's platform stamp after alice's save
    QStringList m_commandLine; // what the last run of the host wrote on its command line
};

void TestTwoUsers::initTestCase()
{
    QVERIFY(m_alice.home.isValid() && m_bob.home.isValid());
    QString error;
    QVERIFY2(m_platform.start(&error), qPrintable(error));
    // The picture alice attaches, beside her documents folder.
    QVERIFY(QDir().mkpath(m_alice.file("Pictures")));
    QVERIFY(QFile::copy(QFINDTESTDATA("../../server/demo/files/harbour-aerial.png"),
                        m_alice.file("Pictures/site-photo.png")));
}

void TestTwoUsers::bobDownloadsTheDrawing()
{
    runHost(m_bob, {openFromPlatform("bridge", 8), {"_UISNAPSHOT bob-opened.json"}});
    QVERIFY(QFileInfo::exists(m_bob.file("Documents/bridge.dwg")));
    // bridge.dwg, deck.dwg, piers.dxf, rebar.dxf (referenced twice), deck-photo.png, logo.png
    // and load-table.pdf.
    expectSaid("Downloaded 7 files into " + QDir::toNativeSeparators(m_bob.file("Documents"))
               + ".");
    QCOMPARE(m_bob.status("bob-opened.json", "bridge.dwg"), QString("Status: Current"));
}

void TestTwoUsers::aliceSignsInOpensAttachesAPictureAndSaves()
{
    const PlatformProbe probe(m_platform, m_alice.login, m_alice.password);
    QVERIFY(probe.isSignedIn());
    const QString before = probe.objectTitled("bridge.dwg").value("_filemodified").toString();
    QVERIFY(!before.isEmpty());

    runHost(
        m_alice,
        {{"_UISNAPSHOT alice-started.json", "_UITRIGGER ID_AUREX_LOGINOUT",
          "_UIWAIT CSLoginDialog 20", "_UISET UserLineEdit alice",
          "_UISET PasswordLineEdit " + m_alice.password, "_UISNAPSHOT alice-dialog.json",
          "_UICLICK LoginPushButton", "_UIWAITGONE CSLoginDialog 30"},
         openFromPlatform("bridge", 8),
         {"_ATTACHIMAGE ../Pictures/site-photo.png", "_AurexSave", "_UIWAIT SaveToCSDialog 60",
          "_UISNAPSHOT alice-save.json", "_UICLICK SavePushButton", "_UIWAITGONE SaveToCSDialog 90",
          "_UIWAIT moreActionPushButton[8] 90", "_UISNAPSHOT alice-saved.json"}},
        "alice-saved.png", true);

    // Signed out at start: the pane showed the welcome page, not the lists.
    QCOMPARE(m_alice.text("alice-started.json", "ID_AUREX_LOGINOUT"),
             QString("Sign In to AUREX Platform"));
    QVERIFY(!m_alice.shows("alice-started.json", "splitterWidget"));
    QCOMPARE(m_alice.widget("alice-dialog.json", "CSLoginDialog").value("title").toString(),
             QString("Log in to AUREX"));
    QCOMPARE(m_alice.text("alice-dialog.json", "UserLineEdit"), QString("alice"));
    // The password typed into the dialog reaches neither the snapshot nor the output.
    QVERIFY(!DemoDrawingSet::readAll(m_alice.file("alice-dialog.json"))
                 .contains(m_alice.password.toUtf8()));
    QVERIFY(!m_commandLine.join('\n').contains(m_alice.password));
    QCOMPARE(m_alice.text("alice-saved.json", "ID_AUREX_LOGINOUT"),
             QString("Sign Out of AUREX Platform"));

    // deck.dwg, locked by bob and unchanged here, was left out by itself, without an error;
    // the rest was saved: the picture, new, and bridge.dwg, which now references it.
    QVERIFY(!m_alice.shows("alice-save.json", "error_label"));
    // A script reads why: the row says whose lock it is and what is done with it.
    const QJsonArray rows = m_alice.widget("alice-save.json", "SaveDialogTreeView")
                                .value("rows").toArray();
    const QJsonObject deck = saveRow(rows, "deck.dwg");
    const QJsonObject photo = saveRow(rows, "site-photo.png");
    QCOMPARE(photo.value("background").toString(), QString("#ffffffff"));
    QCOMPARE(deck.value("background").toString(), QString("#ffffffff"));
    const QStringList deckTips = deck.value("toolTips").toVariant().toStringList();
    QVERIFY2(deckTips.contains("No changes \u00b7 Locked by bob"), qPrintable(deckTips.join('|')));
    QVERIFY(deck.value("edits").toVariant().toStringList().contains("Do Not Save"));
    QVERIFY(photo.value("edits").toVariant().toStringList().contains("Save As New"));
    expectSaid("Signed in to the AUREX Platform as alice.");
    expectSaid("Saved 2 files to Common Space (1 new, 1 changed).");

    QCOMPARE(m_alice.status("alice-saved.json", "bridge.dwg"), QString("Status: Current"));
    const QJsonObject bridge = probe.objectTitled("bridge.dwg");
    m_savedStamp = bridge.value("_filemodified").toString();
    QVERIFY(m_savedStamp != before);
    QCOMPARE(bridge.value("_ModifiedBy").toString(), QString("alice"));
    QCOMPARE(probe.objectTitled("site-photo.png").value("_Owner").toString(), QString("alice"));
    // What was left out stayed as it was, still bob's.
    QCOMPARE(probe.lockedBy("deck.dwg"), QString("bob"));
}

void TestTwoUsers::bobSeesTheNewerVersionOpensItAndLocksIt()
{
    QVERIFY(!m_savedStamp.isEmpty());
    runHost(m_bob,
            {{"_OPEN Documents/bridge.dwg", "_UIWAIT moreActionPushButton[7] 90",
              "_UISNAPSHOT bob-outdated.json"}},
            "bob-outdated.png");
    QCOMPARE(m_bob.status("bob-outdated.json", "bridge.dwg"),
             QString("Status: Collaborative space has newer file"));
    QVERIFY(!m_bob.pane("bob-outdated.json").contains("site-photo.png"));

    runHost(m_bob,
            {openFromPlatform("bridge", 9, true),
             {"_UITRIGGER moreActionPushButton[0]/LockMenu",
              "_UIWAIT ImageViewDialog[0]/LockButton 30", "_UIWAIT moreActionPushButton[8] 30",
              "_UISNAPSHOT bob-locked.json"}},
            "bob-locked.png");
    QVERIFY(QFileInfo::exists(m_bob.file("Documents/site-photo.png")));
    QCOMPARE(m_bob.status("bob-locked.json", "bridge.dwg"), QString("Status: Current"));
    QCOMPARE(m_bob.status("bob-locked.json", "site-photo.png"), QString("Status: Current"));
    QCOMPARE(probe(m_bob).lockedBy("bridge.dwg"), QString("bob"));
    expectSaid("Locked bridge.dwg.");
}

void TestTwoUsers::aliceSeesBobsLockAndHerSaveLeavesItAlone()
{
    runHost(m_alice,
            {kOpenBridge,
             {"_UISNAPSHOT alice-pane.json", "_AurexSave", "_UIWAIT SaveToCSDialog 60",
              "_UISNAPSHOT alice-locked-rows.json", "_UICLICK SavePushButton",
              "_UIWAITGONE SaveToCSDialog 60"}},
            "alice-sees-lock.png");

    const QString row = m_alice.pane("alice-pane.json").value("bridge.dwg");
    QVERIFY2(row.section(" | ", 1).startsWith("File is locked by bob"), qPrintable(row));
    // She changed nothing that bob holds: bridge.dwg and deck.dwg are left as they are, the
    // dialog has no error, and the save finds nothing to send.
    QVERIFY(!m_alice.shows("alice-locked-rows.json", "error_label"));
    const QJsonArray rows = m_alice.widget("alice-locked-rows.json", "SaveDialogTreeView")
                                .value("rows").toArray();
    for (const char *held : {"bridge.dwg", "deck.dwg"}) {
        QVERIFY2(saveRow(rows, held).value("edits").toVariant().toStringList()
                     .contains("Do Not Save"),
                 held);
    }
    QVERIFY(saveRow(rows, "piers.dxf").value("edits").toVariant().toStringList()
                .contains("No changes"));
    expectSaid("Nothing to save: the AUREX Platform has every file as it is here.");
    const QJsonObject bridge = probe(m_alice).objectTitled("bridge.dwg");
    QCOMPARE(bridge.value("_filemodified").toString(), m_savedStamp);
    QCOMPARE(bridge.value("_LockedBy").toString(), QString("bob"));
}

void TestTwoUsers::bobUnlocks()
{
    runHost(m_bob, {kOpenBridge, {"_UITRIGGER moreActionPushButton[0]/LockMenu",
                                  "_UIWAITGONE ImageViewDialog[0]/LockButton 30"}});
    QCOMPARE(probe(m_bob).lockedBy("bridge.dwg"), QString());
}

void TestTwoUsers::unchangedFilesKeepTheirVersionsAndAnOutsideEditIsSaved()
{
    const PlatformProbe probe(m_platform, m_bob.login, m_bob.password);
    const QMap<QString, int> before = DemoDrawingSet::revisions(probe);
    QVERIFY(before.value("bridge.dwg") > 1);
    const QStringList waitForRows = {"_UIWAIT moreActionPushButton[8] 90"};

    // Opened again (the download repairs the stored paths) and saved at once: nothing new.
    runHost(m_bob, {openFromPlatform("bridge", 9, true), kSaveAll, waitForRows});
    QCOMPARE(DemoDrawingSet::revisions(probe), before);

    // Another program changes piers.dxf (a comment at its start): the pane says so, and a
    // save gives that one file a new revision.
    QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_bob.file("Documents/piers.dxf"),
                                                 "changed elsewhere"));
    runHost(m_bob, {kOpenBridge, {"_UISNAPSHOT bob-edited.json"}, kSaveAll, waitForRows});
    QCOMPARE(m_bob.status("bob-edited.json", "piers.dxf"),
             QString("Status: Changes not saved to collaborative space"));
    QCOMPARE(m_bob.status("bob-edited.json", "deck.dwg"), QString("Status: Current"));
    QCOMPARE(DemoDrawingSet::revisions(probe), DemoDrawingSet::oneMore(before, {"piers.dxf"}));
}

void TestTwoUsers::aliceCannotUndoBobsNewerVersionWithHerOlderChanges()
{
    const PlatformProbe probe(m_platform, m_alice.login, m_alice.password);
    const QString bobsPiers = digestOf(probe, "piers.dxf");
    // alice changes her copy of piers.dxf, made from the version before bob's.
    QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_alice.file("Documents/piers.dxf"),
                                                 "alice's change"));

    runHost(m_alice,
            {kOpenBridge, {"_AurexSave", "_UIWAIT SaveToCSDialog 60"},
             {"_UISNAPSHOT alice-lost-update.json", "_UICLICK SavePushButton",
              "_UISNAPSHOT alice-still-open.json"}},
            "alice-lost-update.png");

    // The row was red as the dialog opened, the line under the rows says whose version it is,
    // and Save did not send anything over it.
    const QString line = m_alice.text("alice-lost-update.json", "error_label");
    QVERIFY2(line.contains("piers.dxf: bob saved a newer version"), qPrintable(line));
    QVERIFY(m_alice.shows("alice-still-open.json", "SaveToCSDialog"));
    QCOMPARE(digestOf(probe, "piers.dxf"), bobsPiers);
}

void TestTwoUsers::alicesPaneKeepsItsStatusesWhileThePlatformIsAway()
{
    // The host waits on its own while the test stops the platform; the pane's event stream
    // drops, the pane asks for fresh statuses by itself and says that the platform is away;
    // the test then starts the platform again, and the pane finds it by itself.
    // The picture is taken in the home, so its command line names no folder of this machine.
    bool stopped = false;
    bool restarted = false;
    runHost(m_alice,
            {kOpenBridge,
             {"_UISNAPSHOT alice-present.json", "_UIWAIT ConnectionStateLabel 60",
              // Rows that a retry lists again meanwhile are read once they show what is known.
              "_UIWAIT moreActionPushButton[8] 60", "_UIWAITTEXT \"Locked by bob\" 60",
              "_UISNAPSHOT alice-away.json",
              "_UIPICTURE alice-platform-away.png",
              // She takes the offer to work offline until the platform is back.
              "_UICLICK WorkOfflineButton", "_UIWAITTEXT \"Working offline\" 10",
              "_UIWAITGONE ConnectionStateLabel 60", "_UISNAPSHOT alice-back.json"}},
            QString(), false,
            [&] {
                stopped = waitForAlice("alice-present.json");
                m_platform.stop();
                restarted = waitForAlice("alice-away.json") && m_platform.restart();
            });
    QVERIFY(stopped);
    QVERIFY(restarted);

    const QString line = m_alice.text("alice-away.json", "ConnectionStateLabel");
    QVERIFY2(line.startsWith("The AUREX Platform cannot be reached: ")
                 && line.contains(". Statuses as of "),
             qPrintable(line));
    // Every status and lock as last known, none turned "newer" for want of an answer.
    QCOMPARE(m_alice.pane("alice-away.json"), m_alice.pane("alice-present.json"));
    QVERIFY(!m_alice.shows("alice-back.json", "ConnectionStateLabel"));
    expectSaid("The AUREX Platform answers again: working online.");
}

void TestTwoUsers::aliceSavesOfflineAndKeepsHerVersionAsACopy()
{
    // alice's piers.dxf still holds her change on the version before bob's; offline she also
    // changes rebar.dxf and saves both. The host ends with the save in the outbox.
    const PlatformProbe probe(m_platform, m_alice.login, m_alice.password);
    const QString bobsPiers = digestOf(probe, "piers.dxf");
    const QMap<QString, int> before = DemoDrawingSet::revisions(probe);
    QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_alice.file("Documents/rebar.dxf"),
                                                 "alice, offline"));
    runHost(m_alice,
            {kOpenBridge, {"_AurexWorkOffline", "_UIWAIT moreActionPushButton[8] 90"}, kSaveAll,
             {"_UIWAITTEXT \"Waiting to upload\" 60", "_UIWAIT moreActionPushButton[8] 90",
              "_UISNAPSHOT alice-offline.json", "_UIPICTURE alice-offline.png"},
             // Offline, the open dialog finds the copies this computer has.
             DemoDrawingSet::searchAndOpenLines("deck"),
             {"_UIWAITGONE OpenFromCSDialogClass 30", "_UISNAPSHOT alice-offline-open.json"}});
    expectSaid("Working offline: 2 files wait in the outbox until you go online.");
    QVERIFY(m_alice.text("alice-offline.json", "ConnectionStateLabel")
                .startsWith("Working offline"));
    const QMap<QString, QString> waiting = m_alice.pane("alice-offline.json");
    QCOMPARE(waiting.value("rebar.dxf"), QString("Status: Waiting to upload"));
    QCOMPARE(waiting.value("piers.dxf"), QString("Status: Waiting to upload"));
    QCOMPARE(waiting.value("logo.png"), QString("Status: Current"));
    QCOMPARE(DemoDrawingSet::revisions(probe), before);
    QCOMPARE(m_alice.widget("alice-offline-open.json", "DocumentTabs").value("tabs").toVariant()
                 .toStringList(),
             QStringList({"bridge.dwg", "deck.dwg"}));

    // A new run starts offline, as the last one ended. Online again, the save goes; the
    // platform refuses piers.dxf, which bob changed meanwhile, and alice keeps hers as a copy.
    runHost(m_alice,
            {kOpenBridge,
             {"_UISNAPSHOT alice-restarted.json", "_AurexWorkOffline",
              // Asked first, she decides later; a refresh asks again.
              "_UIWAIT ConflictDialog 90", "_UICLICK laterButton",
              "_UIWAITTEXT \"A save waits in the outbox\" 30", "_UICLICK refreshButton",
              "_UIWAIT ConflictDialog 90", "_UISNAPSHOT alice-conflict.json",
              "_UIPICTURE alice-conflict.png", "_UICLICK resolveButton",
              "_UIWAITGONE ConflictDialog 30", "_UIWAITGONE ConnectionStateLabel 90",
              "_UIWAIT moreActionPushButton[8] 90"}});
    QVERIFY(m_alice.text("alice-restarted.json", "ConnectionStateLabel")
                .startsWith("Working offline"));
    QCOMPARE(m_alice.text("alice-conflict.json", "conflictChoice0"),
             QString("Keep mine as a copy"));
    expectSaid("From the outbox: Saved 2 files to Common Space (1 new, 1 changed).");
    QCOMPARE(digestOf(probe, "piers.dxf"), bobsPiers);
    const QString copy = QString("piers (alice's copy %1).dxf")
                             .arg(QDate::currentDate().toString("yyyy-MM-dd"));
    QCOMPARE(probe.objectTitled(copy).value("_Owner").toString(), QString("alice"));
    QCOMPARE(DemoDrawingSet::revisions(probe), DemoDrawingSet::oneMore(before, {"rebar.dxf"}));
    // Online now, and nothing left in the outbox: every outbox empty, no mark of offline work.
    QDirIterator files(m_alice.file("config/fzcachedir/FzxConnector"), {"outbox.json", "offline"},
                       QDir::Files, QDirIterator::Subdirectories);
    QStringList outboxes;
    while (files.hasNext())
        outboxes << files.next();
    QVERIFY2(!outboxes.isEmpty() && outboxes.filter(QRegularExpression("/offline$")).isEmpty(),
             qPrintable(outboxes.join('\n')));
    for (const QString &outbox : outboxes)
        QCOMPARE(QJsonDocument::fromJson(DemoDrawingSet::readAll(outbox))
                     .object()
                     .value("entries")
                     .toArray(),
                 QJsonArray());
}

void TestTwoUsers::aliceTakesBobsPdfAndOverwritesHisRebar()
{
    // bob brings his copy up to date, then changes rebar.dxf and load-table.pdf and saves.
    const PlatformProbe probe(m_platform, m_bob.login, m_bob.password);
    runHost(m_bob, {openFromPlatform("bridge", 9, true)});
    QVERIFY(
        DemoDrawingSet::changeOutsideTheHost(m_bob.file("Documents/rebar.dxf"), "bob's change"));
    QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_bob.file("Documents/load-table.pdf"),
                                                 "bob's change"));
    runHost(m_bob, {kOpenBridge, kSaveAll});
    const QString bobsPdf = digestOf(probe, "load-table.pdf");
    const QMap<QString, int> before = DemoDrawingSet::revisions(probe);

    // alice, offline, changed the same two files.
    QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_alice.file("Documents/rebar.dxf"),
                                                 "alice's change"));
    QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_alice.file("Documents/load-table.pdf"),
                                                 "alice's change"));
    const QByteArray alicesPdf = DemoDrawingSet::readAll(m_alice.file("Documents/load-table.pdf"));
    runHost(m_alice,
            {kOpenBridge, {"_AurexWorkOffline"}, kSaveAll,
             {"_UIWAITTEXT \"Waiting to upload\" 60", "_AurexWorkOffline",
              "_UIWAIT ConflictDialog 90", "_UISET conflictChoice0 \"Overwrite theirs\"",
              "_UISET conflictChoice1 \"Take theirs\"", "_UICLICK resolveButton",
              "_UIWAITGONE ConflictDialog 30", "_UIWAITGONE ConnectionStateLabel 90"}});

    // rebar.dxf: hers is the current version now. load-table.pdf: bob's stays, and alice has
    // it, with hers kept beside it.
    QCOMPARE(digestOf(probe, "rebar.dxf"),
             DemoDrawingSet::fileDigest(m_alice.file("Documents/rebar.dxf")));
    QCOMPARE(DemoDrawingSet::revisions(probe), DemoDrawingSet::oneMore(before, {"rebar.dxf"}));
    QCOMPARE(digestOf(probe, "load-table.pdf"), bobsPdf);
    QCOMPARE(DemoDrawingSet::fileDigest(m_alice.file("Documents/load-table.pdf")), bobsPdf);
    const QStringList kept = QDir(m_alice.file("Documents"))
                                 .entryList({"load-table (local changes *).pdf"});
    QCOMPARE(kept.size(), 1);
    QCOMPARE(DemoDrawingSet::readAll(m_alice.file("Documents/" + kept.first())), alicesPdf);
}

void TestTwoUsers::aHostStoppedWhileSendingSendsEachSaveOnce()
{
    // Each round: alice saves twice offline (deck-photo.png, then logo.png), goes online, and
    // the host is stopped at another point: as it goes online, while the first save goes
    // (a few milliseconds later, on this machine), and as the first has gone and the second
    // goes. The next run, online from its start, sends what is left.
    const PlatformProbe probe(m_platform, m_alice.login, m_alice.password);
    QVERIFY(m_alice.home.write("online.scr", "_AurexWorkOffline\n_UISLEEP 30\n"));
    const struct
    {
        QByteArray line; // the host's output line the stop waits for
        int afterMs;
    } stops[] = {{"working online", 0}, {"working online", 30}, {"working online", 36},
                 {"From the outbox", 0}};
    for (const auto &stop : stops) {
        const QMap<QString, int> before = DemoDrawingSet::revisions(probe);
        QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_alice.file("Documents/deck-photo.png"),
                                                     "first save"));
        runHost(m_alice, {kOpenBridge, {"_AurexWorkOffline"}, kSaveAll});
        QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_alice.file("Documents/logo.png"),
                                                     "second save"));
        runHost(m_alice, {kOpenBridge, kSaveAll});

        QProcess lintra;
        lintra.setProcessChannelMode(QProcess::MergedChannels);
        startHost(&lintra, m_alice, {"Documents/bridge.dwg", "--script", "online.scr", "--exit"});
        QByteArray output;
        QDeadlineTimer deadline(60000);
        while (!output.contains(stop.line) && !deadline.hasExpired()) {
            lintra.waitForReadyRead(5);
            output += lintra.readAll();
        }
        QVERIFY2(output.contains(stop.line), output.constData());
        QThread::msleep(stop.afterMs);
        lintra.kill();
        QVERIFY(lintra.waitForFinished(10000));

        // Once the rows have their details, the line under them says what waits, until it has
        // gone; a new run then shows every status once its rows are all there.
        runHost(m_alice, {kOpenBridge, {"_UIWAITGONE ConnectionStateLabel 90"}});
        runHost(m_alice, {kOpenBridge, {"_UISNAPSHOT alice-all-sent.json"}});
        QCOMPARE(DemoDrawingSet::revisions(probe),
                 DemoDrawingSet::oneMore(before, {"deck-photo.png", "logo.png"}));
        for (const QString file : {"deck-photo.png", "logo.png"}) {
            QCOMPARE(probe.countTitled(file), 1);
            QCOMPARE(m_alice.status("alice-all-sent.json", file), QString("Status: Current"));
        }
    }
}

void TestTwoUsers::aSaveOfAFileBobHoldsWaitsAndSaysWhy()
{
    // bob holds deck.dwg locked; offline, alice does not know and saves her change to it.
    const PlatformProbe probe(m_platform, m_alice.login, m_alice.password);
    QCOMPARE(probe.lockedBy("deck.dwg"), QString("bob"));
    const QString deck = digestOf(probe, "deck.dwg");
    QVERIFY(
        DemoDrawingSet::changeOutsideTheHost(m_alice.file("Documents/deck.dwg"), "alice, offline"));
    // This time from the pane's user menu, and the File menu's entry shows the check mark.
    runHost(m_alice,
            {kOpenBridge, {"_UITRIGGER workOfflineAction", "_UISNAPSHOT alice-menu-offline.json"},
             kSaveAll,
             {"_UITRIGGER workOfflineAction", "_UIWAITTEXT \"locked by bob\" 60",
              "_UISNAPSHOT alice-waits.json"}});
    QVERIFY(m_alice.widget("alice-menu-offline.json", "ID_AUREX_WORKOFFLINE").value("checked")
                .toBool());
    const QString line = m_alice.text("alice-waits.json", "ConnectionStateLabel");
    QVERIFY2(line.startsWith("A save waits in the outbox: ") && line.contains("deck.dwg"),
             qPrintable(line));
    QCOMPARE(m_alice.status("alice-waits.json", "deck.dwg"), QString("Status: Waiting to upload"));
    QCOMPARE(digestOf(probe, "deck.dwg"), deck);

    // A later run says so again, and still sends nothing over bob's lock; alice discards the
    // save, and deck.dwg stays changed here only.
    runHost(m_alice,
            {{"_OPEN Documents/bridge.dwg", "_UIWAITTEXT \"locked by bob\" 60",
              "_UITRIGGER discardOutboxAction", "_UIWAIT DiscardOutboxBox 10",
              "_UICLICK discardButton", "_UIWAITGONE ConnectionStateLabel 60",
              "_UIWAIT moreActionPushButton[8] 90", "_UISNAPSHOT alice-discarded.json"}});
    QCOMPARE(digestOf(probe, "deck.dwg"), deck);
    expectSaid("Discarded 1 save waiting to upload.");
    QCOMPARE(m_alice.status("alice-discarded.json", "deck.dwg"),
             QString("Status: Changes not saved to collaborative space"));
}

void TestTwoUsers::aliceStartsOfflineWhileThePlatformIsAway()
{
    // alice left her work offline; the platform is away when her host starts.
    const PlatformProbe probe(m_platform, m_alice.login, m_alice.password);
    const QMap<QString, int> before = DemoDrawingSet::revisions(probe);
    runHost(m_alice, {kOpenBridge, {"_AurexWorkOffline"}});
    QVERIFY(
        DemoDrawingSet::changeOutsideTheHost(m_alice.file("Documents/logo.png"), "on the train"));
    bool restarted = false;
    m_platform.stop();
    runHost(m_alice,
            {{"_OPEN Documents/bridge.dwg", "_UIWAITTEXT \"Working offline\" 60",
              "_UIWAIT moreActionPushButton[8] 90"},
             kSaveAll,
             // The pane takes its new statuses from the file database a moment after the save.
             {"_UIWAITTEXT \"Waiting to upload\" 60", "_UISNAPSHOT alice-started-offline.json",
              // The platform is back meanwhile; she goes online.
              "_UISLEEP 10", "_AurexWorkOffline", "_UIWAITGONE ConnectionStateLabel 90"}},
            QString(), false,
            [&] {
                restarted = waitForAlice("alice-started-offline.json") && m_platform.restart();
            });
    QVERIFY(restarted);
    const QString started = m_commandLine.filter("working offline as alice.").value(0);
    QVERIFY2(started.startsWith("The AUREX Platform cannot be reached ("),
             qPrintable(m_commandLine.join('\n')));
    expectSaid("Working offline: 1 file waits in the outbox until you go online.");
    QCOMPARE(m_alice.status("alice-started-offline.json", "logo.png"),
             QString("Status: Waiting to upload"));
    expectSaid("From the outbox: Saved 1 file to Common Space (0 new, 1 changed).");
    QCOMPARE(DemoDrawingSet::revisions(probe), DemoDrawingSet::oneMore(before, {"logo.png"}));
}

void TestTwoUsers::aliceReadsBobsCommentAndRestoresTheVersionBefore()
{
    // bob brings his copy up to date, changes rebar.dxf and saves it with a comment.
    const PlatformProbe probe(m_platform, m_alice.login, m_alice.password);
    const QString versionBefore = digestOf(probe, "rebar.dxf");
    const QString alicesRebar = DemoDrawingSet::fileDigest(m_alice.file("Documents/rebar.dxf"));
    runHost(m_bob, {openFromPlatform("bridge", 9, true)});
    QVERIFY(DemoDrawingSet::changeOutsideTheHost(m_bob.file("Documents/rebar.dxf"), "bob's rebar"));
    runHost(m_bob, {kOpenBridge,
                    {"_AurexSave", "_UIWAIT SaveToCSDialog 60",
                     "_UISET CheckInCommentEdit \"Thicker bars at the east pier\"",
                     "_UICLICK SavePushButton", "_UIWAITGONE SaveToCSDialog 90"}});
    const int bobs = probe.objectTitled("rebar.dxf").value("revision").toString().toInt();
    const QString before = QString::number(bobs - 1);
    QVERIFY(digestOf(probe, "rebar.dxf") != versionBefore);

    // alice opens the history from rebar.dxf's row, opens the version her copy was made from,
    // and restores it.
    runHost(m_alice, {kOpenBridge, {"_UISNAPSHOT alice-pane-rows.json"}});
    const int row = m_alice.paneRow("alice-pane-rows.json", "rebar.dxf");
    QVERIFY(row >= 0);
    runHost(m_alice,
            {kOpenBridge,
             {QString("_UITRIGGER moreActionPushButton[%1]/HistoryMenu").arg(row),
              "_UIWAIT FileHistoryDialog 30",
              "_UISNAPSHOT alice-history.json", "_UIPICTURE alice-history.png",
              "_UISELECT VersionsView 1", "_UICLICK OpenVersionButton",
              "_UIWAITTEXT \"rebar.dxf (version " + before + ")\" 60",
              "_UISNAPSHOT alice-earlier.json", "_UICLICK RestoreVersionButton",
              "_UIWAIT RestoreConfirmation 10", "_UICLICK RestoreConfirmation/RestoreButton",
              "_UIWAITTEXT \"it is version " + QString::number(bobs + 1) + " now\" 90",
              "_UISNAPSHOT alice-restored.json"}});

    // The two newest versions as the dialog listed them: bob's with his comment, and the one
    // alice's copy was made from.
    QCOMPARE(m_alice.widget("alice-history.json", "FileHistoryDialog").value("title").toString(),
             QString("History of rebar.dxf"));
    QCOMPARE(m_alice.text("alice-history.json", "MessageLabel"), QString());
    QStringList listed;
    for (const QJsonValue &row :
         m_alice.widget("alice-history.json", "VersionsView").value("rows").toArray()) {
        const QStringList texts = row.toObject().value("texts").toVariant().toStringList();
        listed << QStringList{texts.value(0), texts.value(1), texts.value(3), texts.value(5)}
                      .join('|');
    }
    const QStringList expected{QString::number(bobs) + "||bob|Thicker bars at the east pier",
                               before + "|Your copy|alice|"};
    QVERIFY2(listed.mid(0, 2) == expected, qPrintable(listed.join('\n')));
    QVERIFY(m_alice.widget("alice-earlier.json", "DocumentTabs").value("tabs").toVariant()
                .toStringList().contains("rebar.dxf (version " + before + ")"));
    // The platform's newest version has the bytes of the one before bob's; her copy, brought
    // up to it and repaired as every download is, is as it was.
    const QJsonObject restored = probe.objectTitled("rebar.dxf");
    QCOMPARE(restored.value("revision").toString(), QString::number(bobs + 1));
    QCOMPARE(restored.value("_sha256").toString(), versionBefore);
    QCOMPARE(DemoDrawingSet::fileDigest(m_alice.file("Documents/rebar.dxf")), alicesRebar);
    expectSaid("Restored version " + before + " of rebar.dxf: it is version "
               + QString::number(bobs + 1) + " now.");
}

void TestTwoUsers::aliceSignsOutAndSeesTheWelcomePage()
{
    // The platform is asked about her locks first.
    runHost(m_alice,
            {{"_UITRIGGER ID_AUREX_LOGINOUT", "_UIWAITGONE aurexWidget 30",
              "_UISNAPSHOT alice-signed-out.json"}},
            "alice-signed-out.png");
    expectSaid("Signed out of the AUREX Platform.");
    QCOMPARE(m_alice.text("alice-signed-out.json", "ID_AUREX_LOGINOUT"),
             QString("Sign In to AUREX Platform"));
    const QJsonArray children =
        m_alice.widget("alice-signed-out.json", "containerWidget").value("children").toArray();
    QVERIFY(std::any_of(children.begin(), children.end(), [](const QJsonValue &child) {
        return child.toObject().value("class") == "WebViewAurexPlatform"
            && child.toObject().value("visible").toBool();
    }));
}

void TestTwoUsers::bobsHostKilledDuringADownloadLeavesFilesAndDatabaseAsTheyWere()
{
    PlatformClient client(m_platform.serverHost());
    QCOMPARE(client.signIn(m_alice.login, m_alice.password), 200);
    QJsonObject stored;
    QCOMPARE(client.checkInGenerated("survey.dxf", "Common Space", kLargeDrawingBytes, &stored),
             200);
    // bob's working copy of the drawing set and his file database, which are to be kept.
    const QString folder = m_bob.file("Documents");
    const QString databaseFile = m_bob.file("config/fzcachedir/FzxConnector/filedb.xml");
    const QByteArray database = DemoDrawingSet::readAll(databaseFile);
    const QMap<QString, QByteArray> before = folderContents(folder);
    QVERIFY(database.contains("bridge.dwg") && before.contains("bridge.dwg"));

    QProcess lintra;
    QVERIFY(
        m_bob.home.write("step.scr",
                         (DemoDrawingSet::searchAndOpenLines("survey") << "_UIWAIT NeverShown 120")
                             .join('\n')
                             .toUtf8()));
    startHost(&lintra, m_bob, {"--script", "step.scr", "--exit"});
    QVERIFY(lintra.waitForStarted());
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
    QCOMPARE(DemoDrawingSet::readAll(databaseFile), database);
}

void TestTwoUsers::bobCancelsAnOpenWhileARowsMenuIsUp()
{
    // bob opens piers.dxf, of which he has a copy: the box asks how to bring it down. Before
    // answering, he opens the "More Action" menu of a row of the pane, then presses the open
    // dialog's Cancel. The host goes on (the run ends normally) and nothing changes.
    const QString folder = m_bob.file("Documents");
    const QString databaseFile = m_bob.file("config/fzcachedir/FzxConnector/filedb.xml");
    const QByteArray database = DemoDrawingSet::readAll(databaseFile);
    const QMap<QString, QByteArray> before = folderContents(folder);
    runHost(m_bob, {DemoDrawingSet::openLines(0), DemoDrawingSet::searchAndOpenLines("piers"),
                    {"_UIWAIT OpenFromCollaborativeSpace 30", "_UICLICK moreActionPushButton[0]",
                     "_UIWAIT moreActionPushButton[0]/LockMenu 30",
                     "_UICLICK cancelButton",
                     "_UIWAITGONE OpenFromCSDialogClass 30",
                     "_UIWAITGONE OpenFromCollaborativeSpace 30"}});
    QVERIFY2(m_commandLine.filter("Downloaded").isEmpty(), qPrintable(m_commandLine.join('\n')));
    QVERIFY(folderContents(folder) == before);
    QCOMPARE(DemoDrawingSet::readAll(databaseFile), database);
}

void TestTwoUsers::aliceSeesBobsWorkAsItHappensAndReloads()
{
    // alice works on bridge.dwg with a change of her own to rebar.dxf; meanwhile bob locks
    // load-table.pdf and saves a new version of rebar.dxf. Her pane shows both without a
    // refresh, the bar offers the newer version, and Reload brings it, keeping hers aside.
    const PlatformProbe bob(m_platform, m_bob.login, m_bob.password);
    const QString rebar = m_alice.file("Documents/rebar.dxf");
    QVERIFY(DemoDrawingSet::changeOutsideTheHost(rebar, "alice, live"));
    const QByteArray bobs = DemoDrawingSet::readAll(rebar) + "999\nbob's rebar\n";
    bool bobActed = false;
    runHost(m_alice,
            {kOpenBridge,
             {"_UISNAPSHOT alice-live-before.json", "_UIWAIT NewerVersionBar 60",
              // deck.dwg, which bob holds already, reads "Changed here \u00b7 Locked by bob".
              "_UIWAITTEXT \"Current \u00b7 Locked by bob\" 30", "_UISNAPSHOT alice-live.json",
              "_UIPICTURE alice-live.png", "_UICLICK ReloadNewerButton",
              // The bar goes once the files are down and recorded.
              "_UIWAITGONE NewerVersionBar 90"}},
            QString(), false,
            [&] {
                bobActed = waitForAlice("alice-live-before.json")
                    && bob.setLocked("load-table.pdf", true)
                    && bob.saveVersion("rebar.dxf", bobs, "Rebar spacing 150");
            });
    QVERIFY(bobActed);
    const int revision = bob.objectTitled("rebar.dxf").value("revision").toString().toInt();

    // Everything else as before; the two files as bob left them.
    QMap<QString, QString> expected = m_alice.pane("alice-live-before.json");
    expected["load-table.pdf"] = m_alice.pane("alice-live-before.json")["load-table.pdf"]
                                     .section(" | ", 0, 0)
        + " | File is locked by bob";
    // rebar.dxf stays "changed here": her changes come first; the bar tells of bob's.
    QMap<QString, QString> live = m_alice.pane("alice-live.json");
    live["load-table.pdf"] = live["load-table.pdf"].section('\n', 0, 0);
    const auto lines = [](const QMap<QString, QString> &rows) {
        QStringList out;
        for (auto it = rows.cbegin(); it != rows.cend(); ++it)
            out << it.key() + " | " + it.value();
        return out;
    };
    QCOMPARE(lines(live), lines(expected));
    QCOMPARE(m_alice.text("alice-live.json", "NewerVersionLabel"),
             QString("bob saved a newer version of rebar.dxf."));
    expectSaid("bob locked load-table.pdf.");
    expectSaid(QString("bob saved rebar.dxf (version %1).").arg(revision));
    expectSaid("Reloaded with the newer version of 1 file.");
    QVERIFY2(!m_commandLine.filter(QRegularExpression("^Your changes to .*rebar\\.dxf were kept "
                                                      "in .*rebar.*\\.dxf\\.$"))
                  .isEmpty(),
             qPrintable(m_commandLine.join('\n')));
    QCOMPARE(DemoDrawingSet::readAll(rebar), bobs);
    // Opened again, rebar.dxf is bob's version, current.
    runHost(m_alice, {kOpenBridge, {"_UISNAPSHOT alice-reloaded.json"}});
    QCOMPARE(m_alice.status("alice-reloaded.json", "rebar.dxf"), QString("Status: Current"));
    QVERIFY(bob.setLocked("load-table.pdf", false));
}

QTEST_GUILESS_MAIN(TestTwoUsers)
#include "tst_twousers.moc"
