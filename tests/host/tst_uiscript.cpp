// Scripts that look at and drive what a module shows: the host started as a process with a
// module that opens a modeless and a modal dialog.

#include "testhome.h"
#include "widgetsnapshotfile.h"

#include <QImage>
#include <QtTest>

#include <csignal>

namespace {

struct Run
{
    int exitCode = -1;
    QString output;
    QString errors;
};

} // namespace

class TestUiScript : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_home.isValid()); }

    void snapshotShowsWhatCommandsChangeAlsoUnderAModalDialog()
    {
        const Run run = runScript({
            // Comments, menu actions and macros that cancel first run before the dialogs.
            "; a comment", "_UITRIGGER ID_New", "^C^C_NEW", "_new",
            // A tab's text counts as shown text.
            "_UIWAITTEXT Drawing3.dwg 5",
            "_PROBEMODELESS", "_UIWAIT ProbeModeless 5", "_UISET NameEdit \"Ada Lovelace\"",
            // The tool tip waited for here is not asked of what the next wait waits for.
            "_UIWAITTIP EchoLabel Lovelace 5",
            "_UISET SecretEdit hidden-pw-42", "_UISET AgreeCheck on", "_UISELECT ChoiceList beta",
            "_UISNAPSHOT " + m_home.filePath("modeless.json"),
            // The modal dialog's command waits in exec(); the lines below answer it.
            "_PROBEMODAL", "_UIWAIT ProbeModal 5", "_UISET ProbeModal/NameEdit Grace",
            "_UISELECT ProbeModal/ChoiceList 2", "_UISET ProbeModal/AgreeCheck off",
            "_UISNAPSHOT " + m_home.filePath("modal.json"), "_UICLICK ProbeModal/OkButton",
            "_UICLOSE ProbeModeless",
        }, { "--print-widgets", m_home.filePath("end.json"), "--language", "1036" });
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QVERIFY2(run.errors.contains("Probe dialog accepted: Grace, off, gamma"),
                 qPrintable(run.errors));

        const WidgetSnapshotFile modeless(m_home.filePath("modeless.json"));
        QVERIFY(modeless.windowNames().contains("ProbeModeless"));
        QCOMPARE(modeless.find("NameEdit").value("text").toString(), QString("Ada Lovelace"));
        // A button's text as shown, and the key that reaches it with Alt.
        const QJsonObject agree = modeless.find("AgreeCheck");
        QCOMPARE(QStringList({agree.value("text").toString(), agree.value("mnemonic").toString()}),
                 QStringList({"I agree", "a"}));
        QCOMPARE(agree.value("checked").toBool(), true);
        const QJsonValue beta = modeless.find("ChoiceList").value("rows").toArray().at(1);
        QCOMPARE(QJsonDocument(beta.toObject()).toJson(QJsonDocument::Compact),
                 QByteArray(R"({"hidden":false,"role16":"Beta title","role17":1700000001000,)"
                            R"("selected":true,"texts":["beta"],"toolTip":"second choice"})"));
        // A password typed by the script reaches neither the snapshot nor the output.
        QVERIFY(!QJsonDocument(modeless.json()).toJson().contains("hidden-pw-42"));
        QVERIFY(!run.errors.contains("hidden-pw-42"));
        // The dialog heard the changes the way it hears a user.
        QCOMPARE(modeless.find("EchoLabel").value("text").toString(),
                 QString("Ada Lovelace, on, beta"));
        // A module reaches the host's services: the language it was started with.
        QCOMPARE(modeless.find("LanguageLabel").value("text").toString(), QString("1036"));

        const WidgetSnapshotFile modal(m_home.filePath("modal.json"));
        const QJsonObject modalWindow = modal.find("ProbeModal");
        QVERIFY(modalWindow.value("modal").toBool());
        QCOMPARE(WidgetSnapshotFile::find(modalWindow, "EchoLabel").value("text").toString(),
                 QString("Grace, off, gamma"));

        const WidgetSnapshotFile end(m_home.filePath("end.json"));
        QCOMPARE(end.windowNames(), QStringList({ "LintraMainWindow" }));
        QCOMPARE(end.find("DocumentTabs").value("tabs").toVariant().toStringList(),
                 QStringList({ "Drawing1.dwg", "Drawing2.dwg", "Drawing3.dwg" }));
    }

    void failuresAreReportedAndMakeTheExitStatusNonZero_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("atLeastMs");
        QTest::newRow("missing name") << QStringList { "_UICLICK NoSuchButton" }
            << "_UICLICK NoSuchButton: No widget or action named \"NoSuchButton\" is shown." << 0;
        QTest::newRow("name in two dialogs, under the modal one")
            << QStringList { "_PROBEMODELESS", "_PROBEMODAL", "_UIWAIT ProbeModal 5",
                             "_UISET NameEdit x" }
            << "\"NameEdit\" names 2 widgets" << 0;
        QTest::newRow("row that is not there")
            << QStringList { "_PROBEMODELESS", "_UISELECT ChoiceList delta" }
            << "\"ChoiceList\" has no row \"delta\"." << 0;
        QTest::newRow("check box set to neither on nor off")
            << QStringList { "_PROBEMODELESS", "_UISET AgreeCheck maybe" }
            << "\"AgreeCheck\" takes on or off, not \"maybe\"." << 0;
        QTest::newRow("combo box set to an item it does not have")
            << QStringList { "_PROBEMODELESS", "_UISET SizeCombo large", "_UISET SizeCombo huge" }
            << "\"SizeCombo\" has no item \"huge\"." << 0;
        QTest::newRow("label set")
            << QStringList { "_PROBEMODELESS", "_UISET EchoLabel words" }
            << "\"EchoLabel\" is a QLabel; only line edits, combo boxes and check boxes are set."
            << 0;
        QTest::newRow("close a field, not a window")
            << QStringList { "_PROBEMODELESS", "_UICLOSE NameEdit" }
            << "\"NameEdit\" is not a window or a pane." << 0;
        QTest::newRow("click without a name")
            << QStringList { "_UICLICK" } << "usage: _UICLICK name" << 0;
        QTest::newRow("unknown command") << QStringList { "_NOSUCHCOMMAND" }
                                         << "Unknown command \"_NOSUCHCOMMAND\"." << 0;
        QTest::newRow("wait with a time that is not a number")
            << QStringList { "_UIWAIT NeverShown soon" } << "usage: _UIWAIT name [seconds]" << 0;
        // Ten minutes at most: a script cannot hang the host for longer by mistake.
        QTest::newRow("sleep past ten minutes")
            << QStringList { "_UISLEEP 600.5" } << "usage: _UISLEEP seconds (at most 600)" << 0;
        QTest::newRow("wait gives up after the time asked")
            << QStringList { "_UIWAIT NeverShown 1.5" }
            << "_UIWAIT NeverShown: not shown within 1.5 seconds." << 1500;
        QTest::newRow("label that stays says what it says")
            << QStringList { "_PROBEMODELESS", "_UISET NameEdit ada", "_UIWAITGONE EchoLabel 0.2" }
            << "_UIWAITGONE EchoLabel: still shown after 0.2 seconds. It says \"ada, off, \"."
            << 200;
        QTest::newRow("tool tip that does not come says what it says")
            << QStringList { "_PROBEMODELESS", "_UISET NameEdit ada",
                             "_UIWAITTIP EchoLabel grace 0.2" }
            << "_UIWAITTIP EchoLabel: not shown within 0.2 seconds. "
               "Its tool tip says \"ada, off, \"."
            << 200;
        QTest::newRow("text that stays shown")
            << QStringList { "_PROBEMODELESS", "_UISET NameEdit ada", "_UIWAITTEXTGONE ada 0.3" }
            << "_UIWAITTEXTGONE ada: still shown after 0.3 seconds." << 300;
    }

    void failuresAreReportedAndMakeTheExitStatusNonZero()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        QFETCH(int, atLeastMs);
        const QString after = m_home.filePath("after.json");
        QFile::remove(after);
        QElapsedTimer clock;
        clock.start();
        const Run run = runScript(lines + QStringList { "_UISNAPSHOT " + after });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QVERIFY(clock.elapsed() >= atLeastMs);
        // The script went on after the failure.
        QVERIFY(QFileInfo::exists(after));
    }

    // An option whose value is missing or wrong stops the host before it starts, saying which.
    void optionWithoutItsValueIsRefused_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("said");
        QTest::newRow("module") << QStringList{"--module"} << "--module needs a value";
        QTest::newRow("screenshot") << QStringList{"--screenshot"} << "--screenshot needs a value";
        QTest::newRow("language not a number")
            << QStringList{"--language", "de"} << "--language takes a number, not de";
        QTest::newRow("language below zero")
            << QStringList{"--language", "-1"} << "--language takes a number, not -1";
        QTest::newRow("unknown option") << QStringList{"--colour"} << "unknown option --colour";
    }

    void optionWithoutItsValueIsRefused()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, said);
        const Run run = runScript({ "_UISNAPSHOT " + m_home.filePath("never.json") }, options);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.errors.startsWith("lintra: " + said + "\n"), qPrintable(run.errors));
        QVERIFY(!QFileInfo::exists(m_home.filePath("never.json")));
    }

    // A script that cannot be read is said with its path, and the host ends with a failure.
    void aScriptThatCannotBeReadIsSaid()
    {
        const QString missing = m_home.filePath("nowhere/steps.scr");
        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, QStringList { "--module-dir", m_home.path(), "--script", missing,
                                               "--exit" });
        QVERIFY(lintra.waitForFinished(60000));
        QCOMPARE(lintra.exitCode(), 1);
        const QString errors = QString::fromUtf8(lintra.readAllStandardError());
        QVERIFY2(errors.contains("Cannot read the script " + missing + ": No such file or directory"),
                 qPrintable(errors));
    }

    // A host that crashes says so, with where it was, before it ends as crashed.
    void aCrashLeavesItsCallStack()
    {
        QVERIFY(m_home.write("steps.scr", "_UISLEEP 60\n"));
        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, QStringList { "--module-dir", m_home.path(), "--script",
                                               m_home.filePath("steps.scr"), "--exit" });
        QString errors;
        QTRY_VERIFY_WITH_TIMEOUT((errors += QString::fromUtf8(lintra.readAllStandardError()))
                                     .contains("Command: _UISLEEP"),
                                 30000);
        ::kill(static_cast<pid_t>(lintra.processId()), SIGSEGV);
        QVERIFY(lintra.waitForFinished(30000));
        errors += QString::fromUtf8(lintra.readAllStandardError());
        QCOMPARE(lintra.exitStatus(), QProcess::CrashExit);
        QVERIFY2(errors.contains("lintra: fatal signal SIGSEGV, call stack:\n"),
                 qPrintable(errors));
        QVERIFY2(errors.count("lintra(") >= 2, qPrintable(errors)); // frames of the host
    }

    // --list-modules names each module with its commands; --screenshot pictures the window
    // with the dialog over it; _ZOOM shows the whole drawing or says which option it takes.
    void modulesPictureAndZoom()
    {
        const QString shot = m_home.filePath("shot.png");
        const Run run = runScript({ "_NEW", "_ZOOM E", "_ZOOM W", "_PROBEMODELESS",
                                    "_UIWAIT ProbeModeless 5" },
                                  { "--list-modules", "--screenshot", shot });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains("_ZOOM: unknown option \"W\"; E shows the whole drawing."),
                 qPrintable(run.errors));
        QCOMPARE(run.errors.count("_ZOOM: "), 1);
        const QStringList lines = run.output.split('\n');
        QVERIFY2(lines.contains("modules: 1"), qPrintable(run.output));
        QVERIFY2(lines.filter(QRegularExpression("^module .*UiProbe.tx \\(drawing libraries .+\\)$"))
                         .size()
                     == 1,
                 qPrintable(run.output));
        QVERIFY2(lines.filter(QRegularExpression("^  commands: .*_PROBEMODELESS")).size() == 1,
                 qPrintable(run.output));

        // The picture is the window's with the dialog painted over it: above the command line
        // (which says what each script ran) it differs from a picture of the same window
        // without the dialog.
        const QString bare = m_home.filePath("bare.png");
        QCOMPARE(runScript({ "_NEW", "_ZOOM E", "_ZOOM W" }, { "--screenshot", bare }).exitCode,
                 1);
        const QImage withDialog(shot);
        const QImage without(bare);
        QVERIFY(!withDialog.isNull() && !without.isNull());
        QCOMPARE(withDialog.size(), without.size());
        const QRect above(0, 0, withDialog.width(), withDialog.height() * 6 / 10);
        QVERIFY(withDialog.copy(above) != without.copy(above));
    }

    // --print-ui prints the menus as the model holds them.
    void printUiShowsTheFileMenu()
    {
        const Run run = runScript({ "; nothing to run" }, { "--print-ui" });
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        const QJsonObject ui = QJsonDocument::fromJson(run.output.toUtf8()).object();
        QStringList captions;
        for (const QJsonValue &menu :
             ui.value("mainMenuGroup").toObject().value("menus").toArray()) {
            if (menu.toObject().value("id").toString() != "ID_MnFile")
                continue;
            for (const QJsonValue &entry : menu.toObject().value("entries").toArray())
                captions << entry.toObject().value("caption").toString();
        }
        QCOMPARE(captions,
                 QStringList({ "New", "Open...", "Save", "Save As...", "Close", "Exit" }));
    }

private:
    Run runScript(const QStringList &lines, const QStringList &extra = QStringList())
    {
        const QString script = m_home.filePath("steps.scr");
        if (!m_home.write("steps.scr", lines.join('\n').toUtf8()))
            return Run();
        QProcess lintra;
        lintra.setProcessEnvironment(m_home.environment());
        lintra.start(LINTRA_BIN, QStringList { "--module-dir", m_home.path(), "--module",
                                               PROBE_MODULE_FILE, "--script", script, "--exit" }
                         + extra);
        Run run;
        if (!lintra.waitForFinished(60000))
            return run;
        run.exitCode = lintra.exitCode();
        run.output = QString::fromUtf8(lintra.readAllStandardOutput());
        run.errors = QString::fromUtf8(lintra.readAllStandardError());
        return run;
    }

    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestUiScript)
#include "tst_uiscript.moc"
