// The task pane's logic without the host: the window over a session of its own and a platform
// double, listing a drawing's files from a tree made here. Each test compares every row the
// structured list shows (name, status and lock words, status tool tip, lock tool tip) at once,
// as the platform answers, goes away and comes back, a colleague locks or saves, a file changes
// on disk and saves wait in the outbox and go.

#include "dxftesthelpers.h"
#include "platformdouble.h"
#include "testhome.h"

#include "connector/recordconstants.h"
#include "connector/recordfields.h"
#include "drawingset/referencetree.h"
#include "fileitems/imageviewdialog.h"
#include "fileitems/listviewactionmenu.h"
#include "open/earlierversionfolder.h"
#include "save/outbox.h"
#include "save/savetreeitem.h"
#include "session/showaurextaskpane.h"
#include "taskpane/activetreeviewwidget.h"
#include "taskpane/aurexmainwindow.h"
#include "taskpane/connectionmonitor.h"
#include "taskpane/filedetailsqueue.h"
#include "taskpane/liveupdates.h"
#include "taskpane/newerversionbar.h"
#include "save/outboxdelivery.h"
#include "taskpane/taskpanerefresh.h"
#include "workingcopy/filedatabase.h"

#include <cfxstring.h>
#include <cfxsystemservices.h>
#include <fzfileinfo.h>

#include <QtTest>
#include <QtWidgets>

namespace {

// A host that only keeps what the module writes on its command line.
class CommandLineHost : public CFxSystemServices
{
public:
    CommandLineHost() { SetFxSystemServices(this); }
    ~CommandLineHost() override { SetFxSystemServices(nullptr); }
    CFxDocumentManager *GetDocumentManager() override { return nullptr; }
    CFxDockingPaneManager *GetDockingPaneManager() override { return nullptr; }
    CFxUiCustomizationManager *GetUiCustomizationManager() override { return nullptr; }
    OdDbHostAppServices *GetHostAppServices() override { return nullptr; }
    int GetUILanguage() const override { return 0; }
    QWidget *GetMainWindow() override { return nullptr; }
    void WriteMessage(const CFxString &text) override { lines << text.toQString(); }

    QStringList lines;
};

// "name | words | status tool tip | lock tool tip's first line", indented by depth.
void render(QTreeWidgetItem *item, QTreeWidget *tree, int depth, QStringList *lines)
{
    auto *row = qobject_cast<ImageViewDialog *>(tree->itemWidget(item, 0));
    const QString lock = row->findChild<QPushButton *>("LockButton")->toolTip();
    lines->append(QString(depth * 2, ' ') + row->name() + " | "
                  + row->findChild<QLabel *>("stateLabel")->text() + " | "
                  + row->findChild<QLabel *>("StatusLabel")->toolTip() + " | "
                  + lock.section('\n', 0, 0));
    for (int i = 0; i < item->childCount(); ++i)
        render(item->child(i), tree, depth + 1, lines);
}
} // namespace

class TestTaskPaneModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        m_home.applyToProcess();
        QStandardPaths::setTestModeEnabled(true);
    }

    // alice's working copy of bridge.dxf: deck.dxf under it, logo.png on it, all as the
    // platform has them, and notes.dxf, attached but never sent. Each test has a tenant (so a
    // file database and outbox) of its own.
    void init()
    {
        m_tenant = QTest::currentTestFunction();
        m_folder = m_home.filePath(m_tenant);
        m_platform = std::make_unique<PlatformDouble>();
        for (const char *file : {"bridge.dxf", "deck.dxf", "notes.dxf"})
            QVERIFY(DxfTest::copySample("ezdxf/geometry-r2018.dxf", path(file)));
        QImage logo(8, 4, QImage::Format_RGB32);
        logo.fill(Qt::darkCyan);
        QVERIFY(logo.save(path("logo.png")));
        FileDatabase database(m_tenant);
        for (const char *file : {"bridge.dxf", "deck.dxf", "logo.png"}) {
            const QString name = m_platform->addObject(file, DxfTest::readBytes(path(file)));
            const std::unique_ptr<FzFileInfo> record = m_platform->recordOf(file);
            database.recordExchange(FileDatabase::keyForPath(path(file)), QString(), name,
                                    recordProperty(*record, kKeyFileModified), "dwg");
        }
        m_session = std::make_unique<ShowAurexTaskPane>(m_platform.get());
        m_session->startSession(m_tenant);
        m_session->setCurrentUser("alice");
        m_window = std::make_unique<AurexMainWindow>(m_session.get());
        m_window->monitor()->setRetryDelays(20, 40);
        m_window->setActiveDrawingSource([this] {
            ActiveDrawing drawing;
            drawing.tree = std::make_shared<ReferenceTree>();
            ReferenceNode *root =
                drawing.tree->addNode(nullptr, "bridge.dxf", path("bridge.dxf"),
                                      ReferenceNode::Drawing);
            drawing.tree->addNode(root, "deck", path("deck.dxf"), ReferenceNode::Drawing);
            drawing.tree->addNode(root, "logo.png", path("logo.png"), ReferenceNode::RasterImage);
            drawing.tree->addNode(root, "notes", path("notes.dxf"), ReferenceNode::Drawing);
            return drawing;
        });
    }

    void cleanup()
    {
        m_window.reset();
        m_session.reset();
        m_platform.reset();
    }

    // A view may make a row before or after the answer came: the details are there for it at
    // any time after, and each answer hands every file out once more, to both views.
    void everyFileIsHandedOutOncePerAnswer()
    {
        FileDetailsQueue queue;
        const auto list = [&] {
            queue.reset(FileItemContext{nullptr, m_tenant, "alice"});
            for (const char *file : {"bridge.dxf", "deck.dxf", "logo.png"})
                queue.append(path(file));
        };
        list();
        QCOMPARE(queue.next(), -1);
        QVERIFY(!queue.details(1));
        const auto handedOut = [&queue] {
            QList<int> indexes;
            for (int index; (index = queue.next()) >= 0;)
                indexes << index;
            return indexes;
        };
        QVector<FileItemDetails> answer(3);
        answer[1].status = 2;
        queue.setAnswer(answer);
        QCOMPARE(queue.details(1)->status, 2);
        QCOMPARE(handedOut(), QList<int>({0, 1, 2}));
        QVERIFY(queue.isComplete());
        queue.setAnswer(answer);
        QVERIFY(!queue.isComplete());
        QCOMPARE(handedOut(), QList<int>({0, 1, 2}));

        // Listed again (the same drawing activated again): nothing is known until its answer.
        list();
        QCOMPARE(queue.next(), -1);
        QVERIFY(!queue.details(0));
    }

    // Each row's tool tip tells, after the file's details, which version the platform has, who
    // saved it and when, and the first line of why; a file new to the platform tells none.
    void toolTipsTellWhoSavedWhichVersionAndWhy()
    {
        m_platform->saveNewVersion("deck.dxf", "bob's deck", "bob",
                                   QString::fromUtf8("\n  Moved the east pier \u202E\nwhy: see notes"));
        settledRows();
        // The double's stamps: 10:00 UTC on 2026-12-01, a minute apart in order of the saves.
        const auto savedAt = [](int minute) {
            return QLocale::system().toString(
                QDateTime(QDate(2026, 12, 1), QTime(10, minute), Qt::UTC).toLocalTime(),
                QLocale::ShortFormat);
        };
        QCOMPARE(versionToolTips(), QStringList({
                     "bridge.dxf | Version 1, saved by alice on " + savedAt(0),
                     "deck.dxf | Version 2, saved by bob on " + savedAt(3)
                         + " / Moved the east pier \\u202e",
                     "logo.png | Version 1, saved by alice on " + savedAt(2),
                     "notes.dxf | ",
                 }));
    }

    // A drawing of an earlier version, opened from its history, is neither new nor the
    // platform's: its row says what it is.
    void anEarlierVersionIsForViewing()
    {
        const EarlierVersionFolder version(m_folder, "bridge.dxf", 1);
        QVERIFY(DxfTest::copySample("ezdxf/geometry-r2018.dxf", version.filePath()));
        QString error;
        QVERIFY2(version.mark(&error), qPrintable(error));
        m_window->setActiveDrawingSource([version] {
            ActiveDrawing drawing;
            drawing.tree = std::make_shared<ReferenceTree>();
            drawing.tree->addNode(nullptr, "bridge.dxf", version.filePath(),
                                  ReferenceNode::Drawing);
            return drawing;
        });
        QCOMPARE(settledRows(), QStringList({"bridge.dxf | Earlier version, for viewing | "
                                             "Status: An earlier version, opened for viewing | "}));
    }

    // A colleague's lock and newer version show as the answer comes; a file another program
    // changed on disk shows as changed here on the next refresh.
    void statusesFollowThePlatformAndTheDisk()
    {
        m_platform->setLockedBy("deck.dxf", "bob");
        m_platform->saveNewVersion("logo.png", "bob's logo");
        QCOMPARE(settledRows(), current({{"deck.dxf", kLockedByBob}, {"logo.png", kNewer}}));
        QCOMPARE(m_window->connectionState(), QString());

        QVERIFY(DxfTest::copySample("ezdxf/geometry-r2000.dxf", path("bridge.dxf")));
        m_platform->setLockedBy("deck.dxf", QString());
        m_platform->setLockedBy("bridge.dxf", "alice");
        m_window->RefreshButtonClicked();
        QCOMPARE(settledRows(),
                 current({{"bridge.dxf", "Changed here \u00b7 Locked by you | Status: Changes "
                                         "not saved to collaborative space | File is locked by "
                                         "alice"},
                          {"logo.png", kNewer}}));
    }

    // The platform goes away: its event stream drops, the statuses last known stand, the line
    // says why and since when and offers to work offline. Back, the platform is found by the
    // pane's own next attempt; or on the user's Refresh before that attempt, which ends the
    // attempts (one left pending would ask the platform behind the user's back, over and over
    // in a team that keeps its panes open); or, working offline, the pane goes online by
    // itself. Then the statuses are fresh (a lock taken meanwhile shows) and the line goes.
    void platformAwayKeepsTheLastStatusesUntilItIsBack_data()
    {
        QTest::addColumn<QString>("back");
        QTest::newRow("found by the pane") << "found";
        QTest::newRow("on the user's refresh") << "refresh";
        QTest::newRow("while working offline") << "offline";
    }

    void platformAwayKeepsTheLastStatusesUntilItIsBack()
    {
        QFETCH(QString, back);
        const QStringList known = settledRows();
        QTRY_COMPARE(m_platform->streamCount(), 1);
        if (back == "refresh")
            m_window->monitor()->setRetryDelays(1000, 1000);
        m_platform->setBehaviour(PlatformDouble::Refuse);
        QTRY_COMPARE(m_platform->streamCount(), 0);
        m_platform->setLockedBy("logo.png", "bob");
        QTRY_VERIFY(!m_window->connectionState().isEmpty() && m_window->isSettled());
        QCOMPARE(rows(), known);
        QVERIFY2(m_window->connectionState().startsWith(
                     "The AUREX Platform cannot be reached: Connection refused. Statuses as of "),
                 qPrintable(m_window->connectionState()));
        auto *offer = m_window->findChild<QPushButton *>("WorkOfflineButton");
        QVERIFY(offer->isVisibleTo(m_window.get()));
        if (back == "refresh") {
            // While away, the pane asks again by itself, is refused again and says so: its
            // next attempt is a whole wait away.
            const int away = m_platform->detailsCount();
            QSignalSpy refusedAgain(m_window->monitor(), &ConnectionMonitor::changed);
            QTRY_VERIFY_WITH_TIMEOUT(m_platform->detailsCount() > away && !refusedAgain.isEmpty(),
                                     5000);
        } else if (back == "offline") {
            offer->click();
            QVERIFY(m_session->isOffline());
            QTRY_COMPARE(m_window->connectionState(),
                         QString("Working offline: statuses as last known; saves wait in the "
                                 "outbox until you go online."));
        }

        m_platform->setBehaviour(PlatformDouble::Answer);
        if (back == "refresh")
            m_window->RefreshButtonClicked();
        QTRY_VERIFY(!m_session->isOffline() && m_window->connectionState().isEmpty()
                    && m_window->isSettled());
        QCOMPARE(rows(), current({{"logo.png", kLockedByBob}}));
        QVERIFY(!offer->isVisibleTo(m_window.get()));
        if (back == "refresh") {
            // Longer than the wait before the next attempt: nobody asks the platform again.
            const int answered = m_platform->detailsCount();
            QVERIFY2(!QTest::qWaitFor([&] { return m_platform->detailsCount() != answered; },
                                      2500),
                     qPrintable(QString("asked %1 more time(s)")
                                    .arg(m_platform->detailsCount() - answered)));
        }
    }

    // Refused, the pane asks again once after the wait; nothing more is planned until that
    // attempt has its answer (which plans the next one, a longer wait away).
    void aRefusalPlansOneAttempt()
    {
        OutboxDelivery delivery(ShowAurexTaskPane::instance(), nullptr);
        ConnectionMonitor monitor(ShowAurexTaskPane::instance(), &delivery);
        monitor.setRetryDelays(20, 20);
        QSignalSpy attempts(&monitor, &ConnectionMonitor::refreshDue);
        monitor.platformUnreachable("The AUREX Platform cannot be reached.");
        QTRY_COMPARE(attempts.count(), 1);
        const QList<QTimer *> timers = monitor.findChildren<QTimer *>();
        QCOMPARE(timers.size(), 1);
        QVERIFY(!timers.first()->isActive());
    }

    // A save made offline waits in the outbox and its row says so; online again, it goes,
    // once, and the row is current.
    void outboxWaitsOfflineAndGoesOnline()
    {
        settledRows();
        m_session->setOffline(true);
        SaveTreeItem row(path("notes.dxf"), "notes.dxf", nullptr);
        row.action = SaveAction::SaveAsNew;
        row.collabSpace = "Engineering";
        QVERIFY(Outbox(m_tenant).append(row, 1, "Notes for the crossing"));
        QList<Outbox::Entry> waiting;
        QVERIFY(Outbox(m_tenant).read(&waiting) && waiting.size() == 1);
        QCOMPARE(settledRows(),
                 current({{"notes.dxf", "Waiting to upload | Status: Waiting to upload | "}}));

        QSignalSpy sent(m_window->delivery(), &OutboxDelivery::finished);
        m_session->setOffline(false);
        QVERIFY(sent.wait(10000));
        QCOMPARE(sent.first().first().toString(), QString());
        QCOMPARE(m_platform->checkInComments(), QStringList({"Notes for the crossing"}));
        // Sent with the key the outbox keeps for it, which a sending again would repeat.
        QCOMPARE(m_platform->checkInKeys(), QStringList{waiting.first().key});
        QTRY_VERIFY(m_window->isSettled() && rows() == current({{"notes.dxf", kCurrent}}));
        QCOMPARE(m_window->connectionState(), QString());
    }

    // With the pane open, a colleague's lock, unlock and newer version reach the rows without
    // a refresh; the newer version shows the bar, whose Reload brings it down, keeping the
    // local change aside.
    void colleaguesChangesShowWhileTheyHappen()
    {
        const CommandLineHost host;
        settledRows();
        QTRY_COMPARE(m_platform->streamCount(), 1);
        auto *bar = m_window->findChild<NewerVersionBar *>("NewerVersionBar");
        QVERIFY(bar && !bar->isVisibleTo(m_window.get()));

        m_platform->setLockedBy("deck.dxf", "bob");
        m_platform->saveNewVersion("logo.png", "bob's logo", "bob", "Sharper logo");
        QTRY_COMPARE(rows(), current({{"deck.dxf", kLockedByBob}, {"logo.png", kNewer}}));
        QVERIFY(bar->isVisibleTo(m_window.get()));
        QCOMPARE(bar->text(), QString("bob saved a newer version of logo.png."));
        QCOMPARE(m_window->liveUpdates()->newerFiles().size(), 1);

        // A file of another drawing changes nothing here.
        m_platform->addObject("other.dxf", "other");
        m_platform->setLockedBy("other.dxf", "bob");
        m_platform->setLockedBy("deck.dxf", QString());
        QTRY_COMPARE(rows(), current({{"logo.png", kNewer}}));

        // alice changed logo.png too: Reload keeps her bytes aside and brings bob's.
        QImage mine(8, 4, QImage::Format_RGB32);
        mine.fill(Qt::red);
        QVERIFY(mine.save(path("logo.png")));
        QSignalSpy reloaded(m_window->liveUpdates(), &LiveUpdates::reloaded);
        bar->findChild<QPushButton *>("ReloadNewerButton")->click();
        // While the files come, the bar says so and offers nothing to press.
        QCOMPARE(bar->text(), QString("Bringing the newer versions down..."));
        QCOMPARE(bar->findChildren<QPushButton *>().count(), 2);
        for (const QPushButton *button : bar->findChildren<QPushButton *>())
            QVERIFY2(!button->isVisibleTo(bar), qPrintable(button->text()));
        QVERIFY(reloaded.wait(10000));
        QCOMPARE(reloaded.first().first().toString(), QString());
        QCOMPARE(DxfTest::readBytes(path("logo.png")), QByteArray("bob's logo"));
        QCOMPARE(QDir(m_folder).entryList({"logo*"}).size(), 2);
        QTRY_VERIFY(m_window->isSettled() && rows() == current());
        QVERIFY(!bar->isVisibleTo(m_window.get()));
        // The command line told each change of this drawing's files as it came (none of the
        // other drawing's), where alice's bytes went, and the reload.
        QStringList said = host.lines;
        const QString kept = "Your changes to " + path("logo.png") + " were kept in "
            + path("logo (local changes ");
        QVERIFY2(said.size() == 5 && said[3].startsWith(kept), qPrintable(said.join('\n')));
        said[3] = "(kept)";
        QCOMPARE(said, QStringList({"bob locked deck.dxf.", "bob saved logo.png (version 2).",
                                    "bob unlocked deck.dxf.", "(kept)",
                                    "Reloaded with the newer version of 1 file."}));
    }

    // A colleague deletes a file of the drawing and a manager brings it back from the trash:
    // the rows show it gone while it is in the trash, and as it was once it is back.
    // The command line tells who deleted it.
    void aFileBackFromTheTrashShowsAsBefore()
    {
        const CommandLineHost host;
        const QStringList before = settledRows();
        QTRY_COMPARE(m_platform->streamCount(), 1);
        m_platform->moveToTrash("logo.png", "bob");
        QTRY_VERIFY(rows() != before);
        QVERIFY2(rows().at(2).startsWith("  logo.png | New"), qPrintable(rows().at(2)));
        m_platform->restoreFromTrash("logo.png", "carol");
        QTRY_COMPARE(rows(), before);
        QCOMPARE(host.lines, QStringList{"bob deleted logo.png from the platform."});
    }

    // The commands that save a drawing or change what it references refresh the pane once
    // each; drawing commands and look-alikes do not.
    void commandsThatChangeTheFilesRefreshThePane()
    {
        ShowAurexTaskPane *session = ShowAurexTaskPane::instance();
        QSignalSpy refreshed(session, &ShowAurexTaskPane::DocumentActivatedSignal);
        QStringList refreshing;
        for (const char *command :
             {"_SAVE", "_SAVEAS", "_ATTACHDRAWING", "_ATTACHIMAGE", "_ATTACHPDF",
              "_DETACHDRAWING", "_DETACHIMAGE", "_DETACHPDF", "_LINE", "_SAVEALL", "_QSAVE", ""}) {
            const int before = refreshed.count();
            TaskPaneRefresh::afterCommand(session, command);
            if (refreshed.count() == before + 1)
                refreshing << command;
            else
                QCOMPARE(refreshed.count(), before);
        }
        QCOMPARE(refreshing, (QStringList{"_SAVE", "_SAVEAS", "_ATTACHDRAWING", "_ATTACHIMAGE",
                                          "_ATTACHPDF", "_DETACHDRAWING", "_DETACHIMAGE",
                                          "_DETACHPDF"}));
        const int before = refreshed.count();
        TaskPaneRefresh::afterDocumentActivated(session);
        QCOMPARE(refreshed.count(), before + 1);
    }

    // Two files newer on the platform: a row's "Get Latest" brings its own file down alone,
    // and only the rows newer on the platform offer it.
    void getLatestBringsOneFileDown()
    {
        settledRows();
        const QByteArray alicesDeck = DxfTest::readBytes(path("deck.dxf"));
        m_platform->saveNewVersion("logo.png", "bob's logo", "bob", "Sharper logo");
        m_platform->saveNewVersion("deck.dxf", "999\nbob's deck\n" + alicesDeck, "bob",
                                   "Wider deck");
        const auto offering = [this] {
            QStringList names;
            for (ImageViewDialog *row : m_window->treeWidget()->rows()) {
                const ListViewActionMenu *menu = row->actionMenu();
                if (menu && menu->latestAction()->isVisible() && menu->latestAction()->isEnabled())
                    names << row->findChild<QLabel *>("NameLabel")->text();
            }
            return names;
        };
        QTRY_COMPARE(offering(), QStringList({"deck.dxf", "logo.png"}));

        ImageViewDialog *logo = m_window->treeWidget()->rows().at(2);
        QSignalSpy reloaded(m_window->liveUpdates(), &LiveUpdates::reloaded);
        logo->actionMenu()->latestAction()->trigger();
        QVERIFY(reloaded.wait(10000));
        QCOMPARE(reloaded.first().first().toString(), QString());
        QCOMPARE(DxfTest::readBytes(path("logo.png")), QByteArray("bob's logo"));
        QCOMPARE(DxfTest::readBytes(path("deck.dxf")), alicesDeck);
        QTRY_VERIFY(m_window->isSettled() && rows() == current({{"deck.dxf", kNewer}}));
        QCOMPARE(offering(), QStringList{"deck.dxf"});
        QCOMPARE(m_window->liveUpdates()->newerFiles().size(), 1);
    }

private:
    QString path(const QString &name) const { return m_folder + "/" + name; }

    // What a row reads after its name, "words | status tool tip | lock tool tip".
    static constexpr const char *kCurrent = "Current | Status: Current | ";
    static constexpr const char *kNewer =
        "Newer on the platform | Status: Collaborative space has newer file | ";
    static constexpr const char *kLockedByBob =
        "Current \u00b7 Locked by bob | Status: Current | File is locked by bob";

    // The rows when the platform has every file as it is here and notes.dxf is new, but for
    // the files named, whose rows read as given.
    static QStringList current(const QMap<QString, QString> &but = {})
    {
        QStringList lines;
        for (const QString file : {"bridge.dxf", "deck.dxf", "logo.png", "notes.dxf"}) {
            lines << (lines.isEmpty() ? "" : "  ") + file + " | "
                    + but.value(file, file == "notes.dxf" ? "New | Status: New file | " : kCurrent);
        }
        return lines;
    }

    QStringList rows() const
    {
        QStringList lines;
        QTreeWidget *tree = m_window->treeWidget();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            render(tree->topLevelItem(i), tree, 0, &lines);
        return lines;
    }

    // "name | what the name's tool tip says after the file's three lines of details", the
    // lines joined by " / ", for every row.
    QStringList versionToolTips() const
    {
        QStringList lines;
        for (ImageViewDialog *row : m_window->treeWidget()->rows()) {
            const QString tip = row->findChild<QLabel *>("NameLabel")->toolTip();
            lines << row->name() + " | " + tip.section('\n', 3).replace('\n', " / ");
        }
        lines.sort();
        return lines;
    }

    // Lists the drawing again and waits for every answer.
    QStringList settledRows()
    {
        m_window->DocumentActivatedSlot();
        if (!QTest::qWaitFor([this] { return m_window->isSettled(); }, 10000))
            return {"not settled"};
        return rows();
    }

    TestHome m_home;
    QString m_tenant;
    QString m_folder;
    std::unique_ptr<PlatformDouble> m_platform;
    std::unique_ptr<ShowAurexTaskPane> m_session;
    std::unique_ptr<AurexMainWindow> m_window;
};

QTEST_MAIN(TestTaskPaneModel)
#include "tst_taskpanemodel.moc"
