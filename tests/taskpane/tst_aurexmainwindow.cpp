// The task pane in the real host against a real platform: the files of a downloaded drawing
// with their statuses and locks as the platform and the file database have them, late and
// overlapping details answers, filter, type toggles, views and sort orders.

#include "approvedstate.h"
#include "hostenvironment.h"
#include "platformprobe.h"
#include "savetestsupport.h"

#include "drawingset/detailsquery.h"
#include "fileitems/fileitemorder.h"
#include "fileitems/imageviewdialog.h"
#include "fileitems/listviewactionmenu.h"
#include "fileitems/viewwidget.h"
#include "open/referencerepair.h"
#include "save/saveset.h"
#include "save/savetocsdialog.h"
#include "save/savetreeitem.h"
#include "session/showaurextaskpane.h"
#include "support/moduletranslator.h"
#include "taskpane/activelistviewwidget.h"
#include "taskpane/activetreeviewwidget.h"
#include "taskpane/aurexmainwindow.h"
#include "taskpane/taskpanemodel.h"
#include "workingcopy/filedatabase.h"

#include <commandprocessor.h>
#include <filecommands.h>
#include <hostdocumentmanager.h>
#include <referencecommands.h>

#include <QtTest>
#include <QtWidgets>

namespace {
// One line per row of the structured list, indented by depth: "name status lock".
void render(QTreeWidgetItem *item, QTreeWidget *tree, int depth, QStringList *lines)
{
    auto *row = qobject_cast<ImageViewDialog *>(tree->itemWidget(item, 0));
    const QString line = QStringLiteral("%1 %2 %3").arg(row->name()).arg(row->status());
    lines->append(QString(depth * 2, ' ') + line.arg(row->lockState()));
    for (int i = 0; i < item->childCount(); ++i)
        render(item->child(i), tree, depth + 1, lines);
}

QStringList rows(AurexMainWindow &window)
{
    QStringList lines;
    QTreeWidget *tree = window.treeWidget();
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        render(tree->topLevelItem(i), tree, 0, &lines);
    return lines;
}

QStringList shownNames(QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i) {
        if (!list->item(i)->isHidden())
            names << list->item(i)->data(FileNameRole).toString();
    }
    return names;
}
} // namespace

class TestAurexMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_fixture.start("alice", &error), qPrintable(error));
        m_folder = m_fixture.home.filePath("models");
        QVERIFY(QDir().mkpath(m_folder));
        const QMap<QString, QString> names = savetest::download("bridge.dwg", m_folder);
        QCOMPARE(names.size(), 7);

        m_host = std::make_unique<HostEnvironment>();
        m_files = std::make_unique<FileCommands>(m_host->documents());
        m_references =
            std::make_unique<ReferenceCommands>(m_host->documents(), m_host->appServices());
        QStringList fileNames = names.keys();
        fileNames.replaceInStrings(m_folder + "/", QString());
        ReferenceRepair repair(m_host->appServices(), m_host->documents());
        QVERIFY2(repair.repair(path("bridge.dwg"), fileNames, m_folder),
                 qPrintable(repair.errorString()));
        // The bytes the download and its repair leave are the platform's version.
        FileDatabase database{QString()};
        for (const QString &file : names.keys())
            database.recordContent(file);

        // piers.dxf is locked by alice herself, through another session of hers.
        PlatformProbe alice(*m_fixture.platform, "alice", "alice-demo-pw");
        QVERIFY(alice.setLocked("piers.dxf", true));
        // logo.png was saved locally; load-table.pdf is an older version than the platform's.
        QVERIFY(filledImage(16, 16).save(path("logo.png")));
        QVERIFY(database.recordLocalSave(FileDatabase::keyForPath(path("logo.png"))));
        QCOMPARE(database.setUpdateStamp(path("load-table.pdf"), "2001/01/01@00:00:00:GMT"),
                 QString("0"));
    }

    void init()
    {
        ShowAurexTaskPane::instance()->startSession(QString());
        m_commands.runLine("_OPEN " + path("bridge.dwg"), false);
    }

    void cleanup()
    {
        while (m_host->documents()->GetDocumentCount() > 0)
            m_commands.runLine("_CLOSE", false);
    }

    void listsEveryOccurrenceWithRealStatuses()
    {
        // extra.png is attached but never exchanged with the platform: new.
        QVERIFY(filledImage(8, 4).save(path("extra.png")));
        QCOMPARE(m_commands.runLine("_ATTACHIMAGE " + path("extra.png"), false), 5100);

        AurexMainWindow window(ShowAurexTaskPane::instance());
        settle(window);
        // status: 0 new, 1 changed locally, 2 current, 3 out of date; lock: 1 mine, 2 another
        // user's, 3 none. Sorted by name; rebar.dxf stands under both drawings that use it.
        QCOMPARE(rows(window), QStringList({
                                   "bridge.dwg 2 3",
                                   "  deck.dwg 2 2",
                                   "    deck-photo.png 2 3",
                                   "    rebar.dxf 2 3",
                                   "  extra.png 0 3",
                                   "  load-table.pdf 3 3",
                                   "  logo.png 1 3",
                                   "  piers.dxf 2 1",
                                   "    rebar.dxf 2 3",
                               }));
        QCOMPARE(window.listWidget()->count(), 9);
        // And the whole pane, as docked beside a drawing: the count, each row's words and tool
        // tips (bob's lock says whose it is), the entries of its menu (bob's file offers no
        // unlock).
        const QString differences = approvedDifferences(window, "pane-with-statuses");
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

    // A row's "More Action" menu without the pointer: the keyboard's menu key opens the
    // current row's, a right click the one under the pointer, with Alt letters of their own.
    void rowMenusOpenFromTheKeyboardAndTheRightButton()
    {
        AurexMainWindow window(ShowAurexTaskPane::instance());
        settle(window);
        window.show();
        QTreeWidget *tree = window.treeWidget();
        // The item of the first row of the file.
        const auto itemOf = [&](const QString &file) -> QTreeWidgetItem * {
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                auto *row = qobject_cast<ImageViewDialog *>(tree->itemWidget(*it, 0));
                if (row && row->localPath().endsWith('/' + file))
                    return *it;
            }
            return nullptr;
        };
        // Which rows' menus are open, and the entries of each as "text letter".
        const auto openMenus = [&] {
            QStringList open;
            for (ImageViewDialog *row : tree->findChildren<ImageViewDialog *>()) {
                ListViewActionMenu *menu = row->actionMenu();
                if (!menu || !menu->isVisible())
                    continue;
                QStringList entries;
                for (const QAction *action : menu->actions())
                    if (action->isVisible())
                        entries.append(action->text());
                open.append(row->localPath().section('/', -1) + ": " + entries.join(", "));
            }
            return open;
        };
        tree->setCurrentItem(itemOf("deck.dwg"));
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(tree, &key);
        // bob holds deck.dwg's lock, and the platform has nothing newer: only the history and
        // where it is used can be chosen, and only they have letters.
        QTRY_COMPARE(openMenus(),
                     QStringList{"deck.dwg: Get Latest, Unlock, &History..., &Where Used..."});
        const auto rowOf = [&](const QString &file) {
            return qobject_cast<ImageViewDialog *>(tree->itemWidget(itemOf(file), 0));
        };
        rowOf("deck.dwg")->actionMenu()->hide();

        QVERIFY(itemOf("logo.png"));
        const QPoint at = tree->visualItemRect(itemOf("logo.png")).center();
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &click);
        QTRY_COMPARE(openMenus(),
                     QStringList{"logo.png: Get Latest, &Lock, &History..., &Where Used..."});
        rowOf("logo.png")->actionMenu()->hide();
    }

    void dropsAnswersForAnotherDrawingAndQueuesQueries()
    {
        AurexMainWindow window(ShowAurexTaskPane::instance());
        {
            // While another query holds the module-wide lock, two quick rebuilds wait in turn.
            QMutexLocker busy(&detailsQueryMutex());
            window.DocumentActivatedSlot();
            window.DocumentActivatedSlot();
            QTest::qWait(300);
            QVERIFY(!window.isSettled());
        }
        QTRY_VERIFY(window.isSettled());

        const QString bridge = window.drawingPath();
        m_commands.runLine("_OPEN " + path("piers.dxf"), false);
        window.DocumentActivatedSlot();
        // An answer for the drawing that was active before changes nothing.
        window.CADObjectDetailsFinishedSlot(MAPSTRCADOBJ(), bridge);
        QTRY_VERIFY(window.isSettled());
        QCOMPARE(window.findChild<QLabel *>("searchResultLabel")->text(),
                 QString(" Result: 2 File(s)"));
        QCOMPARE(rows(window), QStringList({"piers.dxf 2 1", "  rebar.dxf 2 3"}));
    }

    // The user menu offers what the session allows, and its entries and the pane's buttons
    // lead where they say: signing out (or in), the open dialog, the save dialog of the
    // drawing in front.
    void userMenuAndButtonsLeadWhereTheySay()
    {
        ShowAurexTaskPane::instance()->setDisplayName("Alice Example");
        AurexMainWindow window(ShowAurexTaskPane::instance());
        settle(window);
        QSignalSpy signOut(&window, &AurexMainWindow::signOutAsked);
        QSignalSpy signIn(&window, &AurexMainWindow::signInAsked);
        QMenu *menu = window.findChild<QToolButton *>("UserMenuToolButton")->menu();
        const auto offered = [menu] {
            QMetaObject::invokeMethod(menu, "aboutToShow");
            QStringList texts;
            for (QAction *action : menu->actions()) {
                if (action->isVisible() && !action->isSeparator())
                    texts << action->text().remove('&');
            }
            return texts;
        };
        const QStringList signedIn = offered();
        menu->actions().last()->trigger();
        ShowAurexTaskPane::instance()->endSession();
        const QStringList signedOut = offered();
        menu->actions().last()->trigger();
        ShowAurexTaskPane::instance()->startSession(QString());
        QCOMPARE(QList<QStringList>({signedIn, signedOut}),
                 (QList<QStringList>{{"Launch Hubdeck", "Alice Example", "Work Offline", "Log out"},
                                     {"Launch Hubdeck", "Log in"}}));
        QCOMPARE(QList<int>({signOut.count(), signIn.count()}), (QList<int>{1, 1}));

        const auto topLevelOf = [](const char *className) {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (widget->isVisible() && widget->inherits(className))
                    return widget;
            }
            return static_cast<QWidget *>(nullptr);
        };
        window.findChild<QPushButton *>("openCSButton")->click();
        QTRY_VERIFY(topLevelOf("OpenFromCSDialog"));
        delete topLevelOf("OpenFromCSDialog");
        window.findChild<QPushButton *>("saveCSButton")->click();
        QTRY_VERIFY(topLevelOf("SaveToCSDialog"));
        // Shown once its rows are there, never empty.
        auto *save = qobject_cast<SaveToCSDialog *>(topLevelOf("SaveToCSDialog"));
        QVERIFY(!save->saveSet()->rows().isEmpty());
        QCOMPARE(save->saveSet()->top()->path, path("bridge.dwg"));
        delete save;
    }

    // In German the pane's buttons tell what they do in German.
    void toolTipsInTheUsersLanguage()
    {
        QVERIFY(ModuleTranslator::install(1));
        const auto english = qScopeGuard([] { ModuleTranslator::remove(); });
        AurexMainWindow window(ShowAurexTaskPane::instance());
        settle(window);
        QStringList tips;
        for (const char *name : {"refreshButton", "pushButton", "UserMenuToolButton",
                                 "SortToolButton", "SearchCollabSpace"})
            tips << window.findChild<QWidget *>(name)->toolTip();
        QCOMPARE(tips, QStringList({"Aktualisieren", "Hilfe", "Abmelden", "Sortieroptionen",
                                    "Suchen"}));
    }

    // Enter typed in the search field presses no button of the pane (it used to open the
    // open dialog), and Escape does not hide the pane's content in its dock.
    void enterAndEscapeStayInTheSearchField()
    {
        AurexMainWindow window(ShowAurexTaskPane::instance());
        settle(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QList<QSignalSpy *> pressed;
        for (QPushButton *button : window.findChildren<QPushButton *>())
            pressed << new QSignalSpy(button, &QPushButton::clicked);
        auto *search = window.findChild<QLineEdit *>("SearchCollabSpace");
        search->setFocus();
        QTest::keyClicks(search, "deck");
        QTest::keyClick(search, Qt::Key_Return);
        QTest::keyClick(search, Qt::Key_Escape);
        int clicks = 0;
        for (QSignalSpy *spy : pressed)
            clicks += spy->count();
        qDeleteAll(pressed);
        QCOMPARE(clicks, 0);
        QVERIFY(window.isVisible());
        QCOMPARE(search->text(), QString("deck"));
    }

    // Type toggles and the search narrow what is shown; a chosen order sorts the tiles, each
    // of which follows its item.
    void filterSearchAndSort()
    {
        AurexMainWindow window(ShowAurexTaskPane::instance());
        settle(window);
        auto *dxf = window.findChild<QPushButton *>("dxfFilterButton");
        window.findChild<QPushButton *>("dwgFilterButton")->click();
        QCOMPARE(window.viewMode(), AurexMainWindow::Tiles);
        QCOMPARE(shownNames(window.listWidget()), QStringList({"bridge.dwg", "deck.dwg"}));
        QCOMPARE(window.findChild<QLabel *>("searchResultLabel")->text(),
                 QString(" Result: 2 File(s)"));
        dxf->click(); // in place of dwg
        QCOMPARE(shownNames(window.listWidget()),
                 QStringList({"rebar.dxf", "piers.dxf", "rebar.dxf"}));
        dxf->click();
        QCOMPARE(shownNames(window.listWidget()).size(), 8);

        // Newest modified first, in the tiles and under the drawing in the structured list;
        // and so again in the pane opened anew, whose sort button shows the order.
        window.AscendingSortSlot(1);
        const auto newestFirst = [](AurexMainWindow &pane) {
            QListWidget *tiles = pane.listWidget();
            const QTreeWidgetItem *top = pane.treeWidget()->topLevelItem(0);
            QList<qint64> tileTimes, rowTimes;
            for (int i = 0; i < tiles->count(); ++i) {
                tileTimes << tiles->item(i)->data(FileModifiedRole).toLongLong();
                auto *tile = qobject_cast<ViewWidget *>(tiles->itemWidget(tiles->item(i)));
                // The tile stands for the file it names: its status and menu are that file's.
                if (tile->displayName() != tiles->item(i)->data(FileNameRole).toString()
                    || QFileInfo(tile->localPath()).fileName() != tile->displayName())
                    return false;
            }
            for (int i = 0; top && i < top->childCount(); ++i)
                rowTimes << top->child(i)->data(0, FileModifiedRole).toLongLong();
            return rowTimes.size() > 2 && tileTimes.size() > 2
                   && std::is_sorted(tileTimes.crbegin(), tileTimes.crend())
                   && std::is_sorted(rowTimes.crbegin(), rowTimes.crend()) && rowTimes.last() > 0
                   && tileTimes.last() > 0;
        };
        QVERIFY(newestFirst(window));
        {
            AurexMainWindow reopened(ShowAurexTaskPane::instance());
            settle(reopened);
            QVERIFY(newestFirst(reopened));
            const QAction *newest = reopened.findChild<QAction *>("sortNewestAction");
            QCOMPARE(reopened.findChild<QToolButton *>("SortToolButton")->icon().cacheKey(),
                     newest->icon().cacheKey());
        }
        ShowAurexTaskPane::instance()->setSortOrder(0);
        QListWidget *list = window.listWidget();

        // From the structured list straight to the grid: the grid shows, not the tree.
        window.actionTreeView_triggered();
        window.actionGridView_triggered();
        QVERIFY(window.listWidget()->isVisibleTo(&window)
                && !window.treeWidget()->isVisibleTo(&window));
        // A grid of previews, each tile laid out for it (the name under the picture).
        QCOMPARE(window.listWidget()->viewMode(), QListView::IconMode);
        for (const ViewWidget *tile : window.listWidget()->tiles())
            QVERIFY(tile->sizeHint().height() > tile->sizeHint().width());
        window.findChild<QLineEdit *>("SearchCollabSpace")->setText("DECK");
        // The tiles still stand as the sort by date left them: two files saved in the same
        // second may stand either way.
        QStringList found = shownNames(window.listWidget());
        found.sort();
        QCOMPARE(found, QStringList({"deck-photo.png", "deck.dwg"}));
        // deck.dwg is bob's, wherever the sort by date put its tile.
        const QList<ViewWidget *> tiles = window.listWidget()->tiles();
        const auto deck = std::find_if(tiles.cbegin(), tiles.cend(), [](ViewWidget *tile) {
            return tile->displayName() == "deck.dwg";
        });
        QVERIFY(deck != tiles.cend() && (*deck)->lockState() == 2);

        // Back to tiles: the shown ones stand one under another again, not side by side.
        window.actionListView_triggered();
        QStringList places;
        int lastTop = -1;
        for (int i = 0; i < list->count(); ++i) {
            const QRect place = list->visualItemRect(list->item(i));
            if (list->item(i)->isHidden())
                continue;
            places << QString("left %1, below the last: %2")
                          .arg(place.left())
                          .arg(place.top() > lastTop ? "yes" : "no");
            lastTop = place.top();
        }
        QCOMPARE(places, QStringList({"left 0, below the last: yes", "left 0, below the last: yes"}));
    }

    // Of a drawing with many files, only the rows and tiles in sight are made at first; those
    // scrolled to later show their status at once, and no item gets two.
    void makesRowsInSightAndOnScroll()
    {
        QImage picture(8, 4, QImage::Format_RGB32);
        picture.fill(Qt::darkYellow);
        for (int i = 0; i < 80; ++i) {
            const QString file = path(QStringLiteral("many/p%1.png").arg(i, 2, 10, QChar('0')));
            QVERIFY(QDir().mkpath(QFileInfo(file).path()) && picture.save(file));
            QCOMPARE(m_commands.runLine("_ATTACHIMAGE " + file, false), 5100);
        }
        AurexMainWindow window(ShowAurexTaskPane::instance());
        window.resize(320, 420);
        window.show();
        // A machine fast enough makes every row in sight in the first step, before any row
        // stands to tell how tall rows are: items without their rows lie only a text line apart
        // and must not count as that many rows.
        // Counted as that first step ends: statuses coming in later may sort other items into
        // sight, whose rows are then made too.
        ActiveTreeViewWidget *tree = window.treeWidget();
        int made = 0;
        connect(window.model(), &TaskPaneModel::listed, tree, [tree, &made] {
            QVERIFY(tree->buildStep(QDeadlineTimer(QDeadlineTimer::Forever)));
            made = tree->rows().size();
        });
        settle(window);
        // The rows in sight and about a page more, far from all of them.
        const int rowHeight = tree->visualItemRect(tree->topLevelItem(0)).height();
        const int viewHeight = tree->viewport()->height();
        QVERIFY2(made * rowHeight > viewHeight && made * rowHeight < 4 * viewHeight,
                 qPrintable(QString("%1 rows of %2 for %3").arg(made).arg(rowHeight)
                                .arg(viewHeight)));

        const auto lastTreeRow = [tree] {
            QTreeWidgetItem *last = tree->topLevelItem(0);
            while (last->childCount() > 0)
                last = last->child(last->childCount() - 1);
            return qobject_cast<ImageViewDialog *>(tree->itemWidget(last, 0));
        };
        QVERIFY(!lastTreeRow());
        tree->scrollToBottom();
        QTRY_VERIFY(lastTreeRow());
        QCOMPARE(lastTreeRow()->name(), QString("rebar.dxf"));
        QCOMPARE(lastTreeRow()->status(), 2);
        QCOMPARE(tree->itemAt(5, 5)->data(0, FileNameRole).toString().left(1), QString("p"));
        QCOMPARE(qobject_cast<ImageViewDialog *>(tree->itemWidget(tree->itemAt(5, 5), 0))
                     ->status(), 0);
        window.actionListView_triggered();
        ActiveListViewWidget *list = window.listWidget();
        QListWidgetItem *lastItem = list->item(list->count() - 1);
        QVERIFY(!list->itemWidget(lastItem));
        list->scrollToBottom();
        QTRY_VERIFY(list->itemWidget(lastItem));
        const auto *lastTile = qobject_cast<ViewWidget *>(list->itemWidget(lastItem));
        QCOMPARE(lastTile->displayName() + " " + QString::number(lastTile->status()),
                 QString("deck-photo.png 2"));
        // Made on the scroll, it is laid out as the tiles made before it, and its item takes
        // its room.
        QCOMPARE(QList<QSize>({lastTile->sizeHint(), lastItem->sizeHint()}),
                 QList<QSize>({list->tiles().first()->sizeHint(), lastTile->sizeHint()}));
        const QList<ViewWidget *> tiles = list->tiles();
        QCOMPARE(QSet<ViewWidget *>(tiles.cbegin(), tiles.cend()).size(), tiles.size());
        QVERIFY(tiles.size() < list->count());
        const QList<ImageViewDialog *> rows = tree->rows();
        QCOMPARE(QSet<ImageViewDialog *>(rows.cbegin(), rows.cend()).size(), rows.size());

        // Searched for, a file far down the list comes into sight with its tile.
        list->scrollToTop();
        QListWidgetItem *far = nullptr;
        for (int i = 0; i < list->count(); ++i)
            far = list->item(i)->data(FileNameRole) == "p61.png" ? list->item(i) : far;
        QVERIFY(far && !list->itemWidget(far));
        window.findChild<QLineEdit *>("SearchCollabSpace")->setText("p61");
        QTRY_VERIFY(list->itemWidget(far));

        // Made taller (the user drags the pane's edge), the tree makes the rows that came
        // into sight, though nothing scrolled.
        window.findChild<QLineEdit *>("SearchCollabSpace")->clear();
        window.actionTreeView_triggered();
        tree->scrollToTop();
        QTreeWidgetItem *below = nullptr;
        for (QTreeWidgetItemIterator it(tree); *it && !below; ++it)
            below = tree->itemWidget(*it, 0) ? nullptr : *it;
        QVERIFY(below);
        window.resize(window.width(), window.height() + tree->visualItemRect(below).bottom());
        QTRY_VERIFY(tree->viewport()->height() > tree->visualItemRect(below).bottom());
        QTRY_VERIFY(tree->itemWidget(below, 0));
    }

    // Runs last: the platform goes away. A pane that never heard from it knows only what the
    // computer knows, and says so. (The two-user run checks that a pane that had the
    // platform's statuses keeps them.)
    void platformGoneBeforeAnyAnswerShowsWhatTheComputerKnows()
    {
        m_fixture.platform->stop();
        AurexMainWindow window(ShowAurexTaskPane::instance());
        window.DocumentActivatedSlot();
        QTRY_VERIFY_WITH_TIMEOUT(window.isSettled() && !window.connectionState().isEmpty(), 60000);
        // The rows as this computer knows them (status 4: unknown); the approved pane says why,
        // in its connection line, and offers Refresh.
        QCOMPARE(rows(window), QStringList({
                                   "bridge.dwg 4 3",
                                   "  deck.dwg 4 3",
                                   "    deck-photo.png 4 3",
                                   "    rebar.dxf 4 3",
                                   "  load-table.pdf 4 3",
                                   "  logo.png 1 3",
                                   "  piers.dxf 4 3",
                                   "    rebar.dxf 4 3",
                               }));
        const QString differences = approvedDifferences(window, "pane-platform-gone");
        QVERIFY2(differences.isEmpty(), qPrintable(differences));
    }

private:
    QString path(const QString &name) const { return m_folder + "/" + name; }

    // An image of one colour: the same bytes, and size, at every run.
    static QImage filledImage(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        return image;
    }

    // What differs between the pane, shown at a docked pane's size, and its approved state.
    QString approvedDifferences(AurexMainWindow &window, const QString &name) const
    {
        window.resize(360, 640);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return "the pane did not show";
        // The platform's versions were made as the test started: their times vary. Where the
        // pane's parts sit, and which row is current or chosen, depend on when the platform's
        // answers came and the connection line wrapped: what the pane says and offers does not.
        ApprovedState approved;
        approved.replace(m_fixture.home.path(), "<home>");
        approved.leaveOutTimesOfThisRun();
        for (const char *varying : {"geometry", "currentIndex", "clipped", "selected"})
            approved.leaveOut(varying);
        return approved.differences(&window, name);
    }

    // Shows the active drawing in the pane and waits for all the platform's answers.
    static void settle(AurexMainWindow &window)
    {
        window.DocumentActivatedSlot();
        QTRY_VERIFY(window.isSettled());
    }

    savetest::Fixture m_fixture;
    QString m_folder;
    std::unique_ptr<HostEnvironment> m_host;
    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<ReferenceCommands> m_references;
    CommandProcessor m_commands;
};

QTEST_MAIN(TestAurexMainWindow)
#include "tst_aurexmainwindow.moc"
